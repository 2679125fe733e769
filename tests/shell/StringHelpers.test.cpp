#include "shell/StringHelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace {

TEST(StringHelpers, NarrowAndWideMapBytesToUnitsOfTheSameValue)
{
    const std::string bytes("a\0\x7F\x80\xE9\xFF", 6);
    const std::wstring units{L'a', 0, 0x7F, 0x80, 0xE9, 0xFF};
    EXPECT_EQ(Pyxo::StringToWString(bytes), units) << "bytes above 127 must not be sign-extended";
    EXPECT_EQ(Pyxo::WStringToString(units), bytes);
    EXPECT_EQ(Pyxo::ToNarrowString(Pyxo::ToWideString(bytes)), bytes);

    const std::string longText(20000, 'q'); // far beyond any fixed buffer a conversion might use
    EXPECT_EQ(Pyxo::WStringToString(Pyxo::StringToWString(longText)), longText);
}

TEST(StringHelpers, WideTextThatCannotBeNarrowedGivesEmpty)
{
    const std::wstring cases[] = {
        {L'a', 0x100},          // first unit beyond one byte
        {L'x', 0xD83D, 0xDE00}, // a surrogate pair
        {0xDC00},               // a lone low surrogate
        {L'\u20AC'},            // the euro sign: not a Latin-1 character
    };
    for (const auto& text : cases) {
        EXPECT_EQ(Pyxo::WStringToString(text), "");
    }
}

TEST(StringHelpers, CaseConversion)
{
    EXPECT_EQ(Pyxo::StringToUpper("images/Foo_1.png\xE9"), "IMAGES/FOO_1.PNG\xE9");
    EXPECT_EQ(Pyxo::WStringToUpper(L"caf\u00E9 \u00F7\u00FF\u0451"), L"CAF\u00C9 \u00F7\u0178\u0451");
}

TEST(StringHelpers, TrimRemovesWhiteSpaceAtBothEnds)
{
    EXPECT_EQ(Pyxo::Trim(" \t\r\n a b \v\f"), "a b");
    EXPECT_EQ(Pyxo::Trim("   "), "");
    EXPECT_EQ(Pyxo::Trim(""), "");
    EXPECT_EQ(Pyxo::Trim("\xA0x\xA0"), "\xA0x\xA0") << "only ASCII white space";
}

TEST(StringHelpers, CommaSeparate)
{
    const std::pair<int, std::wstring> cases[] = {
        {0, L"0"},
        {999, L"999"},
        {1000, L"1,000"},
        {1234567, L"1,234,567"},
        {100000, L"100,000"},
        {INT_MAX, L"2,147,483,647"},
        {-5, L""},
        {INT_MIN, L""},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(Pyxo::CommaSeparate(value), expected) << value;
        EXPECT_EQ(Pyxo::CommaSeparate64(value), expected) << value;
    }
    EXPECT_EQ(Pyxo::CommaSeparate64(int64_t{INT_MAX} + 1), L"2,147,483,648");
    EXPECT_EQ(Pyxo::CommaSeparate64(INT64_MAX), L"9,223,372,036,854,775,807");
}

TEST(StringHelpers, StrFindNoCase)
{
    EXPECT_EQ(Pyxo::StrFindNoCase("GeForce FX", "force"), 2);
    EXPECT_EQ(Pyxo::StrFindNoCase("GeForce FX", "fx"), 8);
    EXPECT_EQ(Pyxo::StrFindNoCase("GeForce FX", "radeon"), -1);
    EXPECT_EQ(Pyxo::StrFindNoCase("ab", "abc"), -1);
    EXPECT_EQ(Pyxo::StrFindNoCase("", ""), -1);
    EXPECT_EQ(Pyxo::StrFindNoCase("abc", ""), 0);
}

struct IntCase {
    const char* text;
    bool ok;
    int value;
};

TEST(StringHelpers, StringToIntNarrowAndWide)
{
    const IntCase cases[] = {
        {"0x1F", true, 31},
        {"0XfF", true, 255},
        {"-12", true, -12},
        {"007", true, 7},
        {"2147483647", true, INT_MAX},
        {"-2147483648", true, INT_MIN},
        {"0xFFFFFFFF", true, -1}, // a colour written as its bit pattern
        {"-0x10", true, -16},
        {"12a", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"0x", false, 0},
        {" 1", false, 0},
        {"+1", false, 0},
        {"1.5", false, 0},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"0x100000000", false, 0},
        {"1\xB9", false, 0}, // a byte above 127 is no digit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int value = 12345;
        EXPECT_EQ(Pyxo::StringToInt(c.text, value), c.ok);
        EXPECT_EQ(value, c.value);
        int wideValue = 12345;
        EXPECT_EQ(Pyxo::WStringToInt(Pyxo::StringToWString(c.text), wideValue), c.ok);
        EXPECT_EQ(wideValue, c.value);
    }
    int value = 1;
    EXPECT_FALSE(Pyxo::WStringToInt(std::wstring{L'1', 0xFF11}, value)) << "a full-width digit is no digit";
    EXPECT_FALSE(Pyxo::WStringToInt(std::wstring{L'1', 0x10031}, value)) << "only the low byte looks like a digit";
}

TEST(StringHelpers, WStringToDouble)
{
    const std::pair<const wchar_t*, double> good[] = {
        {L"1.5", 1.5}, {L"-0.25", -0.25}, {L"42", 42.0}, {L"3.", 3.0}, {L".5", 0.5}, {L"0.1", 0.1},
    };
    for (const auto& [text, expected] : good) {
        double value = 0.0;
        EXPECT_TRUE(Pyxo::WStringToDouble(text, value)) << Pyxo::WStringToString(text);
        EXPECT_EQ(value, expected);
    }
    const wchar_t* bad[] = {L"", L"-", L".", L"1e5", L"1.2.3", L"--1", L"1-", L" 1", L"+1", L"0x10", L"1,5"};
    for (const wchar_t* text : bad) {
        double value = 9.0;
        EXPECT_FALSE(Pyxo::WStringToDouble(text, value)) << Pyxo::WStringToString(text);
        EXPECT_EQ(value, 0.0);
    }
}

} // namespace
