#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace Pyxo {

/// The longest text the formatters produce. A longer result is logged and cut to this length (never emptied, so
/// that a long message still says what went wrong), so that a runaway width or argument cannot make them allocate
/// without bound.
inline constexpr size_t kMaxFormattedLength = 1'310'719;

/// printf-style formatting into a narrow string, by the C library's rules. A format error gives "" and a log line.
std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string StrFormatV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

/// printf-style formatting into a wide string by the rules of a Windows wide format, whatever the C library does:
/// %s and %c take wide text (const wchar_t*, wchar_t), %S and %C narrow text (const char*, char, widened byte by
/// byte), and the prefixes h (narrow) and l or w (wide) say it explicitly. Widths and precisions of text count
/// wchar_t units. Number conversions follow C (l is long, ll long long, z size_t). %n and unknown conversions are
/// refused: the result is then "" and the reason is logged.
std::wstring WStrFormat(const wchar_t* format, ...);
std::wstring WStrFormatV(const wchar_t* format, va_list args);

/// Formats with WStrFormat and writes the text, narrowed, to the debug log.
void OutputDebug(const wchar_t* format, ...);

} // namespace Pyxo
