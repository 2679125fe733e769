// Every test runs headless: SDL's dummy drivers, and user folders redirected into a scratch folder so that no
// test reads or writes the real settings, application data or single-instance lock.
#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", /*overwrite=*/0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    // ctest's test discovery: the suites and their marks (tests/SuiteLabels.h).
    if (int status = 0; TestSuiteLabels::ListIfAsked(argc, argv, &status))
        return status;

    const auto scratch = std::filesystem::temp_directory_path() / ("ilvane-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    for (const char* var : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        const auto dir = scratch / var;
        std::filesystem::create_directories(dir);
        setenv(var, dir.c_str(), 1);
    }

    TestSuiteLabels::WatchThreads();
    const int result = TestSuiteLabels::CheckThreads(RUN_ALL_TESTS());
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return result;
}
