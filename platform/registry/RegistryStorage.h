#pragma once

#include "platform/registry/RegistryKeyNode.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Platform {

/// The names of a stored key below HKEY_CURRENT_USER\SOFTWARE, at most two deep: {"Ostrel Games", "Ilvane Cafe"}.
using RegistryStoredKeyPath = std::vector<std::string>;

/// Where the registry keeps its stored keys, each one a tree saved as a whole. Implementations need not be
/// thread-safe: the registry calls them under its own lock.
class RegistryStorage {
public:
    virtual ~RegistryStorage() = default;
    /// The stored key, held by the storage until the next Save of it; null when it was never stored or cannot be
    /// read.
    virtual const RegistryKeyNode* Find(const RegistryStoredKeyPath& path) = 0;
    /// Replaces the stored key as a whole; false (previous state kept) on failure.
    virtual bool Save(const RegistryStoredKeyPath& path, RegistryKeyNode key) = 0;
};

/// One text file per stored key: <folder>/<name>/<name>/"registry.txt", so "SOFTWARE\Ostrel Games\Ilvane Cafe"
/// and its sub-keys live in "$XDG_CONFIG_HOME/Ostrel Games/Ilvane Cafe/registry.txt". Folder names are found
/// without regard to case, as key names are.
///
/// Each file is read once and then kept in memory for the life of the storage; a save writes the file again,
/// atomically. The first read also removes the temporary files of writes that were cut short. A damaged file reads
/// as missing (with one warning) and stays on disk until the next successful save, which first copies it to
/// "registry.txt.corrupt" (or, should that copy of an earlier damage still be there, the first free
/// "registry.txt.corrupt.<n>"). A file that is there but cannot be read (its permissions, a read error) reads as
/// empty and is never written over: a save of its key fails, logged, and the file is read again at the next use.
class FileRegistryStorage final : public RegistryStorage {
public:
    /// Follows ConfigFolder() at every call, so that tests that move $XDG_CONFIG_HOME are obeyed.
    FileRegistryStorage() = default;
    explicit FileRegistryStorage(std::filesystem::path folder) : mFolder(std::move(folder)) {}

    /// The file of a stored key; empty when a name cannot be a folder name ("", ".", "..", or holding '/').
    std::filesystem::path FileFor(const RegistryStoredKeyPath& path) const;

    const RegistryKeyNode* Find(const RegistryStoredKeyPath& path) override;
    bool Save(const RegistryStoredKeyPath& path, RegistryKeyNode key) override;

    /// How often a file was read from disk and written to it.
    int FileReads() const { return mFileReads; }
    int FileWrites() const { return mFileWrites; }

private:
    struct Cached {
        std::optional<RegistryKeyNode> key; // nullopt: no file, or a damaged one
        bool damaged = false;               // the file on disk is damaged and not yet replaced
        bool unreadable = false;            // the file is there but could not be read
    };
    static std::string CacheName(const std::filesystem::path& file);
    Cached* Load(const std::filesystem::path& file);

    std::filesystem::path mFolder;         // empty: ConfigFolder()
    std::map<std::string, Cached> mCached; // by the file's path, its names folded to lower case
    int mFileReads = 0;
    int mFileWrites = 0;
};

/// Keeps stored keys in memory, for tests; saving can be made to fail to reach the error paths.
class MemoryRegistryStorage final : public RegistryStorage {
public:
    const RegistryKeyNode* Find(const RegistryStoredKeyPath& path) override;
    bool Save(const RegistryStoredKeyPath& path, RegistryKeyNode key) override;

    void SetFailSaves(bool fail) { mFailSaves = fail; }
    int SaveCount() const { return mSaveCount; }

private:
    struct PathLess {
        bool operator()(const RegistryStoredKeyPath& a, const RegistryStoredKeyPath& b) const;
    };
    std::map<RegistryStoredKeyPath, RegistryKeyNode, PathLess> mKeys;
    bool mFailSaves = false;
    int mSaveCount = 0;
};

} // namespace Platform
