#pragma once

#include <mutex>

namespace Pyxo {

/// A critical section: a lock that the thread holding it may take again.
class CritSect {
public:
    CritSect() = default;
    CritSect(const CritSect&) = delete;
    CritSect& operator=(const CritSect&) = delete;

    void Lock() { mMutex.lock(); }
    [[nodiscard]] bool TryLock() { return mMutex.try_lock(); }
    void Unlock() { mMutex.unlock(); }

private:
    std::recursive_mutex mMutex;
};

/// Holds a critical section for the lifetime of the scope.
class AutoCrit {
public:
    explicit AutoCrit(CritSect& section) : mSection(section) { mSection.Lock(); }
    explicit AutoCrit(CritSect&&) = delete;
    ~AutoCrit() { mSection.Unlock(); }
    AutoCrit(const AutoCrit&) = delete;
    AutoCrit& operator=(const AutoCrit&) = delete;

private:
    CritSect& mSection; // borrowed; outlives the scope
};

} // namespace Pyxo
