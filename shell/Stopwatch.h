#pragma once

#include <cstdint>

namespace Pyxo {

/// Measures a duration in milliseconds on the process's high-resolution counter (Platform::QueryPerformanceCounter,
/// so tests drive it with a manual clock). Not thread-safe.
class Stopwatch {
public:
    void Start();
    /// Measures and stops; does nothing when not running.
    void Stop();
    /// Milliseconds from Start to Stop, or to now while running.
    double GetDuration();

private:
    void Measure();

    int64_t mStart = 0; // counter value at Start
    double mDuration = 0.0;
    bool mRunning = false;
};

} // namespace Pyxo
