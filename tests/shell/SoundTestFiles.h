#pragma once

// Sound files made at test time, and a scratch folder for them.
#include "tests/TestHelpers.h"
#include "tests/platform/audio/SoundFileBuilders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace SoundTest {

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    WriteBytes(path, bytes);
}

using TestHelpers::ScratchFolder;
using TestHelpers::WorkingFolder;

} // namespace SoundTest
