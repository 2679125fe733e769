#include "shell/PathHelpers.h"

#include "platform/files/FileSystem.h"

#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace Pyxo {
namespace {

constexpr bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

size_t LastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

// symlink_status throughout: a link is an entry like a file, so no walk ever leaves the folder it was given.
bool DeleteFolderTree(const fs::path& folder)
{
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(folder, error))) {
        return false;
    }
    // Listed first and removed afterwards, so that the listing does not change under the iterator.
    std::vector<fs::path> entries;
    fs::directory_iterator it(folder, error);
    if (error) {
        return false;
    }
    bool ok = true;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        entries.push_back(it->path());
    }
    if (error) {
        ok = false;
    }
    for (const auto& entry : entries) {
        const fs::file_status status = fs::symlink_status(entry, error);
        if (error) {
            ok = false;
        } else if (fs::is_directory(status)) {
            ok = DeleteFolderTree(entry) && ok;
        } else if (!fs::remove(entry, error)) {
            ok = false;
        }
    }
    if (!fs::remove(folder, error)) {
        ok = false;
    }
    return ok;
}

struct AppDataFolder {
    std::mutex mutex;
    std::string path;
};

AppDataFolder& StoredAppDataFolder()
{
    static AppDataFolder folder;
    return folder;
}

} // namespace

std::string GetFileName(const std::string& path, bool cutExtension)
{
    const size_t separator = LastSeparator(path);
    const size_t start = separator == std::string::npos ? 0 : separator + 1;
    std::string name = path.substr(start);
    if (cutExtension) {
        if (const size_t dot = name.rfind('.'); dot != std::string::npos) {
            name.resize(dot);
        }
    }
    return name;
}

std::string GetFileDir(const std::string& path, bool keepSeparator)
{
    const size_t separator = LastSeparator(path);
    if (separator == std::string::npos) {
        return {};
    }
    return path.substr(0, keepSeparator ? separator + 1 : separator);
}

std::string RemoveTrailingSlash(const std::string& path)
{
    if (!path.empty() && IsSeparator(path.back())) {
        return path.substr(0, path.size() - 1);
    }
    return path;
}

std::string AddTrailingSlash(const std::string& path, bool backslash)
{
    if (path.empty() || IsSeparator(path.back())) {
        return path;
    }
    return path + (backslash ? '\\' : '/');
}

void MkDir(const std::string& path)
{
    if (!path.empty()) {
        (void)Platform::CreateFolders(path);
    }
}

bool Deltree(const std::string& path)
{
    if (path.size() < 2) {
        return false;
    }
    return DeleteFolderTree(Platform::ResolvePath(path));
}

void SetAppDataFolder(const std::string& path)
{
    AppDataFolder& folder = StoredAppDataFolder();
    std::lock_guard lock(folder.mutex);
    // An empty path must stay empty: with a separator it would name the root of the file system.
    folder.path = path.empty() || IsSeparator(path.back()) ? path : path + '\\';
}

std::string GetAppDataFolder()
{
    AppDataFolder& folder = StoredAppDataFolder();
    std::lock_guard lock(folder.mutex);
    return folder.path;
}

} // namespace Pyxo
