#pragma once

#include "platform/directx/DXResult.h"
#include "platform/window/WindowMessage.h"

#include <atomic>
#include <cstdint>

namespace Platform {

/// A clipper of the DirectDraw stand-in: blits onto a surface that holds it are cut to the client area of its
/// window (in screen coordinates) and to the surface, instead of being refused when they reach outside. Counted:
/// Release frees it when the last reference goes. Thread-safe counts; the window is set on the main thread.
class DirectDrawClipper {
public:
    DirectDrawClipper() = default;
    DirectDrawClipper(const DirectDrawClipper&) = delete;
    DirectDrawClipper& operator=(const DirectDrawClipper&) = delete;

    uint32_t AddRef();
    uint32_t Release();

    /// Clips to the client area of the window; a null window clips to the surface alone.
    HResult SetHWnd(uint32_t flags, WindowHandle window);
    [[nodiscard]] WindowHandle GetHWnd() const { return mWindow.load(); }

private:
    ~DirectDrawClipper() = default;

    std::atomic<uint32_t> mRefCount = 1;
    std::atomic<WindowHandle> mWindow{};
};

} // namespace Platform
