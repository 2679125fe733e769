#include "engine/TMTimer.h"

#include "engine/EngineLog.h"
#include "engine/XmlConfig.h"
#include "platform/time/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

constexpr uint32_t kPoint = 1;
constexpr uint32_t kRange = 2;
constexpr float kEndless = -1.0f;

int32_t TimerType(const std::string& text)
{
    if (text == "usual")
        return TMTimer::Usual;
    if (text == "self_destructive")
        return TMTimer::SelfDestructive;
    if (text == "cycle")
        return TMTimer::Cycle;
    if (text == "ping_pong")
        return TMTimer::PingPong;
    return 0;
}

/// The control function of that name; an unknown name, or one registered only for "call" commands, is logged
/// and gives none.
EffectFunction ControlFunction(const std::string& name)
{
    if (EffectFunction function = FindEffectFunction(name))
        return function;
    if (FindEffectMessageFunction(name))
        EngineContentWarning("effect: \"%s\" is a message function, not a control function; the control calls nothing",
                             name.c_str());
    else
        EngineContentWarning("effect: unknown function \"%s\"; the control calls nothing", name.c_str());
    return nullptr;
}

} // namespace

TMTimer::TMTimer(TMEffect* owner) : mOwner(owner) {}

TMTimer::~TMTimer() = default;

void TMTimer::Load(pugi::xml_node timer)
{
    XmlGetAttrString(timer, "name", mName);
    std::string text;
    if (XmlGetAttrString(timer, "type", text))
        mType = TimerType(text);
    XmlGetAttrFloat(timer, "ftime", mDuration);
    if (XmlGetAttrString(timer, "direction", text)) {
        if (text == "forward") {
            mDirection = Forward;
            mClock = 0.0;
        } else if (text == "backward") {
            mDirection = Backward;
            mClock = mDuration;
        }
    }
    // The file states no starting phase: a ping-pong timer starts in the direction it runs.
    mPingForward = mDirection != Backward;

    for (pugi::xml_node node : timer.children("control")) {
        TimerControlRecord control;
        XmlGetAttrInt(node, "id", control.id);
        XmlGetAttrFloat(node, "starttime", control.startTime);
        XmlGetAttrFloat(node, "endtime", control.endTime);
        if (XmlGetAttrString(node, "function", text) && !text.empty()) {
            control.function = ControlFunction(text);
            if (control.function)
                control.kind |= TimerControlRecord::kHasFunction;
        }
        if (XmlGetAttrString(node, "type", text))
            control.kind |= text == "point" ? kPoint : text == "range" ? kRange : 0;
        XmlGetAttrBool(node, "active", control.active);
        control.owner = mOwner;
        AddControl(control);
    }
}

void TMTimer::Setup(const TimerSetupRecord& setup)
{
    mNoCatchUp = (setup.extra & TimerSetupRecord::kNoCatchUp) != 0;
    if (setup.flags & TimerSetupRecord::kDuration) {
        mResetInUpdate = true;
        mDuration = setup.duration;
        mClock = 0.0;
    }
    if (setup.flags & TimerSetupRecord::kType)
        mType = setup.type;
    if (setup.flags & TimerSetupRecord::kDirection) {
        mDirection = setup.direction;
        mPingForward = mDirection == Forward;
    }
    const bool running = setup.running && mDuration > 0.0f;
    if (mDirection == Backward)
        mClock = mDuration;
    if (running != mRunning)
        mStartRealTime = Platform::GetTickCount();
    mRunning = running;
}

void TMTimer::Restart()
{
    mClock = mDirection == Backward ? mDuration : 0.0;
    mFinished = false;
    mStartRealTime = Platform::GetTickCount();
    // A restart begins every pass afresh: a ping-pong timer runs its first leg again, and a range left before
    // its end is entered again (its begin call is not lost).
    mPingForward = mDirection != Backward;
    for (TimerControlRecord& control : mControls)
        control.inRange = false;
}

void TMTimer::SetRunning(bool running)
{
    mRunning = running;
}

namespace {

// A control as the timer keeps it: the function only when the record says it has one, the kind without that flag.
void StoreControl(TimerControlRecord& stored, const TimerControlRecord& control)
{
    stored = control;
    if (!(stored.kind & TimerControlRecord::kHasFunction))
        stored.function = nullptr;
    stored.kind &= ~TimerControlRecord::kHasFunction;
    stored.inRange = false;
}

} // namespace

bool TMTimer::AddControl(const TimerControlRecord& control)
{
    StoreControl(mControls.emplace_back(), control);
    return true;
}

bool TMTimer::RemoveControl(int32_t id)
{
    const auto found =
        std::find_if(mControls.begin(), mControls.end(), [id](const TimerControlRecord& c) { return c.id == id; });
    if (found == mControls.end())
        return false;
    mControls.erase(found);
    return true;
}

bool TMTimer::ReplaceControl(const TimerControlRecord& control)
{
    for (TimerControlRecord& stored : mControls) {
        if (stored.id == control.id) {
            StoreControl(stored, control);
            return true;
        }
    }
    return false;
}

bool TMTimer::SetControlActive(int32_t id, bool active)
{
    for (TimerControlRecord& stored : mControls) {
        if (stored.id == id) {
            stored.active = active;
            return true;
        }
    }
    return false;
}

void TMTimer::Update(double dt)
{
    mCyclesStepped = 0;
    if (!mRunning || !std::isfinite(dt))
        return;
    mResetInUpdate = false;
    // A long frame runs every whole cycle one by one, so no control is skipped. Only a positive duration enters
    // the loop: an endless timer (-1) is stepped by the whole dt, and a duration of 0 or less would never bring
    // dt down. The loop ends once the timer finished or a function stopped it.
    if (mDuration > 0.0f) {
        const double duration = mDuration;
        int& stepped = mCyclesStepped;
        stepped = 0;
        while (duration < dt && mRunning && !mFinished) {
            const bool steps = !mResetInUpdate && !mNoCatchUp;
            // Whole cycles still to go: the loop's own count, as it takes dt down one duration at a time.
            const double left = std::ceil(dt / duration) - 1.0;
            if (!steps && left > 1.0) {
                dt = std::max(0.0, dt - left * duration); // cycles that step nothing are passed at once
                continue;
            }
            // After its first cycle a cycling timer repeats every cycle and a ping-pong timer every second one,
            // so an even number of whole cycles leaves it as it was: passed at once when no control is due in
            // them, or once an update made its share of calls.
            if (steps && stepped >= 2 && left > 2.0 && (stepped >= kMaxCatchUpCycles || !HasDueControl())) {
                dt = std::max(0.0, dt - (left - std::fmod(left, 2.0)) * duration);
                continue;
            }
            if (steps) {
                Step(duration);
                ++stepped;
            }
            dt -= duration;
        }
        if (!mRunning || mFinished)
            return;
    }
    if (!mResetInUpdate)
        Step(dt);
}

bool TMTimer::HasDueControl() const
{
    return std::any_of(mControls.begin(), mControls.end(), [](const TimerControlRecord& control) {
        return control.active && control.function && (control.kind == kPoint || control.kind == kRange);
    });
}

void TMTimer::Step(double dt)
{
    const bool pingPong = mType == PingPong;
    if ((mDirection == Forward && !pingPong) || (pingPong && mPingForward))
        StepForward(dt);
    else if ((mDirection == Backward && !pingPong) || (pingPong && !mPingForward))
        StepBackward(dt);
}

void TMTimer::StepForward(double dt)
{
    const double old = mClock;
    mClock += dt;
    if (mDuration == kEndless || mClock <= mDuration) {
        Evaluate(old, mClock);
        return;
    }
    switch (mType) {
    case Usual:
    case SelfDestructive:
        mFinished = true;
        Evaluate(old, mDuration); // the clock stays past the end
        break;
    case Cycle:
        Evaluate(old, mDuration);
        if (!mResetInUpdate) {
            mClock -= mDuration;
            if (mClock != 0.0)
                Evaluate(0.0, mClock);
        }
        break;
    case PingPong:
        Evaluate(old, mDuration);
        if (!mResetInUpdate) {
            mClock = mDuration - (mClock - mDuration);
            if (mClock != mDuration)
                Evaluate(mDuration, mClock);
            mPingForward = false;
        }
        break;
    default:
        break;
    }
}

void TMTimer::StepBackward(double dt)
{
    const double old = mClock;
    mClock -= dt;
    if (mDuration == kEndless || mClock > 0.0) {
        Evaluate(old, mClock);
        return;
    }
    switch (mType) {
    case Usual:
    case SelfDestructive:
        mFinished = true;
        Evaluate(old, 0.0);
        break;
    case Cycle:
        Evaluate(old, 0.0);
        if (!mResetInUpdate) {
            mClock = mDuration + mClock;
            if (mClock != mDuration)
                Evaluate(mDuration, mClock);
        }
        break;
    case PingPong:
        Evaluate(old, 0.0);
        if (!mResetInUpdate) {
            mClock = -mClock;
            if (mClock != 0.0)
                Evaluate(0.0, mClock);
            mPingForward = true;
        }
        break;
    default:
        break;
    }
}

void TMTimer::File(const TimerControlRecord& control, float t, double key)
{
    if (!control.function)
        return;
    mCalls.emplace(
        key, PendingCall{control.function, EffectCallRecord{control.kind, control.id, control.owner, control.user, t}});
}

void TMTimer::Evaluate(double t0, double t1)
{
    const bool forward = t0 <= t1;
    // Every call of one evaluation shares the key, so the calls keep the order in which they were filed.
    const double key = mStartRealTime + t1;
    for (TimerControlRecord& control : mControls) {
        if (!control.active)
            continue;
        const double start = control.startTime;
        const double end = control.endTime;
        bool begin = false;
        bool inside = false;
        bool leave = false;
        if (control.kind == kPoint) {
            inside = forward ? (t0 <= start && start <= t1) : (t1 <= start && start <= t0);
        } else if (control.kind == kRange) {
            if (forward) {
                if (start >= t0 && end <= t1) {
                    begin = leave = true;
                    control.inRange = false;
                } else if (t0 <= start && start <= t1 && end >= t1) {
                    inside = true;
                    begin = !control.inRange;
                    control.inRange = true;
                } else if (start < t0 && t0 < end && end <= t1) {
                    leave = control.inRange;
                    control.inRange = false;
                } else if (start < t0 && end >= t1) {
                    inside = true;
                    if (end == t1) {
                        leave = true;
                        control.inRange = false;
                    }
                }
            } else {
                if (start >= t1 && end <= t0) {
                    begin = leave = true;
                    control.inRange = false;
                } else if (start <= t1 && t1 <= end && end <= t0) {
                    inside = true;
                    begin = !control.inRange;
                    control.inRange = true;
                } else if (t1 <= start && start < t0 && end > t0) {
                    leave = control.inRange;
                    control.inRange = false;
                } else if (start <= t1 && end > t0) {
                    inside = true;
                    if (start == t1) {
                        leave = true;
                        control.inRange = false;
                    }
                }
            }
        }
        if (begin)
            File(control, forward ? 0.0f : 1.0f, key);
        if (inside) {
            float t = static_cast<float>(t1);
            if (control.kind == kRange) {
                const float length = control.endTime - control.startTime;
                t = length > 0.0f ? std::min(1.0f, (static_cast<float>(mClock) - control.startTime) / length) : 1.0f;
            }
            File(control, t, key);
        }
        if (leave)
            File(control, forward ? 1.0f : 0.0f, key);
    }
    if (mCalls.empty())
        return;
    // Run from a copy: a function may stop, restart or step this timer again (through a message of its effect),
    // which files and runs calls of its own.
    std::multimap<double, PendingCall> calls;
    calls.swap(mCalls);
    for (auto& [when, call] : calls)
        call.function(&call.record);
}
