// Text for signal handlers: numbers in the report's formats, and text that never runs past its buffer.
#include "platform/process/SignalSafeText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using Platform::SignalSafeText;

TEST(SignalSafeText, NumbersInTheReportFormats)
{
    char buffer[128];
    SignalSafeText text(buffer, sizeof buffer);
    text.AppendHex(0x1F2, 4).Append(' ').AppendHex(0xDEADBEEF, 1).Append(' ').AppendLowerHex(0xC0000005);
    text.Append(' ').AppendDecimal(std::numeric_limits<int64_t>::min()).Append(' ').AppendDecimal(0);
    EXPECT_EQ(text.View(), "01F2 DEADBEEF c0000005 -9223372036854775808 0");
}

TEST(SignalSafeText, TextBeyondTheBufferIsCutOff)
{
    char buffer[8];
    SignalSafeText text(buffer, sizeof buffer);
    text.Append("0123456789").AppendHex(0xFFFF, 16);
    EXPECT_EQ(text.View(), "0123456");
    EXPECT_EQ(buffer[7], '\0');
    text.Truncate(3);
    EXPECT_STREQ(buffer, "012");
}

} // namespace
