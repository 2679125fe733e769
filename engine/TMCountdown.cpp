#include "engine/TMCountdown.h"

#include "engine/GameClock.h"

#include <mutex>

namespace {

struct CountdownList {
    std::mutex lock; // countdowns of level objects are made on the level-loading thread
    std::list<TMCountdown*> countdowns;
};

CountdownList& Countdowns()
{
    static CountdownList list;
    return list;
}

} // namespace

TMCountdown::TMCountdown()
{
    CountdownList& list = Countdowns();
    const std::lock_guard guard(list.lock);
    mPosition = list.countdowns.insert(list.countdowns.end(), this);
}

TMCountdown::~TMCountdown()
{
    CountdownList& list = Countdowns();
    const std::lock_guard guard(list.lock);
    list.countdowns.erase(mPosition);
}

void TMCountdown::Start(float seconds)
{
    mEndTime = gGameTime + seconds;
}

float TMCountdown::GetRemaining() const
{
    return mEndTime - gGameTime;
}

bool TMCountdown::IsRunning() const
{
    return gGameTime < mEndTime;
}

void TMCountdown::ExpireAll()
{
    CountdownList& list = Countdowns();
    const std::lock_guard guard(list.lock);
    for (TMCountdown* countdown : list.countdowns)
        countdown->mEndTime = 0.0f;
}

size_t TMCountdown::LiveCount()
{
    CountdownList& list = Countdowns();
    const std::lock_guard guard(list.lock);
    return list.countdowns.size();
}
