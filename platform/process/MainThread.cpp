#include "platform/process/MainThread.h"

#include <thread>

namespace Platform {
namespace {

// Initialised before main runs, hence on the process's first thread.
const std::thread::id gMainThread = std::this_thread::get_id();

} // namespace

bool IsMainThread()
{
    return std::this_thread::get_id() == gMainThread;
}

} // namespace Platform
