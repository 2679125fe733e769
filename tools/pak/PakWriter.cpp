#include "tools/pak/PakWriter.h"

#include "graphics/PakInterface.h"
#include "platform/files/FileSystem.h"

#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace PakTool {
namespace {

class XorWriter {
public:
    explicit XorWriter(std::vector<uint8_t>& out) : mOut(out) {}
    void Byte(uint8_t value) { mOut.push_back(value ^ kPakKey); }
    void Little(uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i) {
            Byte(uint8_t(value >> (8 * i)));
        }
    }
    void Bytes(const uint8_t* data, size_t size)
    {
        for (size_t i = 0; i < size; ++i) {
            Byte(data[i]);
        }
    }

private:
    std::vector<uint8_t>& mOut;
};

} // namespace

bool BuildPak(const std::vector<PakEntry>& entries, std::vector<uint8_t>& out, std::string& error)
{
    uint64_t total = 8 + 1;
    for (const PakEntry& entry : entries) {
        if (entry.name.size() > 255) {
            error = "name longer than 255 bytes: " + entry.name;
            return false;
        }
        total += 1 + 1 + entry.name.size() + 4 + 8 + entry.data.size();
    }
    if (total > std::numeric_limits<uint32_t>::max()) {
        error = "archive would exceed 4 GiB";
        return false;
    }
    out.clear();
    out.reserve(size_t(total));
    XorWriter writer(out);
    writer.Little(kPakMagic, 4);
    writer.Little(kPakVersion, 4);
    for (const PakEntry& entry : entries) {
        writer.Byte(0);
        writer.Byte(uint8_t(entry.name.size()));
        writer.Bytes(reinterpret_cast<const uint8_t*>(entry.name.data()), entry.name.size());
        writer.Little(entry.data.size(), 4);
        writer.Little(entry.fileTime, 8);
    }
    writer.Byte(kPakEndOfDirectory);
    for (const PakEntry& entry : entries) {
        writer.Bytes(entry.data.data(), entry.data.size());
    }
    return true;
}

uint64_t FileTimeOf(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return 0;
    }
    return Platform::ToFileTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
}

bool CollectFolder(const std::filesystem::path& folder, std::vector<PakEntry>& out, std::string& error,
                   const std::filesystem::path& leaveOut)
{
    std::error_code code;
    if (!std::filesystem::is_directory(folder, code)) {
        error = "not a folder: " + folder.string();
        return false;
    }
    // The archive being written may lie in the folder it packs: its previous version is no content.
    const auto canonical = [](const std::filesystem::path& path) {
        std::error_code ignored;
        const std::filesystem::path full = std::filesystem::weakly_canonical(path, ignored);
        return ignored ? path : full;
    };
    const std::filesystem::path skipped = leaveOut.empty() ? leaveOut : canonical(leaveOut);
    std::vector<std::filesystem::path> files;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, code);
         !code && it != std::filesystem::recursive_directory_iterator(); it.increment(code)) {
        if (it->is_regular_file(code) && (skipped.empty() || canonical(it->path()) != skipped)) {
            files.push_back(it->path());
        }
    }
    if (code) {
        error = folder.string() + ": " + code.message();
        return false;
    }
    out.clear();
    for (const auto& file : files) {
        PakEntry entry;
        entry.name = std::filesystem::relative(file, folder).generic_string();
        std::replace(entry.name.begin(), entry.name.end(), '/', '\\');
        // A file that cannot be read fails the pack: stored empty, it would pass for content.
        if (!Platform::ReadWholeFile(file.string(), entry.data)) {
            error = "cannot read " + file.string();
            return false;
        }
        entry.fileTime = FileTimeOf(file);
        out.push_back(std::move(entry));
    }
    std::sort(out.begin(), out.end(), [](const PakEntry& a, const PakEntry& b) { return a.name < b.name; });
    return true;
}

} // namespace PakTool
