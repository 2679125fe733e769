#include "platform/log/Log.h"

#include "tests/platform/CapturedStderr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace Platform;

TEST(Log, TheDefaultSinkKeepsDebugEntriesOffTheTerminal)
{
    if (std::getenv("ILVANE_LOG_DEBUG") != nullptr)
        GTEST_SKIP() << "ILVANE_LOG_DEBUG asks for the debug entries";
    const LogSink previous = SetLogSink({});
    PlatformTest::CapturedStderr captured;
    Log(LogLevel::Debug, "app", "Avg FPS       = %d", 60);
    Log(LogLevel::Warning, "audio", "no audio device, running silent");
    const std::string text = captured.Text();
    SetLogSink(previous);
    EXPECT_EQ(text, "[warning] audio: no audio device, running silent\n");

    // An installed sink receives every entry, debug ones included.
    std::vector<std::string> entries;
    SetLogSink([&](LogLevel, const char*, const std::string& entry) { entries.push_back(entry); });
    Log(LogLevel::Debug, "app", "Draw Count    = %d", 4);
    SetLogSink(previous);
    EXPECT_EQ(entries, std::vector<std::string>{"Draw Count    = 4"});
}

} // namespace
