#include "platform/process/MainThread.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(MainThread, IsTheThreadThatStartedTheProcess)
{
    EXPECT_TRUE(Platform::IsMainThread());
    bool onOther = true;
    std::thread other([&onOther] { onOther = Platform::IsMainThread(); });
    other.join();
    EXPECT_FALSE(onOther);
}

} // namespace
