#include "platform/process/MainThread.h"

#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

ILVANE_THREADED_SUITE(MainThread);

TEST(MainThread, IsTheThreadThatStartedTheProcess)
{
    EXPECT_TRUE(Platform::IsMainThread());
    bool onOther = true;
    std::thread other([&onOther] { onOther = Platform::IsMainThread(); });
    other.join();
    EXPECT_FALSE(onOther);
}

} // namespace
