#pragma once

#include <string>
#include <string_view>

namespace Platform {

/// Conversions between UTF-8 (what crosses SDL: clipboard, titles, text input, message boxes) and wide strings
/// of UTF-16 code units, one unit per wchar_t, characters beyond U+FFFF as surrogate pairs. Malformed input never
/// fails: each byte of a broken UTF-8 sequence, and each unpaired surrogate, becomes U+FFFD. Thread-safe.
std::wstring Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::wstring_view utf16);

/// Appends the UTF-16 units of one code point (U+FFFD for a surrogate or a value beyond U+10FFFF).
void AppendUtf16(std::wstring& out, char32_t codePoint);

} // namespace Platform
