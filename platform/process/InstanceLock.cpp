#include "platform/process/InstanceLock.h"

#include "platform/log/Log.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace fs = std::filesystem;

namespace Platform {
namespace {

constexpr uint32_t kMagic = 0x49564C4Eu;
constexpr size_t kRecordSize = 24; // magic, reserved, wParam, lParam; far below PIPE_BUF, so writes are atomic

std::string FileName(std::string_view name, const char* suffix)
{
    std::string result(name.empty() ? std::string_view("_") : name);
    for (char& c : result) {
        if (c == '/' || c == '\0') {
            c = '_';
        }
    }
    return result + suffix;
}

void PutLE(uint8_t* out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out[i] = uint8_t(value >> (8 * i));
    }
}

uint64_t GetLE(const uint8_t* in, int bytes)
{
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value |= uint64_t(in[i]) << (8 * i);
    }
    return value;
}

void CloseFd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// A FIFO of ours at `path`, replacing whatever else is in the way (a stale file, another user's entry).
bool MakeFifo(const fs::path& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (S_ISFIFO(info.st_mode) && info.st_uid == ::geteuid()) {
            return true;
        }
        ::unlink(path.c_str());
    }
    return ::mkfifo(path.c_str(), 0600) == 0;
}

// Writing to a FIFO whose reader just went away raises SIGPIPE; that must not end the process, so the signal
// is held back for this thread and any that arrived is taken off again.
ssize_t WriteWithoutSigpipe(int fd, const uint8_t* data, size_t size)
{
    sigset_t pipeOnly;
    sigset_t previous;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    sigset_t pendingBefore;
    sigpending(&pendingBefore);
    const bool wasPending = sigismember(&pendingBefore, SIGPIPE) == 1;

    ssize_t written;
    do {
        written = ::write(fd, data, size);
    } while (written < 0 && errno == EINTR);
    const int savedErrno = errno;

    if (written < 0 && savedErrno == EPIPE && !wasPending) {
        const timespec zero{};
        sigtimedwait(&pipeOnly, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = savedErrno;
    return written;
}

} // namespace

InstanceLock::~InstanceLock()
{
    Release();
}

fs::path InstanceLock::DefaultFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        std::error_code error;
        if (fs::is_directory(runtime, error)) {
            return runtime;
        }
    }
    // A shared temporary folder: only a folder that is ours and nobody else's will do.
    std::error_code error;
    const fs::path folder = fs::temp_directory_path(error) / ("ilvane-" + std::to_string(::geteuid()));
    ::mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & 077) != 0) {
        PLATFORM_LOG_WARNING("instance", "no private folder for the instance lock at %s", folder.c_str());
        return {};
    }
    return folder;
}

InstanceLock::Result InstanceLock::Acquire(std::string_view mutexName, std::string_view notifyName,
                                           const fs::path& folder)
{
    Release();
    mFifoPath = folder.empty() ? fs::path() : folder / FileName(notifyName, ".fifo");
    if (folder.empty()) {
        return Result::Failed;
    }
    const fs::path lockPath = folder / FileName(mutexName, ".lock");
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        PLATFORM_LOG_ERROR("instance", "cannot open %s: %s", lockPath.c_str(), std::strerror(errno));
        return Result::Failed;
    }
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return Result::AlreadyRunning;
        }
        PLATFORM_LOG_ERROR("instance", "cannot lock %s: %s", lockPath.c_str(), std::strerror(error));
        return Result::Failed;
    }
    mLockFd = fd;

    if (!MakeFifo(mFifoPath)) {
        PLATFORM_LOG_WARNING("instance", "no notifications: cannot make %s: %s", mFifoPath.c_str(),
                             std::strerror(errno));
        return Result::Acquired;
    }
    mReadFd = ::open(mFifoPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (mReadFd >= 0) {
        mKeepOpenFd = ::open(mFifoPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    }
    if (mReadFd < 0 || mKeepOpenFd < 0) {
        PLATFORM_LOG_WARNING("instance", "no notifications: cannot open %s: %s", mFifoPath.c_str(),
                             std::strerror(errno));
        CloseFd(mReadFd);
        CloseFd(mKeepOpenFd);
    }
    return Result::Acquired;
}

bool InstanceLock::NotifyRunningInstance(Notification notification)
{
    if (mFifoPath.empty()) {
        return false;
    }
    struct stat info {};
    if (::lstat(mFifoPath.c_str(), &info) != 0 || !S_ISFIFO(info.st_mode)) {
        return false;
    }
    // Non-blocking: with no reader the open fails (ENXIO) instead of waiting for one.
    const int fd = ::open(mFifoPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    uint8_t record[kRecordSize] = {};
    PutLE(record, kMagic, 4);
    PutLE(record + 8, uint64_t(notification.wParam), 8);
    PutLE(record + 16, uint64_t(notification.lParam), 8);
    const ssize_t written = WriteWithoutSigpipe(fd, record, sizeof record);
    ::close(fd);
    return written == ssize_t(sizeof record);
}

std::optional<InstanceLock::Notification> InstanceLock::Poll()
{
    if (mReadFd >= 0) {
        uint8_t buffer[4096];
        for (;;) {
            const ssize_t got = ::read(mReadFd, buffer, sizeof buffer);
            if (got > 0) {
                mPending.insert(mPending.end(), buffer, buffer + got);
                continue;
            }
            if (got < 0 && errno == EINTR) {
                continue;
            }
            break; // EAGAIN: nothing more for now
        }
        size_t used = 0;
        while (mPending.size() - used >= kRecordSize) {
            const uint8_t* record = mPending.data() + used;
            if (GetLE(record, 4) != kMagic) {
                // Not one of ours: drop what is buffered rather than read records out of step.
                used = mPending.size();
                break;
            }
            mReceived.push_back({int64_t(GetLE(record + 8, 8)), int64_t(GetLE(record + 16, 8))});
            used += kRecordSize;
        }
        mPending.erase(mPending.begin(), mPending.begin() + long(used));
    }
    if (mReceived.empty()) {
        return std::nullopt;
    }
    const Notification next = mReceived.front();
    mReceived.pop_front();
    return next;
}

void InstanceLock::Release()
{
    if (mLockFd >= 0 && mReadFd >= 0) {
        ::unlink(mFifoPath.c_str()); // while still locked, so it is never the next holder's FIFO
    }
    CloseFd(mReadFd);
    CloseFd(mKeepOpenFd);
    CloseFd(mLockFd);
    mPending.clear();
    mReceived.clear();
}

} // namespace Platform
