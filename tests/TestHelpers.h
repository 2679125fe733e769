#pragma once

#include "platform/log/Log.h"

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

/// Helpers that tests of every layer share.
namespace TestHelpers {

/// Silences the log while it lives: the failure cases log their warnings on purpose.
class QuietLog {
public:
    QuietLog() : mPrevious(Platform::SetLogSink([](Platform::LogLevel, const char*, const std::string&) {})) {}
    ~QuietLog() { Platform::SetLogSink(std::move(mPrevious)); }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

private:
    Platform::LogSink mPrevious;
};

/// Collects the log lines while it lives.
class LogCapture {
public:
    LogCapture()
    {
        mPrevious = Platform::SetLogSink(
            [this](Platform::LogLevel, const char*, const std::string& text) { mLines.push_back(text); });
    }
    ~LogCapture() { Platform::SetLogSink(std::move(mPrevious)); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    /// Whether a line holds the text.
    [[nodiscard]] bool Has(const std::string& text) const
    {
        for (const std::string& line : mLines) {
            if (line.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

private:
    std::vector<std::string> mLines;
    Platform::LogSink mPrevious;
};

/// A fresh, empty folder under the system's temporary folder, named after the tag, the process and a count, so
/// that tests running at once never share one; removed with all it holds when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& tag)
        : mPath(std::filesystem::temp_directory_path() /
                ("ilvane-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(sCount++)))
    {
        std::filesystem::remove_all(mPath);
        std::filesystem::create_directories(mPath);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return mPath; }
    [[nodiscard]] std::string Str() const { return mPath.string(); }
    /// The path of a file in the folder.
    [[nodiscard]] std::string Name(const std::string& name) const { return (mPath / name).string(); }
    /// Writes the bytes to a file in the folder, making the folders on its way; returns its path.
    std::string Write(const std::string& name, std::string_view bytes) const
    {
        std::filesystem::create_directories((mPath / name).parent_path());
        std::ofstream(mPath / name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return Name(name);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        return Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

private:
    static inline std::atomic<int> sCount = 0;
    std::filesystem::path mPath;
};

/// Works in a folder while it lives, so that relative names resolve there.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& path) : mPrevious(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~WorkingFolder() { std::filesystem::current_path(mPrevious); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path mPrevious;
};

} // namespace TestHelpers
