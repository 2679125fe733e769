#pragma once

// Sound files made at test time, and a scratch folder for them.
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

/// A fresh folder under the test run's scratch folder, removed again at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
        : mPath(std::filesystem::temp_directory_path() / ("ilvane-sound-" + std::to_string(getpid()) + "-" + name))
    {
        std::filesystem::remove_all(mPath);
        std::filesystem::create_directories(mPath);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    const std::filesystem::path& Path() const { return mPath; }
    std::string Str() const { return mPath.string(); }

private:
    std::filesystem::path mPath;
};

/// Works in a folder for the lifetime of the object, so that relative sound names resolve there.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& path) : mPrevious(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~WorkingFolder() { std::filesystem::current_path(mPrevious); }

private:
    std::filesystem::path mPrevious;
};

} // namespace SoundTest
