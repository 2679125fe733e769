#include "platform/directdraw/ScreenPresenter.h"

#include "platform/log/Log.h"
#include "platform/process/MainThread.h"
#include "platform/window/SdlWindowAccess.h"
#include "platform/window/VideoSystem.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace Platform {
namespace {

Uint32 SdlFormatOf(const PixelFormat& format)
{
    if (format.rgbBitCount != 16 && format.rgbBitCount != 32)
        return SDL_PIXELFORMAT_UNKNOWN;
    // The alpha mask is left out: the screen shows every pixel opaque.
    return SDL_MasksToPixelFormatEnum(static_cast<int>(format.rgbBitCount), format.redMask, format.greenMask,
                                      format.blueMask, 0);
}

} // namespace

ScreenPresenter::~ScreenPresenter()
{
    Forget();
}

void ScreenPresenter::Forget()
{
    // A renderer whose window SDL already destroyed is not ours to touch any more.
    if (mRenderer && IsMainThread() && VideoGeneration() == mGeneration && SdlWindowOf(mHandle) == mWindow &&
        SDL_GetRenderer(mWindow) == mRenderer) {
        SDL_DestroyRenderer(mRenderer);
    }
    mHandle = {};
    mWindow = nullptr;
    mRenderer = nullptr;
    mTexture = nullptr;
    mTextureWidth = mTextureHeight = 0;
    mTextureFormat = 0;
}

SDL_Renderer* ScreenPresenter::RendererFor(WindowHandle handle, SDL_Window* window)
{
    if (handle == mHandle && window == mWindow && mGeneration == VideoGeneration() && mRenderer &&
        SDL_GetRenderer(window) == mRenderer)
        return mRenderer;
    Forget();
    mHandle = handle;
    mWindow = window;
    mGeneration = VideoGeneration();
    mRenderer = SDL_GetRenderer(window);
    if (!mRenderer)
        mRenderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!mRenderer)
        mRenderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!mRenderer && !mFailureLogged) {
        PLATFORM_LOG_ERROR("display", "cannot make a renderer for the window: %s", SDL_GetError());
        mFailureLogged = true;
    }
    return mRenderer;
}

bool ScreenPresenter::Show(WindowHandle window, const uint8_t* topRow, int32_t pitch, int width, int height,
                           const PixelFormat& format, const WindowRect& region, bool letterbox)
{
    if (!IsMainThread() || !VideoRunning() || !topRow)
        return false;
    SDL_Window* sdl = SdlWindowOf(window);
    if (!sdl)
        return false;
    const Uint32 sdlFormat = SdlFormatOf(format);
    const int regionWidth = region.Width();
    const int regionHeight = region.Height();
    if (sdlFormat == SDL_PIXELFORMAT_UNKNOWN || regionWidth <= 0 || regionHeight <= 0)
        return false;
    SDL_Renderer* renderer = RendererFor(window, sdl);
    if (!renderer)
        return false;

    if (!mTexture || mTextureWidth != regionWidth || mTextureHeight != regionHeight || mTextureFormat != sdlFormat) {
        if (mTexture)
            SDL_DestroyTexture(mTexture);
        mTexture = SDL_CreateTexture(renderer, sdlFormat, SDL_TEXTUREACCESS_STREAMING, regionWidth, regionHeight);
        if (!mTexture) {
            PLATFORM_LOG_ERROR("display", "cannot make a %d x %d screen texture: %s", regionWidth, regionHeight,
                               SDL_GetError());
            mTextureWidth = mTextureHeight = 0;
            return false;
        }
        mTextureWidth = regionWidth;
        mTextureHeight = regionHeight;
        mTextureFormat = sdlFormat;
    }

    void* pixels = nullptr;
    int texturePitch = 0;
    if (SDL_LockTexture(mTexture, nullptr, &pixels, &texturePitch) != 0)
        return false;
    const int bytes = static_cast<int>(format.rgbBitCount / 8);
    const int left = std::max(region.left, 0);
    const int right = std::min(region.right, width);
    for (int row = 0; row < regionHeight; ++row) {
        auto* out = static_cast<uint8_t*>(pixels) + static_cast<ptrdiff_t>(row) * texturePitch;
        std::memset(out, 0, static_cast<size_t>(regionWidth) * static_cast<size_t>(bytes));
        const int y = region.top + row;
        if (y < 0 || y >= height || left >= right)
            continue;
        const uint8_t* in = topRow + static_cast<ptrdiff_t>(y) * pitch + static_cast<ptrdiff_t>(left) * bytes;
        std::memcpy(out + static_cast<ptrdiff_t>(left - region.left) * bytes, in,
                    static_cast<size_t>(right - left) * static_cast<size_t>(bytes));
    }
    SDL_UnlockTexture(mTexture);

    int outputWidth = 0;
    int outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) != 0 || outputWidth <= 0 || outputHeight <= 0)
        return false;
    SDL_Rect target{0, 0, outputWidth, outputHeight};
    if (letterbox) {
        // The largest picture of the region's aspect that fits, centred.
        if (int64_t{outputWidth} * regionHeight > int64_t{outputHeight} * regionWidth) {
            target.w = static_cast<int>(int64_t{outputHeight} * regionWidth / regionHeight);
            target.x = (outputWidth - target.w) / 2;
        } else {
            target.h = static_cast<int>(int64_t{outputWidth} * regionHeight / regionWidth);
            target.y = (outputHeight - target.h) / 2;
        }
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, mTexture, nullptr, &target);
    SDL_RenderPresent(renderer);
    return true;
}

} // namespace Platform
