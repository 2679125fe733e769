#include "platform/audio/AudioOutput.h"

#include "platform/log/Log.h"
#include "tests/SuiteLabels.h"
#include "tests/platform/CapturedStderr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace Platform;

ILVANE_THREADED_SUITE(AudioOutput);

// A real driver is asked for; where the machine has no sound device, the sound library's complaints stay off the
// terminal and the log gets the one line that says why the game is silent.
TEST(AudioOutput, WithoutADeviceItRunsSilentWithOneLineInTheLog)
{
    const std::string previousDriver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    std::vector<std::string> lines;
    const LogSink previousSink = SetLogSink([&](LogLevel level, const char* area, const std::string& text) {
        if (level >= LogLevel::Warning)
            lines.push_back(std::string(area) + ": " + text);
    });
    PlatformTest::CapturedStderr captured;
    AudioOutput::Acquire();
    const bool silent = AudioOutput::IsSilent();
    AudioOutput::Release();
    const std::string printed = captured.Text();
    SetLogSink(previousSink);
    if (previousDriver.empty())
        unsetenv("SDL_AUDIODRIVER");
    else
        setenv("SDL_AUDIODRIVER", previousDriver.c_str(), 1);

    EXPECT_EQ(printed, "");
    if (silent) {
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("audio: no audio", 0), 0u) << lines[0];
    } else {
        EXPECT_TRUE(lines.empty());
    }
}

} // namespace
