#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

/// File access with Windows path semantics on a case-sensitive file system: every call maps '\' to '/' and
/// finds existing names without regard to case. Paths are narrow byte strings as the callers hold them;
/// relative paths resolve against the working directory. Thread-safe.

/// '\' becomes '/'; nothing else changes.
std::string ToNativeSeparators(std::string_view path);

/// The path of the existing entry that matches `path` without regard to case, component by component. Components
/// that match nothing are kept as given, so the result also names where a new file would be created.
std::filesystem::path ResolvePath(std::string_view path);

/// fopen on the resolved path; null (errno set) on failure.
FILE* OpenFile(std::string_view path, const char* mode);

bool FileExists(std::string_view path);    // a regular file
bool FolderExists(std::string_view path);  // a directory
bool CreateFolders(std::string_view path); // like mkdir -p; true when the folder exists afterwards
bool RemoveFile(std::string_view path);
std::optional<uint64_t> FileSize(std::string_view path);

/// Reads a whole regular file; false when it cannot be opened or read, or is not a regular file.
bool ReadWholeFile(std::string_view path, std::vector<uint8_t>& out);

enum class ReadOutcome { Read, Missing, Failed };
/// ReadWholeFile that tells a missing file (nothing at the path, or a folder on the way that is not one) from
/// one that is there but cannot be read; errno holds the reason of a failure. `out` changes only when read.
ReadOutcome ReadFileIfPresent(std::string_view path, std::vector<uint8_t>& out);

/// Writes to a temporary file beside the target, flushes it and renames it over the target, so that a crash or a
/// full disk never leaves a half-written file. Creates missing parent folders. False (target untouched) on failure.
/// A write beyond the process's file-size limit fails like a full disk: SIGXFSZ, whose default would end the
/// process, is set to be ignored unless a handler was installed.
bool WriteFileAtomic(std::string_view path, std::span<const uint8_t> data);

/// Removes the temporary files that WriteFileAtomic left beside `path` in processes that ended in the middle of a
/// write (killed, or the machine stopped). Those of processes still running are left to them. Returns how many
/// were removed.
int RemoveAbandonedWrites(std::string_view path);

/// A time as a Windows FILETIME: 100-ns units since 1601-01-01 UTC, from seconds and nanoseconds since 1970.
[[nodiscard]] uint64_t ToFileTime(int64_t seconds, int64_t nanoseconds);

/// The calendar year (UTC) of a file's last write, following links; none when the file cannot be examined.
[[nodiscard]] std::optional<int> FileLastWriteYear(std::string_view path);

struct FoundFile {
    std::string name; // the name as stored on disk, without the folder
    bool isFolder = false;
    uint64_t size = 0;
    // FILETIMEs. Creation is the birth time where the file system keeps one, else the last write.
    uint64_t creationTime = 0;
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
};

/// Entries of a folder whose names match the last component of `pattern` ('*' and '?' wildcards, case ignored),
/// sorted by name. "." and ".." are not listed. Empty when the folder does not exist.
std::vector<FoundFile> FindFiles(std::string_view pattern);

/// Case-insensitive wildcard match of one name ('*' any run, '?' one character).
bool WildcardMatch(std::string_view pattern, std::string_view name);

/// The user's application-data folder: $XDG_DATA_HOME, else ~/.local/share.
std::filesystem::path AppDataFolder();
/// The user's configuration folder: $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path ConfigFolder();
/// The running executable, empty when the system does not say.
std::filesystem::path ExecutablePath();
/// The folder of the running executable.
std::filesystem::path ExecutableFolder();
/// The platform's system folder, where bare names of system files are looked for: /usr/lib unless a test chose
/// another (an empty path restores it). Thread-safe.
std::filesystem::path SystemFolder();
void SetSystemFolder(const std::filesystem::path& folder);

} // namespace Platform
