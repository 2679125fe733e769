#include "shell/CritSect.h"

#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

bool OtherThreadCanTake(Pyxo::CritSect& section)
{
    bool taken = false;
    std::thread other([&] {
        taken = section.TryLock();
        if (taken) {
            section.Unlock();
        }
    });
    other.join();
    return taken;
}

ILVANE_THREADED_SUITE(CritSect);

TEST(CritSect, OwnerMayReenterWhileOthersWait)
{
    Pyxo::CritSect section;
    {
        Pyxo::AutoCrit outer(section);
        Pyxo::AutoCrit inner(section); // the holder takes it again without blocking
        EXPECT_FALSE(OtherThreadCanTake(section));
    }
    EXPECT_TRUE(OtherThreadCanTake(section)) << "leaving both scopes releases it";
}

} // namespace
