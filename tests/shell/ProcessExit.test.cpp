// The one exit function: every registered thread stopper runs once, newest first, before the process ends.
#include "shell/ProcessExit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Exited {
    int code;
};

[[noreturn]] void Throw(int code)
{
    throw Exited{code};
}

TEST(ProcessExit, StopsEveryThreadNewestFirstThenExits)
{
    std::vector<int> order;
    Pyxo::AddThreadStopper([&] { order.push_back(1); });
    const int removed = Pyxo::AddThreadStopper([&] { order.push_back(2); });
    Pyxo::AddThreadStopper([&] { order.push_back(3); });
    Pyxo::RemoveThreadStopper(removed);
    const Pyxo::ExitHandler previous = Pyxo::SetExitHandler(&Throw);
    try {
        Pyxo::ExitProcess(3);
        FAIL() << "ExitProcess returned";
    } catch (const Exited& exited) {
        EXPECT_EQ(exited.code, 3);
    }
    Pyxo::SetExitHandler(previous);
    EXPECT_EQ(order, (std::vector<int>{3, 1}));
    Pyxo::StopOtherThreads(); // each ran once: nothing is left
    EXPECT_EQ(order.size(), 2u);
}

} // namespace
