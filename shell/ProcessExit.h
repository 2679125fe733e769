#pragma once

#include <functional>

namespace Pyxo {

/// Every exit of the process goes through ExitProcess, so that no static destructor runs under a live thread:
/// it refuses the message boxes other threads wait for, runs the registered thread stoppers (newest first),
/// and then ends the process with the code. Thread-safe.

/// Stops one thread of the process and waits for it to end. Called on the exiting thread.
using ThreadStopper = std::function<void()>;

/// Registers a stopper; the ticket removes it again once its thread has ended by itself.
int AddThreadStopper(ThreadStopper stopper);
void RemoveThreadStopper(int ticket);

/// Runs every registered stopper once and forgets them; the first step of ExitProcess, and of an orderly end of
/// main as well.
void StopOtherThreads();

/// Stops the other threads and ends the process with the code. Off the main thread the stoppers still run, but
/// the process ends without static destructors, since the main thread cannot be stopped from here.
[[noreturn]] void ExitProcess(int exitCode);

/// For tests: called in place of the final exit, after the stoppers ran. It must not return (a test throws);
/// if it does, the process ends anyway. Null restores the real exit. Returns the previous handler.
using ExitHandler = void (*)(int exitCode);
ExitHandler SetExitHandler(ExitHandler handler);

} // namespace Pyxo
