#pragma once

#include <cstdint>
#include <string>

namespace Pyxo {

/// The performance report that a debug key starts and stops: a run measured in processor cycles and converted
/// to milliseconds with the calibrated CPU speed. Process-wide state, main thread only.

/// A free-running cycle count: the processor's time-stamp counter on x86, nanoseconds of the steady clock
/// elsewhere (GetCpuSpeed calibrates either).
uint64_t ReadCycleCounter();

/// Cycles per second of ReadCycleCounter, measured once per process over 10 ms of the high-resolution counter
/// and cached; never 0.
uint64_t GetCpuSpeed();

/// Starts a run; with keepDisabled the run is timed but the perf-running flag stays clear.
void PerfRunBegin(bool keepDisabled = false);
void PerfRunEnd();
/// "Total Time: <ms>\n" for the last run.
std::string GetPerfReport();
bool IsPerfRunning();

} // namespace Pyxo
