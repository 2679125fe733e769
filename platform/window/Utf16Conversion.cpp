#include "platform/window/Utf16Conversion.h"

#include <cstdint>

namespace Platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

void AppendUtf16(std::wstring& out, char32_t c)
{
    if (IsSurrogate(c) || c > 0x10FFFF)
        c = kReplacement;
    if (c < 0x10000) {
        out += static_cast<wchar_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    }
}

std::wstring Utf8ToUtf16(std::string_view in)
{
    std::wstring out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        const auto lead = static_cast<uint8_t>(in[i]);
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        // Lead bytes C0, C1 and F5 to FF never start a valid sequence; they leave `length` at 0.
        const int length = lead >= 0xF0 ? (lead <= 0xF4 ? 4 : 0) : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
        char32_t c = lead & (0x7F >> length);
        bool valid = length > 0 && i + length <= in.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<uint8_t>(in[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, encoded surrogates and values beyond U+10FFFF are as broken as a missing byte.
        if (valid && (c < kMinimum[length] || IsSurrogate(c) || c > 0x10FFFF))
            valid = false;
        if (valid) {
            AppendUtf16(out, c);
            i += length;
        } else {
            out += static_cast<wchar_t>(kReplacement);
            ++i;
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::wstring_view in)
{
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        // A wchar_t holds one UTF-16 unit; anything wider is not text of ours.
        const auto unit = static_cast<uint32_t>(in[i]);
        char32_t c = unit;
        if (unit > 0xFFFF) {
            c = kReplacement;
        } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < in.size()) {
            const auto low = static_cast<uint32_t>(in[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                c = kReplacement;
            }
        } else if (IsSurrogate(unit)) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

} // namespace Platform
