#pragma once

#include <cstdint>
#include <map>
#include <string>

class TMIEffect;
class TMTimer;

/// An effect instance built from a named entry of the effect library: timers by id whose controls call named
/// functions, parameter slots that the host points at its own properties, the host's TMIEffect as target, and
/// named messages ("onshow", "onhide", "oncreate", "render_ps", ...) that start, stop, pause or resume timers or
/// call a function. The host owns it and advances it each frame. Main thread.
class TMEffect {
public:
    TMEffect();
    virtual ~TMEffect(); // deletes the timers
    TMEffect(const TMEffect&) = delete;
    TMEffect& operator=(const TMEffect&) = delete;

    /// False when the effect has no message of that name; else runs its commands and returns true.
    bool SendMessage(const char* name);
    /// Advances every running, unfinished timer in id order (only while enabled).
    void Update(float dt);

    [[nodiscard]] TMTimer* GetTimer(int32_t id) const;
    /// False, with nothing added, when the id is taken.
    bool AddTimer(int32_t id);
    [[nodiscard]] void* GetParam(int32_t id) const;
    bool SetParam(int32_t id, void* value); // replaces; true
    void RemoveParam(int32_t id);
    [[nodiscard]] bool HasMessage(const char* name) const;
    void SetMessageEnabled(const char* name, bool enabled);
    [[nodiscard]] bool IsMessageEnabled(const char* name) const;

    [[nodiscard]] TMIEffect* GetTarget() const { return mTarget; }
    void SetTarget(TMIEffect* target) { mTarget = target; }

protected:
    bool mEnabled = true;
    std::map<int32_t, TMTimer*> mTimers; // owned
    std::map<int32_t, void*> mParams;    // borrowed slots, set by the host
    TMIEffect* mTarget = nullptr;        // borrowed: the host
};
