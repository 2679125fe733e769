#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

/// Keeps a second copy of the program from running, in place of a named mutex and a broadcast window message:
/// the first instance holds an flock on "<mutex name>.lock" and listens on a FIFO "<notify name>.fifo" beside it;
/// a later instance finds the lock taken and can wake the first through the FIFO. The first instance polls from
/// its loop without blocking. One object per instance; not thread-safe. The lock goes with the process, so a
/// crashed instance never blocks the next one.
class InstanceLock {
public:
    enum class Result { Acquired, AlreadyRunning, Failed };

    /// What a later instance sends; the two values of the notification message.
    struct Notification {
        int64_t wParam = 0;
        int64_t lParam = 0;
        bool operator==(const Notification&) const = default;
    };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    /// $XDG_RUNTIME_DIR, else a folder of this user's own in the temporary folder; empty when neither is usable.
    static std::filesystem::path DefaultFolder();

    /// Takes the lock. Names are used as file names ('/' becomes '_'). Failed when the folder is unusable; the
    /// lock is then not held, and the caller may carry on unguarded. A lock whose FIFO cannot be made is still
    /// Acquired (without notifications), and logged.
    Result Acquire(std::string_view mutexName, std::string_view notifyName,
                   const std::filesystem::path& folder = DefaultFolder());
    bool IsHeld() const { return mLockFd >= 0; }

    /// From an instance that found the lock taken: wakes the holder. False when nobody listens.
    bool NotifyRunningInstance(Notification notification);
    bool NotifyRunningInstance() { return NotifyRunningInstance(Notification{0, 0}); }

    /// For the holder: the next notification, if any arrived. Never blocks.
    std::optional<Notification> Poll();

    /// Gives the lock up (also done by the destructor); the lock file stays, so that no one locks a stale inode.
    void Release();

private:
    std::filesystem::path mFifoPath;
    int mLockFd = -1;
    int mReadFd = -1;
    int mKeepOpenFd = -1; // our own writer, so that reads say "nothing yet" instead of end-of-file
    std::vector<uint8_t> mPending;
    std::deque<Notification> mReceived;
};

} // namespace Platform
