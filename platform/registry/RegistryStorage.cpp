#include "platform/registry/RegistryStorage.h"

#include "platform/files/FileSystem.h"
#include "platform/log/Log.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace Platform {
namespace {

constexpr const char* kFileName = "registry.txt";

bool UsableFolderName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

} // namespace

fs::path FileRegistryStorage::FileFor(const RegistryStoredKeyPath& path) const
{
    fs::path file = mFolder.empty() ? ConfigFolder() : mFolder;
    for (const auto& name : path) {
        if (!UsableFolderName(name)) {
            return {};
        }
        file /= name;
    }
    return file / kFileName;
}

std::optional<RegistryKeyNode> FileRegistryStorage::Load(const RegistryStoredKeyPath& path)
{
    const fs::path file = FileFor(path);
    std::vector<uint8_t> bytes;
    if (file.empty() || !ReadWholeFile(file.string(), bytes)) {
        return std::nullopt;
    }
    auto key = ParseRegistryKey(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!key) {
        PLATFORM_LOG_WARNING("registry", "%s is damaged; its settings read as empty", file.c_str());
    }
    return key;
}

bool FileRegistryStorage::Save(const RegistryStoredKeyPath& path, const RegistryKeyNode& key)
{
    const fs::path file = FileFor(path);
    if (file.empty()) {
        return false;
    }
    // Keep a damaged file for whoever wants to look at it, rather than losing it to the replacement.
    std::vector<uint8_t> old;
    if (ReadWholeFile(file.string(), old) &&
        !ParseRegistryKey(std::string_view(reinterpret_cast<const char*>(old.data()), old.size()))) {
        // A copy, not a move: the damaged file stays in place should the write below fail.
        const fs::path resolved = ResolvePath(file.string());
        fs::path aside = resolved;
        aside += ".corrupt";
        std::error_code error;
        fs::copy_file(resolved, aside, fs::copy_options::overwrite_existing, error);
        if (error) {
            PLATFORM_LOG_WARNING("registry", "cannot keep a copy of %s: %s", resolved.c_str(), error.message().c_str());
        }
    }
    const std::string text = SerializeRegistryKey(key);
    return WriteFileAtomic(file.string(), {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

bool MemoryRegistryStorage::PathLess::operator()(const RegistryStoredKeyPath& a, const RegistryStoredKeyPath& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), RegistryNameLess{});
}

std::optional<RegistryKeyNode> MemoryRegistryStorage::Load(const RegistryStoredKeyPath& path)
{
    const auto it = mKeys.find(path);
    if (it == mKeys.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool MemoryRegistryStorage::Save(const RegistryStoredKeyPath& path, const RegistryKeyNode& key)
{
    if (mFailSaves) {
        return false;
    }
    ++mSaveCount;
    mKeys[path] = key;
    return true;
}

} // namespace Platform
