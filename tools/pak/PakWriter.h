#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace PakTool {

/// One file to store: its name inside the archive (relative, '\' separators, at most 255 bytes), its bytes and
/// its time as a Windows FILETIME (100 ns units since 1601).
struct PakEntry {
    std::string name;
    std::vector<uint8_t> data;
    uint64_t fileTime = 0;
};

/// The archive bytes for the entries, in the given order (format in graphics/PakInterface.h). False, with the
/// reason in `error`, when a name is too long or the archive would pass 4 GiB.
[[nodiscard]] bool BuildPak(const std::vector<PakEntry>& entries, std::vector<uint8_t>& out, std::string& error);

/// Every regular file below `folder` but `leaveOut` (the archive being written, when it lies there), named
/// relative to it with '\' separators, sorted by name so that the same folder always gives the same archive.
/// False, with the file named in `error`, when the folder or any of its files cannot be read.
[[nodiscard]] bool CollectFolder(const std::filesystem::path& folder, std::vector<PakEntry>& out, std::string& error,
                                 const std::filesystem::path& leaveOut = {});

/// FILETIME of a file's last change.
uint64_t FileTimeOf(const std::filesystem::path& path);

} // namespace PakTool
