#include "platform/process/InstanceLock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using Platform::InstanceLock;

namespace {

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFolder =
            fs::path(std::getenv("XDG_RUNTIME_DIR")) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(mFolder);
        fs::create_directories(mFolder);
    }
    fs::path mFolder;
};

TEST_F(InstanceLockTest, SecondInstanceIsRefusedAndWakesTheFirst)
{
    InstanceLock first;
    ASSERT_EQ(first.Acquire("Ilvane CafeMutex", "Ilvane CafeNotify", mFolder), InstanceLock::Result::Acquired);
    EXPECT_TRUE(first.IsHeld());
    EXPECT_EQ(first.Poll(), std::nullopt) << "polling an empty channel does not block";

    InstanceLock second;
    ASSERT_EQ(second.Acquire("Ilvane CafeMutex", "Ilvane CafeNotify", mFolder), InstanceLock::Result::AlreadyRunning);
    EXPECT_FALSE(second.IsHeld());
    EXPECT_TRUE(second.NotifyRunningInstance());
    EXPECT_TRUE(second.NotifyRunningInstance({7, -1}));

    EXPECT_EQ(first.Poll(), (InstanceLock::Notification{0, 0}));
    EXPECT_EQ(first.Poll(), (InstanceLock::Notification{7, -1}));
    EXPECT_EQ(first.Poll(), std::nullopt);

    InstanceLock other;
    EXPECT_EQ(other.Acquire("OtherMutex", "OtherNotify", mFolder), InstanceLock::Result::Acquired)
        << "another product is not blocked";

    first.Release();
    EXPECT_FALSE(second.NotifyRunningInstance()) << "nobody listens any more";
    ASSERT_EQ(second.Acquire("Ilvane CafeMutex", "Ilvane CafeNotify", mFolder), InstanceLock::Result::Acquired);
    InstanceLock third;
    ASSERT_EQ(third.Acquire("Ilvane CafeMutex", "Ilvane CafeNotify", mFolder), InstanceLock::Result::AlreadyRunning);
    EXPECT_TRUE(third.NotifyRunningInstance({1, 2}));
    EXPECT_EQ(second.Poll(), (InstanceLock::Notification{1, 2}));
}

TEST_F(InstanceLockTest, SurvivesLeftoversAndBadFolders)
{
    // A crashed run can leave the lock file, and anything may sit where the FIFO goes.
    std::ofstream(mFolder / "AppMutex.lock") << "stale";
    std::ofstream(mFolder / "AppNotify.fifo") << "not a fifo";
    InstanceLock first;
    ASSERT_EQ(first.Acquire("AppMutex", "AppNotify", mFolder), InstanceLock::Result::Acquired);
    InstanceLock second;
    ASSERT_EQ(second.Acquire("AppMutex", "AppNotify", mFolder), InstanceLock::Result::AlreadyRunning);
    EXPECT_TRUE(second.NotifyRunningInstance({3, 4}));
    EXPECT_EQ(first.Poll(), (InstanceLock::Notification{3, 4}));

    InstanceLock slashes;
    EXPECT_EQ(slashes.Acquire("a/../b", "c/d", mFolder), InstanceLock::Result::Acquired);
    EXPECT_TRUE(fs::exists(mFolder / "a_.._b.lock")) << "names never leave the folder";

    InstanceLock nowhere;
    EXPECT_EQ(nowhere.Acquire("AppMutex", "AppNotify", mFolder / "missing"), InstanceLock::Result::Failed);
    EXPECT_FALSE(nowhere.NotifyRunningInstance());
    EXPECT_EQ(InstanceLock::DefaultFolder(), fs::path(std::getenv("XDG_RUNTIME_DIR")));
}

} // namespace
