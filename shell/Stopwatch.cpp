#include "shell/Stopwatch.h"

#include "platform/time/Clock.h"

#include <cstdint>

namespace Pyxo {

void Stopwatch::Start()
{
    mRunning = true;
    mStart = Platform::QueryPerformanceCounter();
}

void Stopwatch::Stop()
{
    if (mRunning) {
        Measure();
        mRunning = false;
    }
}

double Stopwatch::GetDuration()
{
    if (mRunning) {
        Measure();
    }
    return mDuration;
}

void Stopwatch::Measure()
{
    const int64_t now = Platform::QueryPerformanceCounter();
    const int64_t frequency = Platform::QueryPerformanceFrequency();
    if (frequency <= 0) {
        return;
    }
    const int64_t elapsed = now - mStart;
    // The product stays in integers while it fits, which keeps short durations exact.
    const double scaled = elapsed > INT64_MAX / 1000 || elapsed < INT64_MIN / 1000
                              ? static_cast<double>(elapsed) * 1000.0
                              : static_cast<double>(elapsed * 1000);
    mDuration = scaled / static_cast<double>(frequency);
}

} // namespace Pyxo
