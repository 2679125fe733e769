#pragma once

#include "platform/directdraw/DirectDrawTypes.h"
#include "platform/window/WindowMessage.h"

#include <cstdint>

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;

namespace Platform {

/// Shows the stand-in's screen memory in one of our windows: an SDL renderer with vertical sync and a streaming
/// texture of the shown size, scaled to the window's client area, letterboxed with black bars where asked. Stands
/// in for the scan-out of the display. Main thread only; an SDL window that went away is never touched again.
class ScreenPresenter {
public:
    ScreenPresenter() = default;
    ~ScreenPresenter();
    ScreenPresenter(const ScreenPresenter&) = delete;
    ScreenPresenter& operator=(const ScreenPresenter&) = delete;

    /// Shows `region` of the pixels (width x height, rows `pitch` bytes apart from the top row, 16 or 32 bits);
    /// parts of the region outside the pixels show black. False off the main thread, for a window without screen
    /// presence, a format SDL cannot show, or an SDL failure (logged once per cause).
    bool Show(WindowHandle window, const uint8_t* topRow, int32_t pitch, int width, int height,
              const PixelFormat& format, const WindowRect& region, bool letterbox);

private:
    /// Our renderer for the window, made when the window is new; null when none can be made.
    SDL_Renderer* RendererFor(WindowHandle handle, SDL_Window* window);
    void Forget();

    // The window is known by its handle (never reused), its SDL window and the video generation together: SDL may
    // give a later window the address of one it freed.
    WindowHandle mHandle;
    SDL_Window* mWindow = nullptr; // borrowed; alive while SdlWindowOf(mHandle) still gives it
    uint32_t mGeneration = 0;
    SDL_Renderer* mRenderer = nullptr; // owned while mWindow lives
    SDL_Texture* mTexture = nullptr;   // owned by mRenderer
    int mTextureWidth = 0;
    int mTextureHeight = 0;
    uint32_t mTextureFormat = 0;
    bool mFailureLogged = false;
};

} // namespace Platform
