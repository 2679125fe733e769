// Replays the fuzzing corpus through every entry point; run under the sanitizers, a read or write outside a
// buffer fails the test.
#include "fuzz/FuzzTargets.h"
#include "platform/log/Log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(FuzzCorpus, EveryEntryPointSurvivesItsCorpus)
{
    const Platform::LogSink previous = Platform::SetLogSink({});
    Fuzz::Initialize();
    for (const Fuzz::Target& target : Fuzz::Targets()) {
        const fs::path folder = fs::path(ILVANE_TEST_DATA) / "fuzz" / target.name;
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder)) {
            files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        EXPECT_FALSE(files.empty()) << folder;
        for (const fs::path& file : files) {
            SCOPED_TRACE(file.string());
            std::ifstream in(file, std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            target.run(bytes);
        }
    }
    Platform::SetLogSink(previous);
}

} // namespace
