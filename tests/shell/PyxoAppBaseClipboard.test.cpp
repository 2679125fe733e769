// The application's narrow clipboard text is UTF-8 on SDL's dummy video driver.
#include "platform/window/Clipboard.h"
#include "tests/shell/PyxoAppBaseTestApp.h"

#include <gtest/gtest.h>

namespace {

using namespace PyxoTest;

class AppClipboard : public AppFixture {};

TEST_F(AppClipboard, NarrowTextIsUtf8AndRoundTrips)
{
    TestApp& app = MakeApp();
    const std::string name = "\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0_7"; // "Анна_7"
    app.CopyToClipboard(name);
    EXPECT_EQ(Platform::GetClipboardText(), L"\u0410\u043D\u043D\u0430_7") << "the platform sees the same letters";
    EXPECT_EQ(app.GetClipboardText(), name);

    ASSERT_TRUE(Platform::SetClipboardText(L"\u0416\u0435\u043D\u044F"));
    EXPECT_EQ(app.GetClipboardText(), "\xD0\x96\xD0\xB5\xD0\xBD\xD1\x8F") << "text copied elsewhere arrives as UTF-8";
}

} // namespace
