#pragma once

#include <cstddef>
#include <list>

/// A deadline on the game clock (engine/GameClock.h). Every live countdown is registered in one engine-wide
/// list, in order of construction, so that a level start can expire all of them together. Not copyable: a copy
/// would not be in the list. Expired from construction until Start.
class TMCountdown {
public:
    TMCountdown();
    ~TMCountdown();
    TMCountdown(const TMCountdown&) = delete;
    TMCountdown& operator=(const TMCountdown&) = delete;

    /// Ends `seconds` of game time from now.
    void Start(float seconds);
    /// Moves the end; an expired countdown runs again when the new end lies ahead.
    void Extend(float seconds) { mEndTime += seconds; }
    /// Seconds to the end; negative once expired.
    [[nodiscard]] float GetRemaining() const;
    /// The game clock is strictly below the end.
    [[nodiscard]] bool IsRunning() const;

    /// Sets the end of every live countdown to 0 (ResetGameTime).
    static void ExpireAll();
    /// Number of live countdowns.
    [[nodiscard]] static size_t LiveCount();

private:
    float mEndTime = 0.0f;
    std::list<TMCountdown*>::iterator mPosition; // in the engine-wide list
};
