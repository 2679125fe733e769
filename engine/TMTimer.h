#pragma once

#include "engine/EffectFunctionRegistry.h"

#include <pugixml.hpp>

#include <cstdint>
#include <list>
#include <map>
#include <string>

class TMEffect;

/// The one argument of a named effect function called by a timer control.
struct EffectCallRecord {
    uint32_t kind = 0; // 1 point, 2 range
    int32_t id = 0;    // the control's id
    TMEffect* owner = nullptr;
    uintptr_t user = 0; // the control's user word
    float t = 0.0f;     // progress
};

/// A control of a timer: a point or a range of the timer's time at which a named function is called.
struct TimerControlRecord {
    static constexpr uint32_t kHasFunction = 16; // given with kind; AddControl keeps the function only with it

    uint32_t kind = 0; // 1 point, 2 range (0: never fires)
    int32_t id = 0;
    float startTime = 0.0f; // seconds
    float endTime = 0.0f;   // seconds; ranges only
    EffectFunction function = nullptr;
    TMEffect* owner = nullptr;
    uintptr_t user = 0;
    bool active = true;
    bool inRange = false; // stored only: a range entered and not yet left
};

/// How the static effect tables set a timer up.
struct TimerSetupRecord {
    static constexpr uint8_t kDuration = 1;
    static constexpr uint8_t kDirection = 2;
    static constexpr uint8_t kType = 4;
    static constexpr uint8_t kNoCatchUp = 1; // in extra

    uint8_t flags = 0;
    uint8_t extra = 0;
    float duration = 0.0f;
    int32_t direction = 1;
    int32_t type = 1;
    bool running = false;
};

/// One timer of an effect instance: a clock from 0 to its duration (or endless), run forward or backward as a
/// usual, self-destructive, cycling or ping-pong timer, whose controls call named functions at points or over
/// ranges of its time. Main thread.
class TMTimer {
public:
    enum Direction : int32_t { Forward = 1, Backward = 2 };
    enum Type : int32_t { Usual = 1, SelfDestructive = 2, Cycle = 3, PingPong = 4 };

    explicit TMTimer(TMEffect* owner);
    virtual ~TMTimer();
    TMTimer(const TMTimer&) = delete;
    TMTimer& operator=(const TMTimer&) = delete;

    /// Reads one "timers/timer" element of the effect library.
    void Load(pugi::xml_node timer);
    void Setup(const TimerSetupRecord& setup);
    /// Back to the start (the end for a backward timer); not finished.
    void Restart();
    void SetRunning(bool running);
    bool AddControl(const TimerControlRecord& control);
    bool RemoveControl(int32_t id);
    bool ReplaceControl(const TimerControlRecord& control);
    bool SetControlActive(int32_t id, bool active);
    /// Whole cycles one Update steps one by one at most; the rest of a long frame is passed at once.
    static constexpr int kMaxCatchUpCycles = 1000;

    /// Advances the clock by dt seconds, calling the controls it passes. A timer that finishes or is stopped
    /// by one of its functions is not stepped further in the same call. Each whole cycle of a long frame is
    /// stepped, up to kMaxCatchUpCycles; cycles in which no control is due are passed in constant time.
    void Update(double dt);

    [[nodiscard]] bool IsRunning() const { return mRunning; }
    [[nodiscard]] bool IsFinished() const { return mFinished; }
    [[nodiscard]] double GetClock() const { return mClock; }
    /// Puts the clock at that time without calling any control (the animation player keeps a time position).
    void SetClock(double clock) { mClock = clock; }
    [[nodiscard]] float GetDuration() const { return mDuration; }
    [[nodiscard]] int32_t GetDirection() const { return mDirection; }
    [[nodiscard]] int32_t GetType() const { return mType; }
    [[nodiscard]] bool IsPingForward() const { return mPingForward; }
    /// Whole cycles the last Update stepped one by one; the others it passed at once.
    [[nodiscard]] int GetCyclesStepped() const { return mCyclesStepped; }
    [[nodiscard]] const std::list<TimerControlRecord>& GetControls() const { return mControls; }
    /// The "name" attribute that Load read; messages find the timer by it.
    [[nodiscard]] const std::string& GetName() const { return mName; }

protected:
    struct PendingCall {
        EffectFunction function;
        EffectCallRecord record;
    };

    /// An active control with a function: whole cycles call it.
    [[nodiscard]] bool HasDueControl() const;
    void Step(double dt);
    void StepForward(double dt);
    void StepBackward(double dt);
    /// Files the calls of every control between the previous clock t0 and the new clock t1, then runs them.
    void Evaluate(double t0, double t1);
    void File(const TimerControlRecord& control, float t, double key);

    TMEffect* mOwner = nullptr;                // borrowed: the effect that made the timer
    double mStartRealTime = 0.0;               // tick count (ms) of the last restart or change of the run flag
    bool mResetInUpdate = false;               // Setup gave a new duration during this Update
    double mClock = 0.0;                       // seconds, 0..duration
    bool mPingForward = true;                  // ping-pong: running forward
    bool mFinished = false;                    // a usual or self-destructive timer reached its end
    bool mNoCatchUp = false;                   // Update does not step whole durations one by one
    int mCyclesStepped = 0;                    // whole cycles the last Update stepped one by one
    std::multimap<double, PendingCall> mCalls; // filed during one evaluation, run at its end
    std::list<TimerControlRecord> mControls;
    float mDuration = 0.0f; // seconds; -1 endless
    int32_t mDirection = Forward;
    int32_t mType = 0;
    bool mRunning = false;
    std::string mName;
};
