#include "platform/window/Utf16Conversion.h"

#include <gtest/gtest.h>

namespace {

using Platform::Utf16ToUtf8;
using Platform::Utf8ToUtf16;

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::wstring utf16;
};

const Utf8Case kValid[] = {
    {"empty", "", L""},
    {"ascii", "Cafe 42", L"Cafe 42"},
    {"two bytes", "caf\xC3\xA9", L"caf\u00E9"},
    {"three bytes", "\xE2\x82\xAC", L"\u20AC"},
    {"cyrillic", "\xD0\x98\xD0\xBC\xD1\x8F", L"\u0418\u043C\u044F"},
    {"beyond the BMP is a surrogate pair", "\xF0\x9F\x98\x80", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},
    {"highest code point", "\xF4\x8F\xBF\xBF", std::wstring{wchar_t(0xDBFF), wchar_t(0xDFFF)}},
    {"embedded zero survives", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
};

TEST(Utf16Conversion, ValidTextRoundTrips)
{
    for (const auto& c : kValid) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(Utf16Conversion, BrokenUtf8BecomesReplacementCharacters)
{
    const Utf8Case cases[] = {
        {"lone continuation byte", "a\x80z", L"a\uFFFDz"},
        {"truncated at the end", "a\xE2\x82", L"a\uFFFD\uFFFD"},
        {"truncated before ascii", "\xE2\x82z", L"\uFFFD\uFFFDz"},
        {"overlong slash", "\xC0\xAF", L"\uFFFD\uFFFD"},
        {"overlong three bytes", "\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"invalid lead byte", "\xFF", L"\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    }
}

TEST(Utf16Conversion, UnpairedSurrogatesBecomeReplacementCharacters)
{
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(Utf16ToUtf8(std::wstring{wchar_t(0xD83D)}), replacement) << "high surrogate at the end";
    EXPECT_EQ(Utf16ToUtf8(std::wstring{wchar_t(0xD83D), L'x'}), replacement + "x") << "high surrogate before text";
    EXPECT_EQ(Utf16ToUtf8(std::wstring{wchar_t(0xDE00), L'x'}), replacement + "x") << "low surrogate alone";
    EXPECT_EQ(Utf16ToUtf8(std::wstring{wchar_t(0x110000)}), replacement) << "not a UTF-16 unit";
}

} // namespace
