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

/// Where the registry keeps its stored keys, each one a tree saved and loaded as a whole. Implementations need
/// not be thread-safe: the registry calls them under its own lock.
class RegistryStorage {
public:
    virtual ~RegistryStorage() = default;
    /// The stored key; nullopt when it was never stored or cannot be read.
    virtual std::optional<RegistryKeyNode> Load(const RegistryStoredKeyPath& path) = 0;
    /// Replaces the stored key as a whole; false (previous state kept) on failure.
    virtual bool Save(const RegistryStoredKeyPath& path, const RegistryKeyNode& key) = 0;
};

/// One text file per stored key: <folder>/<name>/<name>/"registry.txt", so "SOFTWARE\Ostrel Games\Ilvane Cafe"
/// and its sub-keys live in "$XDG_CONFIG_HOME/Ostrel Games/Ilvane Cafe/registry.txt". Folder names are found
/// without regard to case, as key names are. A damaged file reads as missing and stays on disk until the next
/// successful save, which first copies it to "registry.txt.corrupt". Files are replaced atomically.
class FileRegistryStorage final : public RegistryStorage {
public:
    /// Follows ConfigFolder() at every call, so that tests that move $XDG_CONFIG_HOME are obeyed.
    FileRegistryStorage() = default;
    explicit FileRegistryStorage(std::filesystem::path folder) : mFolder(std::move(folder)) {}

    /// The file of a stored key; empty when a name cannot be a folder name ("", ".", "..", or holding '/').
    std::filesystem::path FileFor(const RegistryStoredKeyPath& path) const;

    std::optional<RegistryKeyNode> Load(const RegistryStoredKeyPath& path) override;
    bool Save(const RegistryStoredKeyPath& path, const RegistryKeyNode& key) override;

private:
    std::filesystem::path mFolder; // empty: ConfigFolder()
};

/// Keeps stored keys in memory, for tests; saving can be made to fail to reach the error paths.
class MemoryRegistryStorage final : public RegistryStorage {
public:
    std::optional<RegistryKeyNode> Load(const RegistryStoredKeyPath& path) override;
    bool Save(const RegistryStoredKeyPath& path, const RegistryKeyNode& key) override;

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
