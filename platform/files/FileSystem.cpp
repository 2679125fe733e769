#include "platform/files/FileSystem.h"

#include "platform/log/Log.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

namespace fs = std::filesystem;

namespace Platform {
namespace {

char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

// Case-insensitive first, bytes second, so that the order is stable and names differing only in case stay apart.
bool NameLess(const std::string& a, const std::string& b)
{
    const auto folded = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return (unsigned char)FoldCase(x) < (unsigned char)FoldCase(y);
    });
    if (folded || !EqualNoCase(a, b)) {
        return folded;
    }
    return a < b;
}

// Windows normalises "." and ".." lexically before it looks at the disk; doing the same keeps "a\..\b" working
// even when "a" does not exist.
std::vector<std::string> SplitComponents(std::string_view path, bool absolute)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        const std::string_view part = path.substr(start, end - start);
        if (part.empty() || part == ".") {
            // skip
        } else if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (!absolute) {
                parts.emplace_back(part);
            }
        } else {
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    return parts;
}

enum class EntryKind { None, Folder, Other };

EntryKind KindOf(const fs::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return EntryKind::None;
    }
    return S_ISDIR(info.st_mode) ? EntryKind::Folder : EntryKind::Other;
}

// The entry of `folder` that `name` names without regard to case. An exact match wins; a component that must
// lead further prefers a folder. Returns an empty string when nothing matches.
std::string FindEntry(const fs::path& folder, const std::string& name, bool needFolder)
{
    const EntryKind exact = KindOf(folder / name);
    if (exact == EntryKind::Folder || (exact == EntryKind::Other && !needFolder)) {
        return name;
    }
    std::vector<std::string> candidates;
    std::error_code error;
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    for (fs::directory_iterator it(where, error), end; !error && it != end; it.increment(error)) {
        std::string entry = it->path().filename().string();
        if (EqualNoCase(entry, name)) {
            candidates.push_back(std::move(entry));
        }
    }
    std::sort(candidates.begin(), candidates.end(), NameLess);
    if (needFolder) {
        for (const auto& candidate : candidates) {
            if (KindOf(folder / candidate) == EntryKind::Folder) {
                return candidate;
            }
        }
    }
    if (!candidates.empty()) {
        return candidates.front();
    }
    return exact != EntryKind::None ? name : std::string();
}

bool WriteAll(int fd, std::span<const uint8_t> data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += size_t(written);
    }
    return true;
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home) {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir) {
        return found->pw_dir;
    }
    return fs::temp_directory_path().string();
}

// XDG says a relative value is invalid and is to be ignored.
fs::path XdgFolder(const char* variable, const char* fallbackBelowHome)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/') {
        return value;
    }
    return fs::path(HomeFolder()) / fallbackBelowHome;
}

} // namespace

std::string ToNativeSeparators(std::string_view path)
{
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

fs::path ResolvePath(std::string_view path)
{
    const std::string native = ToNativeSeparators(path);
    if (native.empty()) {
        return {};
    }
    const bool absolute = native.front() == '/';
    const std::vector<std::string> parts = SplitComponents(native, absolute);

    fs::path result = absolute ? fs::path("/") : fs::path();
    bool found = true; // once a component is missing, nothing below it can exist
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (!found || part == "..") {
            result /= part;
            continue;
        }
        const std::string entry = FindEntry(result, part, i + 1 < parts.size());
        if (entry.empty()) {
            found = false;
            result /= part;
        } else {
            result /= entry;
        }
    }
    if (result.empty()) {
        return ".";
    }
    return result;
}

FILE* OpenFile(std::string_view path, const char* mode)
{
    return std::fopen(ResolvePath(path).c_str(), mode);
}

bool FileExists(std::string_view path)
{
    std::error_code error;
    return fs::is_regular_file(ResolvePath(path), error);
}

bool FolderExists(std::string_view path)
{
    std::error_code error;
    return fs::is_directory(ResolvePath(path), error);
}

bool CreateFolders(std::string_view path)
{
    const fs::path resolved = ResolvePath(path);
    std::error_code error;
    fs::create_directories(resolved, error);
    return fs::is_directory(resolved, error);
}

bool RemoveFile(std::string_view path)
{
    const fs::path resolved = ResolvePath(path);
    struct stat info {};
    // Like DeleteFile: a folder is not a file, even an empty one.
    if (::lstat(resolved.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return false;
    }
    return ::unlink(resolved.c_str()) == 0;
}

std::optional<uint64_t> FileSize(std::string_view path)
{
    std::error_code error;
    const fs::path resolved = ResolvePath(path);
    if (!fs::is_regular_file(resolved, error)) {
        return std::nullopt;
    }
    const uintmax_t size = fs::file_size(resolved, error);
    if (error) {
        return std::nullopt;
    }
    return uint64_t(size);
}

bool ReadWholeFile(std::string_view path, std::vector<uint8_t>& out)
{
    return ReadFileIfPresent(path, out) == ReadOutcome::Read;
}

ReadOutcome ReadFileIfPresent(std::string_view path, std::vector<uint8_t>& out)
{
    const fs::path resolved = ResolvePath(path);
    // O_NONBLOCK so that a FIFO in the file's place cannot hang the open; only regular files are read.
    const int fd = ::open(resolved.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? ReadOutcome::Missing : ReadOutcome::Failed;
    }
    struct stat info {};
    const bool examined = ::fstat(fd, &info) == 0;
    if (!examined || !S_ISREG(info.st_mode)) {
        const int reason = !examined ? errno : S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = reason;
        return ReadOutcome::Failed;
    }
    std::vector<uint8_t> data;
    data.reserve(info.st_size > 0 ? size_t(info.st_size) : 0);
    // Read to the end rather than trusting the size: the file may change under us, and some files report 0.
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int reason = errno;
            ::close(fd);
            errno = reason;
            return ReadOutcome::Failed;
        }
        if (got == 0) {
            break;
        }
        data.insert(data.end(), chunk, chunk + got);
    }
    ::close(fd);
    out = std::move(data);
    return ReadOutcome::Read;
}

bool WriteFileAtomic(std::string_view path, std::span<const uint8_t> data)
{
    // Past the file-size limit the kernel sends SIGXFSZ, whose default ends the process; ignored, the write fails
    // with EFBIG and the old file stays. A handler someone installed is kept.
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        ::signal(SIGXFSZ, SIG_IGN);
    }
    const fs::path target = ResolvePath(path);
    if (!target.has_filename()) {
        PLATFORM_LOG_ERROR("files", "cannot write '%.*s': no file name", int(path.size()), path.data());
        return false;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code error;
    fs::create_directories(folder, error);
    if (KindOf(target) == EntryKind::Folder) {
        PLATFORM_LOG_ERROR("files", "cannot write '%s': a folder is in the way", target.c_str());
        return false;
    }

    // O_EXCL with a name of our own, rather than mkstemp, so that the new file gets the usual umask-based mode.
    static std::atomic<unsigned> counter{0};
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder / ("." + target.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" +
                         std::to_string(counter.fetch_add(1)));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        PLATFORM_LOG_ERROR("files", "cannot write '%s': %s", target.c_str(), std::strerror(errno));
        return false;
    }

    bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), target.c_str()) == 0) {
        // Make the rename itself durable; failing here leaves a complete file either way.
        const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
        return true;
    }
    PLATFORM_LOG_ERROR("files", "cannot write '%s': %s", target.c_str(), std::strerror(ok ? errno : savedErrno));
    ::unlink(temp.c_str());
    return false;
}

int RemoveAbandonedWrites(std::string_view path)
{
    const fs::path target = ResolvePath(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // The names WriteFileAtomic gives: "." + file name + ".tmp" + process id + "-" + counter.
    const std::string prefix = "." + target.filename().string() + ".tmp";
    int removed = 0;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const size_t dash = name.find('-', prefix.size());
        const std::string pidText = name.substr(prefix.size(), dash == std::string::npos ? 0 : dash - prefix.size());
        if (pidText.empty() || pidText.size() > 9 || pidText.find_first_not_of("0123456789") != std::string::npos ||
            name.find_first_not_of("0123456789", dash + 1) != std::string::npos || dash + 1 == name.size()) {
            continue;
        }
        const pid_t pid = pid_t(std::stol(pidText));
        if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) {
            continue; // a write that may still be going on
        }
        std::error_code removeError;
        if (fs::remove(it->path(), removeError)) {
            ++removed;
        }
    }
    return removed;
}

uint64_t ToFileTime(int64_t seconds, int64_t nanoseconds)
{
    constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
    const int64_t ticks = (seconds + kSecondsFrom1601To1970) * 10'000'000 + nanoseconds / 100;
    return ticks > 0 ? uint64_t(ticks) : 0;
}

std::optional<int> FileLastWriteYear(std::string_view path)
{
    struct stat info {};
    if (::stat(ResolvePath(path).c_str(), &info) != 0)
        return std::nullopt;
    const time_t when = info.st_mtim.tv_sec;
    struct tm utc {};
    if (!gmtime_r(&when, &utc))
        return std::nullopt;
    return utc.tm_year + 1900;
}

std::vector<FoundFile> FindFiles(std::string_view pattern)
{
    const std::string native = ToNativeSeparators(pattern);
    const size_t slash = native.rfind('/');
    const std::string namePattern = slash == std::string::npos ? native : native.substr(slash + 1);
    if (namePattern.empty()) {
        return {};
    }
    fs::path folder;
    if (slash == std::string::npos) {
        folder = ".";
    } else if (slash == 0) {
        folder = "/";
    } else {
        folder = ResolvePath(std::string_view(native).substr(0, slash));
    }

    std::vector<FoundFile> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!WildcardMatch(namePattern, name)) {
            continue;
        }
        FoundFile file;
        file.name = std::move(name);
        // One status call gives the kind, the size and the times (the link's target for a link, as a find does).
        struct statx info {};
        if (::statx(AT_FDCWD, it->path().c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) == 0) {
            file.isFolder = S_ISDIR(info.stx_mode);
            file.size = file.isFolder ? 0 : uint64_t(info.stx_size);
            file.lastWriteTime = ToFileTime(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
            file.lastAccessTime = ToFileTime(info.stx_atime.tv_sec, info.stx_atime.tv_nsec);
            file.creationTime = (info.stx_mask & STATX_BTIME) != 0
                                    ? ToFileTime(info.stx_btime.tv_sec, info.stx_btime.tv_nsec)
                                    : file.lastWriteTime;
        } else {
            std::error_code statError;
            file.isFolder = it->is_directory(statError);
        }
        found.push_back(std::move(file));
    }
    std::sort(found.begin(), found.end(),
              [](const FoundFile& a, const FoundFile& b) { return NameLess(a.name, b.name); });
    return found;
}

namespace {

// Greedy match with one back-tracking point per '*': linear in practice, never exponential.
bool MatchPlain(std::string_view pattern, std::string_view name)
{
    size_t p = 0;
    size_t n = 0;
    size_t starP = std::string_view::npos;
    size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    if (MatchPlain(pattern, name)) {
        return true;
    }
    // As on Windows, a name without an extension also matches as if it ended in '.', so "*.*" lists every
    // file and "*." lists the ones without an extension.
    if (name.find('.') == std::string_view::npos && pattern.find('.') != std::string_view::npos) {
        return MatchPlain(pattern, std::string(name) + ".");
    }
    return false;
}

fs::path AppDataFolder()
{
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

fs::path ConfigFolder()
{
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

fs::path ExecutablePath()
{
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : exe;
}

fs::path ExecutableFolder()
{
    const fs::path exe = ExecutablePath();
    if (exe.has_parent_path()) {
        return exe.parent_path();
    }
    std::error_code error;
    return fs::current_path(error);
}

namespace {

std::mutex gSystemFolderMutex;
fs::path gSystemFolder; // empty: the default

} // namespace

fs::path SystemFolder()
{
    std::lock_guard lock(gSystemFolderMutex);
    return gSystemFolder.empty() ? fs::path("/usr/lib") : gSystemFolder;
}

void SetSystemFolder(const fs::path& folder)
{
    std::lock_guard lock(gSystemFolderMutex);
    gSystemFolder = folder;
}

} // namespace Platform
