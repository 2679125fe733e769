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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

using TestHelpers::ScratchFolder;
using TestHelpers::WorkingFolder;

} // namespace SoundTest
