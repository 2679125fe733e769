#include "shell/StringHelpers.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace Pyxo {
namespace {

constexpr bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int DigitValue(uint32_t c, bool hex)
{
    if (c >= '0' && c <= '9') {
        return static_cast<int>(c - '0');
    }
    if (hex && c >= 'a' && c <= 'f') {
        return static_cast<int>(c - 'a' + 10);
    }
    if (hex && c >= 'A' && c <= 'F') {
        return static_cast<int>(c - 'A' + 10);
    }
    return -1;
}

// Characters are read as unsigned values, so that a narrow byte above 127 and a wide unit are never mistaken for
// a digit or a sign.
template <typename String>
bool ParseInt(const String& text, int& value)
{
    value = 0;
    size_t i = 0;
    const auto at = [&text](size_t index) {
        return static_cast<uint32_t>(static_cast<std::make_unsigned_t<typename String::value_type>>(text[index]));
    };
    const bool negative = i < text.size() && at(i) == '-';
    if (negative) {
        ++i;
    }
    const bool hex = i + 1 < text.size() && at(i) == '0' && (at(i + 1) == 'x' || at(i + 1) == 'X');
    if (hex) {
        i += 2;
    }
    if (i == text.size()) {
        return false; // no digits: "", "-", "0x"
    }
    // Hexadecimal is a bit pattern and may fill all 32 bits; decimal must fit int with its sign.
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(at(i), hex);
        if (digit < 0) {
            return false;
        }
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (magnitude > limit) {
            return false;
        }
    }
    const auto bits = static_cast<uint32_t>(magnitude);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
}

} // namespace

std::string StringToUpper(const std::string& text)
{
    std::string result = text;
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::wstring WStringToUpper(const std::wstring& text)
{
    std::wstring result = text;
    for (wchar_t& c : result) {
        if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
            c = static_cast<wchar_t>(c - 0x20);
        } else if (c == 0xFF) {
            c = 0x178; // y with diaeresis: its capital lies outside Latin-1
        }
    }
    return result;
}

std::wstring StringToWString(const std::string& text)
{
    std::wstring result(text.size(), L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        result[i] = static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
    }
    return result;
}

std::string WStringToString(const std::wstring& text)
{
    std::string result(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<uint32_t>(text[i]);
        if (unit > 0xFF) {
            return {};
        }
        result[i] = static_cast<char>(unit);
    }
    return result;
}

std::string Trim(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::wstring CommaSeparate(int value)
{
    return CommaSeparate64(value);
}

std::wstring CommaSeparate64(int64_t value)
{
    if (value < 0) {
        return {};
    }
    const std::string digits = std::to_string(value);
    std::wstring result;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            result.push_back(L',');
        }
        result.push_back(static_cast<wchar_t>(digits[i]));
    }
    return result;
}

int StrFindNoCase(const std::string& haystack, const std::string& needle)
{
    if (haystack.empty()) {
        return -1;
    }
    if (needle.size() > haystack.size()) {
        return -1;
    }
    for (size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
        size_t i = 0;
        while (i < needle.size() && AsciiLower(haystack[start + i]) == AsciiLower(needle[i])) {
            ++i;
        }
        if (i == needle.size()) {
            return start <= static_cast<size_t>(std::numeric_limits<int>::max()) ? static_cast<int>(start) : -1;
        }
    }
    return -1;
}

bool StringToInt(const std::string& text, int& value)
{
    return ParseInt(text, value);
}

bool WStringToInt(const std::wstring& text, int& value)
{
    return ParseInt(text, value);
}

bool WStringToDouble(const std::wstring& text, double& value)
{
    value = 0.0;
    // Checked by hand, then handed to from_chars as ASCII: correctly rounded and independent of the locale.
    std::string ascii;
    ascii.reserve(text.size());
    bool seenPoint = false;
    bool seenDigit = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= L'0' && c <= L'9') {
            seenDigit = true;
        } else if (c == L'.' && !seenPoint) {
            seenPoint = true;
        } else if (c != L'-' || i != 0) {
            return false;
        }
        ascii.push_back(static_cast<char>(c));
    }
    if (!seenDigit) {
        return false;
    }
    double parsed = 0.0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), parsed);
    if (error != std::errc() || end != ascii.data() + ascii.size()) {
        return false;
    }
    value = parsed;
    return true;
}

} // namespace Pyxo
