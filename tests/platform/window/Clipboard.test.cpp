#include "platform/window/Clipboard.h"

#include "platform/window/VideoSystem.h"
#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace Platform;

ILVANE_THREADED_SUITE(Clipboard);

TEST(Clipboard, TextInAnyScriptRoundTrips)
{
    const std::wstring texts[] = {
        L"Anna",
        L"\u0410\u043D\u043D\u0430 \u5F20\u4F1F",             // Cyrillic and CJK names
        std::wstring{L'x', wchar_t(0xD83D), wchar_t(0xDE00)}, // beyond the BMP
        L"",
    };
    for (const std::wstring& text : texts) {
        ASSERT_TRUE(SetClipboardText(text)) << VideoError();
        EXPECT_EQ(GetClipboardText(), text);
    }
}

TEST(Clipboard, TextEndsAtItsFirstZero)
{
    ASSERT_TRUE(SetClipboardText(std::wstring(L"kept\0lost", 9)));
    EXPECT_EQ(GetClipboardText(), L"kept");
}

TEST(Clipboard, OtherThreadsGetNothing)
{
    ASSERT_TRUE(SetClipboardText(L"main"));
    bool set = true;
    std::wstring read = L"unchanged";
    std::thread other([&] {
        set = SetClipboardText(L"other");
        read = GetClipboardText();
    });
    other.join();
    EXPECT_FALSE(set);
    EXPECT_EQ(read, L"");
    EXPECT_EQ(GetClipboardText(), L"main");
}

} // namespace
