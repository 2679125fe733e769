#pragma once

#include "engine/TMTimer.h"

#include <cstdint>
#include <span>

class TMEffect;

/// The timing of an animation sequence as the animation player's timer functions read it through effect
/// parameter 2: frames per second and frame count, side by side (the layout of a frame block's timing fields).
struct AnimFrameTiming {
    int32_t fps = 0;
    int32_t frameCount = 0;
};

/// The effect parameters the animation player stores for its timer functions.
inline constexpr int32_t kAnimParamFrame = 1;  // int32_t*: the current frame
inline constexpr int32_t kAnimParamTiming = 2; // AnimFrameTiming*: the current sequence's timing
inline constexpr int32_t kAnimParamEnded = 3;  // bool*: the end-of-sequence flag

/// Control functions of the animation player's timer (attached through its compiled-in tables, never looked up
/// by name). Each returns 1; a missing parameter makes it do nothing.
/// Current frame = trunc((frame count - 1) x t); nothing for a frame count below 1.
int AnimFrameFromProgress(EffectCallRecord* call);
/// The ended flag is set.
int AnimSetEnded(EffectCallRecord* call);
/// The ended flag is set and the current frame = trunc(fps x t).
int AnimEndAndSetFrame(EffectCallRecord* call);

/// One timer of a compiled-in effect table: its id and how it is set up.
struct TimerTableSpec {
    int32_t id = 0;
    TimerSetupRecord setup;
};

/// For each spec in order: adds the timer (an id already present keeps its timer), sets it up, and adds the next
/// controlCounts[i] records of the control table to it. Counts beyond the tables are cut to what they hold.
void SetupEffectTimersFromTables(TMEffect& effect, std::span<const TimerTableSpec> specs,
                                 std::span<const int> controlCounts, std::span<const TimerControlRecord> controls);
