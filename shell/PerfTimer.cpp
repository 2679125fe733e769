#include "shell/PerfTimer.h"

#include "platform/log/Log.h"
#include "platform/time/Clock.h"
#include "shell/StrFormat.h"

#include <atomic>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace Pyxo {
namespace {

struct PerfState {
    uint64_t startCycles = 0;
    double totalMilliseconds = 0.0;
    bool running = false;
};

PerfState& State()
{
    static PerfState state;
    return state;
}

std::atomic<uint64_t>& CachedCpuSpeed()
{
    static std::atomic<uint64_t> speed{0};
    return speed;
}

// Spins on the high-resolution counter for 10 ms and counts the cycles that pass. A clock that does not move
// (a test's manual clock) would hold the spin for ever, so the real steady clock bounds it at one second.
uint64_t MeasureCpuSpeed()
{
    const int64_t frequency = Platform::QueryPerformanceFrequency();
    if (frequency <= 0) {
        return 0;
    }
    Platform::Clock& realClock = Platform::SystemClock();
    const int64_t giveUpAt = realClock.PerformanceCounter() + realClock.PerformanceFrequency();

    const int64_t target = Platform::QueryPerformanceCounter() + frequency / 100;
    const uint64_t startCycles = ReadCycleCounter();
    while (Platform::QueryPerformanceCounter() < target) {
        if (realClock.PerformanceCounter() > giveUpAt) {
            PLATFORM_LOG_WARNING("perf", "the high-resolution counter does not advance; CPU speed unknown");
            return 0;
        }
    }
    const uint64_t endCycles = ReadCycleCounter();
    return endCycles > startCycles ? (endCycles - startCycles) * 100 : 0;
}

} // namespace

uint64_t ReadCycleCounter()
{
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return static_cast<uint64_t>(Platform::SystemClock().PerformanceCounter());
#endif
}

uint64_t GetCpuSpeed()
{
    auto& cached = CachedCpuSpeed();
    if (const uint64_t speed = cached.load(); speed > 0) {
        return speed;
    }
    uint64_t speed = MeasureCpuSpeed();
    if (speed == 0) {
        speed = 1;
    }
    cached.store(speed);
    return speed;
}

void PerfRunBegin(bool keepDisabled)
{
    PerfState& state = State();
    state.running = !keepDisabled;
    state.startCycles = ReadCycleCounter();
}

void PerfRunEnd()
{
    const uint64_t endCycles = ReadCycleCounter();
    PerfState& state = State();
    state.running = false;
    // Time-stamp counters of different cores may disagree slightly; a run never lasts less than nothing.
    const uint64_t spent = endCycles > state.startCycles ? endCycles - state.startCycles : 0;
    state.totalMilliseconds = static_cast<double>(spent) * 1000.0 / static_cast<double>(GetCpuSpeed());
}

std::string GetPerfReport()
{
    return StrFormat("Total Time: %.2f\n", State().totalMilliseconds);
}

bool IsPerfRunning()
{
    return State().running;
}

} // namespace Pyxo
