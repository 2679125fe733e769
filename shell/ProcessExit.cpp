#include "shell/ProcessExit.h"

#include "platform/process/MainThread.h"
#include "platform/window/MessageBox.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <utility>

namespace Pyxo {

namespace {

struct ExitState {
    std::mutex mutex;
    std::map<int, ThreadStopper> stoppers; // by ticket; tickets grow, so the newest is last
    int nextTicket = 1;
    std::atomic<ExitHandler> handler = nullptr;
};

ExitState& State()
{
    static ExitState state;
    return state;
}

} // namespace

int AddThreadStopper(ThreadStopper stopper)
{
    ExitState& state = State();
    std::lock_guard lock(state.mutex);
    const int ticket = state.nextTicket++;
    state.stoppers.emplace(ticket, std::move(stopper));
    return ticket;
}

void RemoveThreadStopper(int ticket)
{
    ExitState& state = State();
    std::lock_guard lock(state.mutex);
    state.stoppers.erase(ticket);
}

void StopOtherThreads()
{
    ExitState& state = State();
    std::map<int, ThreadStopper> stoppers;
    {
        // Taken out under the lock but run without it: a stopper may remove its own ticket.
        std::lock_guard lock(state.mutex);
        stoppers.swap(state.stoppers);
    }
    for (auto it = stoppers.rbegin(); it != stoppers.rend(); ++it) {
        if (it->second)
            it->second();
    }
}

void ExitProcess(int exitCode)
{
    // A thread waiting for a message box would otherwise wait for a main thread that no longer serves it.
    Platform::RefuseMessageBoxRequests(true);
    StopOtherThreads();
    if (ExitHandler handler = State().handler.load()) {
        Platform::RefuseMessageBoxRequests(false);
        handler(exitCode);
    }
    std::fflush(nullptr);
    if (!Platform::IsMainThread())
        std::_Exit(exitCode);
    std::exit(exitCode);
}

ExitHandler SetExitHandler(ExitHandler handler)
{
    return State().handler.exchange(handler);
}

} // namespace Pyxo
