#include "platform/registry/RegistryStorage.h"

#include "platform/files/FileSystem.h"
#include "platform/log/Log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

namespace Platform {
namespace {

constexpr const char* kFileName = "registry.txt";

bool UsableFolderName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Keeps a damaged file for whoever wants to look at it, rather than losing it to its replacement. A copy, not a
// move: the damaged file stays in place should the write that follows fail. The copy of an earlier damage is kept.
void KeepDamaged(const fs::path& file)
{
    constexpr int kMaxCopies = 100;
    for (int n = 1; n <= kMaxCopies; ++n) {
        fs::path aside = file;
        aside += n == 1 ? std::string(".corrupt") : ".corrupt." + std::to_string(n);
        std::error_code error;
        if (fs::copy_file(file, aside, fs::copy_options::none, error)) {
            return;
        }
        if (error != std::errc::file_exists) {
            PLATFORM_LOG_WARNING("registry", "cannot keep a copy of %s: %s", file.c_str(), error.message().c_str());
            return;
        }
    }
    PLATFORM_LOG_WARNING("registry", "cannot keep a copy of %s: %d copies of earlier damage are there", file.c_str(),
                         kMaxCopies);
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

std::string FileRegistryStorage::CacheName(const fs::path& file)
{
    std::string name = file.string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
    return name;
}

FileRegistryStorage::Cached* FileRegistryStorage::Load(const fs::path& file)
{
    const auto [it, added] = mCached.try_emplace(CacheName(file));
    if (!added) {
        return &it->second;
    }
    Cached& cached = it->second;
    RemoveAbandonedWrites(file.string());
    ++mFileReads;
    std::vector<uint8_t> bytes;
    const ReadOutcome outcome = ReadFileIfPresent(file.string(), bytes);
    if (outcome == ReadOutcome::Missing) {
        return &cached;
    }
    if (outcome == ReadOutcome::Failed) {
        // Its settings are not known, so no save may replace them with what is known.
        cached.unreadable = true;
        PLATFORM_LOG_WARNING("registry", "cannot read %s: %s; settings are not saved over it", file.c_str(),
                             std::strerror(errno));
        return &cached;
    }
    cached.key = ParseRegistryKey(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!cached.key) {
        cached.damaged = true;
        PLATFORM_LOG_WARNING("registry", "%s is damaged; its settings read as empty", file.c_str());
    }
    return &cached;
}

const RegistryKeyNode* FileRegistryStorage::Find(const RegistryStoredKeyPath& path)
{
    const fs::path file = FileFor(path);
    if (file.empty()) {
        return nullptr;
    }
    const Cached* cached = Load(file);
    return cached->key ? &*cached->key : nullptr;
}

bool FileRegistryStorage::Save(const RegistryStoredKeyPath& path, RegistryKeyNode key)
{
    const fs::path file = FileFor(path);
    if (file.empty()) {
        return false;
    }
    Cached* cached = Load(file);
    if (cached->unreadable) {
        // The key was built without the stored values. Forgotten, the file is read again at the next use, and a
        // change made then keeps them.
        PLATFORM_LOG_WARNING("registry", "cannot save %s: it could not be read; left as it is", file.c_str());
        mCached.erase(CacheName(file));
        return false;
    }
    if (cached->damaged) {
        KeepDamaged(ResolvePath(file.string()));
    }
    const std::string text = SerializeRegistryKey(key);
    ++mFileWrites;
    if (!WriteFileAtomic(file.string(), {reinterpret_cast<const uint8_t*>(text.data()), text.size()})) {
        return false;
    }
    cached->key = std::move(key);
    cached->damaged = false;
    return true;
}

bool MemoryRegistryStorage::PathLess::operator()(const RegistryStoredKeyPath& a, const RegistryStoredKeyPath& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), RegistryNameLess{});
}

const RegistryKeyNode* MemoryRegistryStorage::Find(const RegistryStoredKeyPath& path)
{
    const auto it = mKeys.find(path);
    return it == mKeys.end() ? nullptr : &it->second;
}

bool MemoryRegistryStorage::Save(const RegistryStoredKeyPath& path, RegistryKeyNode key)
{
    if (mFailSaves) {
        return false;
    }
    ++mSaveCount;
    mKeys[path] = std::move(key);
    return true;
}

} // namespace Platform
