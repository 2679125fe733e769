#pragma once

// Helpers of the content-tool tests: a scratch folder per test, and whole-file reads and writes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ToolsTest {

/// A folder of its own for each test, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "ilvane-tools-" + std::to_string(getpid()) + "-" +
                           (info != nullptr ? std::string(info->test_suite_name()) + "-" + info->name() : "x");
        for (char& c : name) {
            if (c == '/')
                c = '_';
        }
        mPath = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(mPath);
        std::filesystem::create_directories(mPath);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return mPath; }

    /// Writes the bytes (creating folders); returns the path.
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const
    {
        const std::filesystem::path path = mPath / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private:
    std::filesystem::path mPath;
};

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

/// The UTF-16LE bytes after a byte-order mark, as narrow text (the tests use ASCII only).
inline std::string AsciiOfUtf16(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += bytes[i + 1] == 0 ? char(bytes[i]) : '?';
    return text;
}

} // namespace ToolsTest
