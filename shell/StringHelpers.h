#pragma once

#include <cstdint>
#include <string>

namespace Pyxo {

/// String helpers of the framework. Narrow strings are bytes, one byte per character in ISO 8859-1 (as Windows
/// code page 1252 mostly is): converting between narrow and wide maps byte b to the UTF-16 unit b and back.
/// Wide strings hold UTF-16 units, one per wchar_t. None of these depends on the C library's locale.

/// Upper-cases the ASCII letters; other bytes are kept.
std::string StringToUpper(const std::string& text);
/// Upper-cases ASCII and Latin-1 letters (U+00E0 to U+00FE except U+00F7, and U+00FF); other units are kept.
std::wstring WStringToUpper(const std::wstring& text);

/// Each byte becomes one unit of the same value.
std::wstring StringToWString(const std::string& text);
/// Each unit below 256 becomes one byte. A text holding any other unit (surrogates included) cannot be
/// narrowed and gives "".
std::string WStringToString(const std::wstring& text);
inline std::wstring ToWideString(const std::string& text)
{
    return StringToWString(text);
}
inline std::string ToNarrowString(const std::wstring& text)
{
    return WStringToString(text);
}

/// A copy without leading and trailing white space (space, tab, line feed, vertical tab, form feed, return).
std::string Trim(const std::string& text);

/// Decimal digits grouped in threes by ',' ("1,234,567"); a negative number gives "".
std::wstring CommaSeparate(int value);
/// The same for totals that outgrow int (memory sums).
std::wstring CommaSeparate64(int64_t value);

/// Index of the first occurrence of needle in haystack, ASCII case ignored; -1 when there is none or the
/// haystack is empty; 0 for an empty needle.
int StrFindNoCase(const std::string& haystack, const std::string& needle);

/// An optional '-', then decimal digits or "0x"/"0X" and hexadecimal digits, and nothing else. On failure the
/// value is 0. A decimal number outside int fails; a hexadecimal one is a 32-bit pattern ("0xFFFFFFFF" is -1)
/// and fails beyond 32 bits.
[[nodiscard]] bool StringToInt(const std::string& text, int& value);
[[nodiscard]] bool WStringToInt(const std::wstring& text, int& value);

/// An optional '-', decimal digits, optionally '.' and fraction digits (at least one digit in all); no exponent.
/// On failure the value is 0.0.
[[nodiscard]] bool WStringToDouble(const std::wstring& text, double& value);

} // namespace Pyxo
