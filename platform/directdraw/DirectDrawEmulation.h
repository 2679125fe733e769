#pragma once

#include "platform/directdraw/DirectDrawTypes.h"
#include "platform/directx/DXResult.h"
#include "platform/window/DesktopDisplay.h"

#include <cstdint>

namespace Platform {

/// What the in-memory DirectDraw stand-in emulates of the machine, and the controls tests use: the desktop's size,
/// pixel format and refresh rate, the row layout of new surfaces, failures injected into any method, and counts of
/// live objects. Process-wide; thread-safe.

/// Every stand-in method that can fail, for failure injection.
enum class DirectDrawCall {
    DirectDrawCreate,
    DirectDrawCreateEx,
    SetCooperativeLevel,
    SetDisplayMode,
    RestoreDisplayMode,
    CreateSurface,
    CreateClipper,
    GetDisplayMode,
    GetMonitorFrequency,
    GetScanLine,
    WaitForVerticalBlank,
    FlipToGDISurface,
    ClipperSetHWnd,
    SetClipper,
    GetAttachedSurface,
    GetSurfaceDesc,
    Lock,
    Unlock,
    Blt,
    Flip,
    SetColorKey,
    GetColorKey,
    GetAvailableVidMem,
    GetDeviceIdentifier,
    QueryInterface, // of the DirectDraw object and of surfaces
    // Direct3D 7, reached from the DirectDraw object.
    CreateDevice,
    GetCaps,
    EnumTextureFormats,
    SetViewport,
    Clear,
    SetRenderTarget,
    BeginScene,
    EndScene,
    SetRenderState,
    SetTextureStageState,
    SetTexture,
    DrawPrimitive,
    Count,
};

/// Makes calls of one kind fail with `result`: the next `skip` calls still succeed, then `times` calls fail
/// (-1: every later call). A new injection for the same call replaces the old one.
void InjectDirectDrawFailure(DirectDrawCall call, HResult result, int skip = 0, int times = -1);
/// For the stand-in's methods: the injected failure this call must return, or S_OK. Counts the call.
[[nodiscard]] HResult TakeInjectedFailure(DirectDrawCall call);
/// How often a method was called since the last reset; tests read it to see which path ran.
[[nodiscard]] int DirectDrawCallCount(DirectDrawCall call);

/// The desktop the stand-in reports. Until a test sets one it is the real desktop (asked of the window system
/// once, on the main thread), or 1024 x 768 in 32-bit colour at 60 Hz when there is none. A refresh rate of 0
/// makes GetMonitorFrequency fail.
void SetEmulatedDesktop(const DisplayMode& mode);
[[nodiscard]] DisplayMode EmulatedDesktop();

/// The mode the screen shows: the desktop, or the mode a full-screen DirectDraw object set.
[[nodiscard]] DisplayMode CurrentDisplayMode();
/// For the stand-in: sets the full-screen mode (or, with `restore`, returns to the desktop).
void SetCurrentDisplayMode(const DisplayMode& mode, bool restore);

/// Row layout of surfaces made from now on: extra bytes after each row, and rows stored bottom-up (negative
/// pitch). Lets tests show that pixel loops honour the pitch.
struct SurfaceLayout {
    int rowPadding = 0;
    bool bottomUp = false;
};
void SetSurfaceLayout(const SurfaceLayout& layout);
[[nodiscard]] SurfaceLayout CurrentSurfaceLayout();

/// The video memory DirectDraw reports, in bytes; 128 MiB, all of it free, until a test sets other amounts.
struct VideoMemory {
    uint32_t total = 128u << 20;
    uint32_t free = 128u << 20;
};
void SetEmulatedVideoMemory(const VideoMemory& memory);
[[nodiscard]] VideoMemory EmulatedVideoMemory();

/// The adapter GetDeviceIdentifier describes. By default the software device itself: its description names no
/// maker, and its driver is the running program, which carries the rasterizer.
[[nodiscard]] DeviceIdentifier DefaultAdapter();
void SetEmulatedAdapter(const DeviceIdentifier& adapter);
[[nodiscard]] DeviceIdentifier EmulatedAdapter();

/// Live stand-in objects, so that tests see references released.
[[nodiscard]] int LiveDirectDrawSurfaceCount();
[[nodiscard]] int LiveDirectDrawCount();
void CountDirectDrawSurface(int delta);
void CountDirectDraw(int delta);

/// Back to the defaults: the real desktop, no injected failures, no call counts, packed top-down rows, the default
/// video memory and adapter, and the 3-D device's defaults (platform/direct3d/Direct3DEmulation.h).
void ResetDirectDrawEmulation();

} // namespace Platform
