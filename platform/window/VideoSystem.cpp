#include "platform/window/VideoSystem.h"

#include "platform/log/Log.h"
#include "platform/process/MainThread.h"

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace Platform {
namespace {

struct VideoState {
    std::mutex mutex;
    std::string error;
    std::atomic<uint32_t> generation{0};
};

VideoState& State()
{
    static VideoState state;
    return state;
}

} // namespace

bool IsUnseenFallback(const char* chosenDriver, const char* currentDriver)
{
    if (chosenDriver != nullptr && chosenDriver[0] != 0)
        return false;
    return currentDriver != nullptr &&
           (std::strcmp(currentDriver, "offscreen") == 0 || std::strcmp(currentDriver, "dummy") == 0);
}

bool VideoRunning()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

uint32_t VideoGeneration()
{
    return State().generation.load();
}

bool EnsureVideo()
{
    VideoState& state = State();
    if (!IsMainThread()) {
        std::lock_guard lock(state.mutex);
        state.error = "SDL video is used on the main thread only";
        return false;
    }
    if (VideoRunning())
        return true;
    // Closing the last window is a close request for the application to handle, not a quit of its own.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    std::string reason;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        reason = SDL_GetError();
        if (reason.empty())
            reason = "unknown SDL error";
    } else if (IsUnseenFallback(std::getenv("SDL_VIDEODRIVER"), SDL_GetCurrentVideoDriver())) {
        // Without a display SDL falls back to drawing off screen, and the program would run where nobody sees
        // it until killed.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        reason = "no display found: an X display is needed (DISPLAY is not set or cannot be opened)";
    }
    if (!reason.empty()) {
        std::lock_guard lock(state.mutex);
        if (reason != state.error)
            PLATFORM_LOG_ERROR("window", "cannot start SDL video: %s", reason.c_str());
        state.error = reason;
        return false;
    }
    ++state.generation;
    std::lock_guard lock(state.mutex);
    state.error.clear();
    return true;
}

std::string VideoError()
{
    VideoState& state = State();
    std::lock_guard lock(state.mutex);
    return state.error;
}

bool IsHeadless()
{
    const char* driver = VideoRunning() ? SDL_GetCurrentVideoDriver() : std::getenv("SDL_VIDEODRIVER");
    return driver && std::strcmp(driver, "dummy") == 0;
}

void ShutdownVideo()
{
    if (IsMainThread() && VideoRunning())
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace Platform
