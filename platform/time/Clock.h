#pragma once

#include <atomic>
#include <cstdint>

namespace Platform {

/// The process's source of time, with the Windows shapes the framework expects: a 32-bit millisecond tick
/// that wraps, a high-resolution counter with its frequency, and sleep. Tests install a manual clock so that
/// nothing waits on the wall clock. Thread-safe.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t TickCount() = 0;              // milliseconds, wraps at 2^32
    virtual int64_t PerformanceCounter() = 0;      // counts
    virtual int64_t PerformanceFrequency() = 0;    // counts per second, > 0
    virtual void Sleep(uint32_t milliseconds) = 0; // 0 yields the processor
    virtual int64_t CalendarTime() = 0;            // seconds since 1970-01-01 00:00 UTC, as time() gives
};

/// The steady-clock implementation used unless another is installed.
Clock& SystemClock();

/// Installs a clock for the whole process (nullptr restores the system clock); returns the previous one.
/// The clock is borrowed: it must outlive its installation.
Clock* SetClock(Clock* clock);
Clock& CurrentClock();

uint32_t GetTickCount();
int64_t QueryPerformanceCounter();
int64_t QueryPerformanceFrequency();
void Sleep(uint32_t milliseconds);
int64_t GetCalendarTime();

/// A clock that moves only when told to; Sleep advances it instead of waiting. For tests.
class ManualClock : public Clock {
public:
    static constexpr int64_t kDefaultCalendarTime = 1'000'000'000; // 2001-09-09 01:46:40 UTC
    explicit ManualClock(uint32_t startTick = 0) : mMicroseconds(int64_t{startTick} * 1000) {}
    void SetTick(uint32_t tick) { mMicroseconds = int64_t{tick} * 1000; }
    void SetCalendarTime(int64_t seconds) { mCalendarSeconds = seconds; }
    uint32_t TickCount() override;
    int64_t PerformanceCounter() override;
    int64_t PerformanceFrequency() override { return 1'000'000; }
    void Sleep(uint32_t milliseconds) override { Advance(milliseconds); }
    void Advance(uint32_t milliseconds) { AdvanceMicroseconds(int64_t{milliseconds} * 1000); }
    void AdvanceMicroseconds(int64_t microseconds);
    /// Fixed unless set: the calendar does not follow Advance, so dates in tests stay put.
    int64_t CalendarTime() override { return mCalendarSeconds.load(); }

private:
    std::atomic<int64_t> mMicroseconds;
    std::atomic<int64_t> mCalendarSeconds{kDefaultCalendarTime};
};

} // namespace Platform
