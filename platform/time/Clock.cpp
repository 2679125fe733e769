#include "platform/time/Clock.h"

#include <chrono>
#include <thread>

namespace Platform {
namespace {

class SteadyClock : public Clock {
public:
    uint32_t TickCount() override
    {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Now()).count();
        return static_cast<uint32_t>(ms);
    }
    int64_t PerformanceCounter() override
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(Now()).count();
    }
    int64_t PerformanceFrequency() override { return 1'000'000'000; }
    int64_t CalendarTime() override
    {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
    void Sleep(uint32_t milliseconds) override
    {
        if (milliseconds == 0)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

private:
    static std::chrono::steady_clock::duration Now() { return std::chrono::steady_clock::now().time_since_epoch(); }
};

std::atomic<Clock*>& Installed()
{
    static std::atomic<Clock*> clock{nullptr};
    return clock;
}

} // namespace

Clock& SystemClock()
{
    static SteadyClock clock;
    return clock;
}

Clock* SetClock(Clock* clock)
{
    Clock* previous = Installed().exchange(clock);
    return previous ? previous : &SystemClock();
}

Clock& CurrentClock()
{
    Clock* clock = Installed().load();
    return clock ? *clock : SystemClock();
}

uint32_t GetTickCount()
{
    return CurrentClock().TickCount();
}
int64_t QueryPerformanceCounter()
{
    return CurrentClock().PerformanceCounter();
}
int64_t QueryPerformanceFrequency()
{
    return CurrentClock().PerformanceFrequency();
}
void Sleep(uint32_t milliseconds)
{
    CurrentClock().Sleep(milliseconds);
}
int64_t GetCalendarTime()
{
    return CurrentClock().CalendarTime();
}

uint32_t ManualClock::TickCount()
{
    return static_cast<uint32_t>(mMicroseconds.load() / 1000);
}
int64_t ManualClock::PerformanceCounter()
{
    return mMicroseconds.load();
}
void ManualClock::AdvanceMicroseconds(int64_t microseconds)
{
    mMicroseconds += microseconds;
}

} // namespace Platform
