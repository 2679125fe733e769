#include "platform/window/DesktopDisplay.h"

#include "platform/log/Log.h"
#include "platform/process/MainThread.h"
#include "platform/window/VideoSystem.h"

#include <SDL.h>

namespace Platform {
namespace {

bool VideoForQuery(const char* operation)
{
    if (!IsMainThread()) {
        PLATFORM_LOG_ERROR("window", "%s must run on the main thread", operation);
        return false;
    }
    return EnsureVideo();
}

DisplayMode FromSdl(const SDL_DisplayMode& mode)
{
    DisplayMode result;
    result.width = mode.w;
    result.height = mode.h;
    result.bitsPerPixel = SDL_BYTESPERPIXEL(mode.format) * 8;
    result.refreshRate = mode.refresh_rate;
    int bits = 0;
    Uint32 alphaMask = 0;
    if (!SDL_PixelFormatEnumToMasks(mode.format, &bits, &result.redMask, &result.greenMask, &result.blueMask,
                                    &alphaMask)) {
        result.redMask = result.greenMask = result.blueMask = 0;
    }
    return result;
}

} // namespace

std::optional<DisplayMode> GetDesktopMode()
{
    if (!VideoForQuery("GetDesktopMode"))
        return std::nullopt;
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        PLATFORM_LOG_ERROR("window", "cannot read the desktop mode: %s", SDL_GetError());
        return std::nullopt;
    }
    return FromSdl(mode);
}

std::vector<DisplayMode> ListDisplayModes()
{
    std::vector<DisplayMode> modes;
    if (!VideoForQuery("ListDisplayModes"))
        return modes;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) == 0)
            modes.push_back(FromSdl(mode));
    }
    return modes;
}

bool HasDisplayMode(int width, int height)
{
    for (const DisplayMode& mode : ListDisplayModes()) {
        if (mode.width == width && mode.height == height)
            return true;
    }
    return false;
}

std::optional<WindowRect> GetWorkArea()
{
    if (!VideoForQuery("GetWorkArea"))
        return std::nullopt;
    SDL_Rect area{};
    if (SDL_GetDisplayUsableBounds(0, &area) != 0) {
        PLATFORM_LOG_ERROR("window", "cannot read the work area: %s", SDL_GetError());
        return std::nullopt;
    }
    return WindowRect{area.x, area.y, area.x + area.w, area.y + area.h};
}

void AllowScreenSaver(bool allow)
{
    if (!VideoForQuery("AllowScreenSaver"))
        return;
    if (allow)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

bool IsScreenSaverAllowed()
{
    return VideoRunning() && SDL_IsScreenSaverEnabled();
}

} // namespace Platform
