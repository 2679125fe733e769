#pragma once

#include "platform/directdraw/DirectDrawTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace Platform {

class DirectDrawClipper;
class DirectDrawSurface;
class ScreenPresenter;
struct PrimaryLink;

/// The DirectDraw object of the in-memory stand-in. It makes surfaces and clippers, keeps the cooperative level and
/// the full-screen display mode, and emulates the display's timing: the monitor frequency, the scan line and the
/// vertical blank follow the process clock (platform/time/Clock.h), so a frozen test clock freezes them too, and
/// every read of the scan line moves the emulated beam on by a little, so that polling it always ends. Waiting for
/// the vertical blank sleeps at most one refresh period. What the primary surface holds is shown in the
/// cooperative window by ShowScreen. Counted: Release frees it when the last reference goes. Not locked
/// internally: the display's lock serialises every use across threads.
class DirectDraw {
public:
    DirectDraw();
    DirectDraw(const DirectDraw&) = delete;
    DirectDraw& operator=(const DirectDraw&) = delete;

    uint32_t AddRef();
    uint32_t Release();
    /// IID_IDirectDraw7 gives this object, counted; IID_IDirect3D7 a new Direct3D object (Direct3D.h) that holds
    /// a reference on this one; E_NOINTERFACE otherwise.
    HResult QueryInterface(const InterfaceId& id, void** object);

    /// DDSCL_NORMAL, or DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN; leaving the exclusive level restores the display mode.
    HResult SetCooperativeLevel(WindowHandle window, uint32_t flags);
    /// Changes the shown mode (exclusive level only): 16 bits take the desktop's 16-bit layout, else 5-6-5.
    HResult SetDisplayMode(int width, int height, int bitsPerPixel);
    HResult RestoreDisplayMode();
    /// Makes a primary (of the current mode's size and format; with DDSCAPS_FLIP | DDSCAPS_COMPLEX a flip chain
    /// with one back buffer, full screen only) or an off-screen surface of the given size, in the given pixel
    /// format or the current mode's.
    HResult CreateSurface(const SurfaceDesc& desc, DirectDrawSurface** surface);
    HResult CreateClipper(uint32_t flags, DirectDrawClipper** clipper);
    /// The current mode: size, pitch of a packed row, pixel format.
    HResult GetDisplayMode(SurfaceDesc* desc);
    /// Fails when the emulated monitor does not report a rate.
    HResult GetMonitorFrequency(uint32_t* frequency);
    /// The emulated beam's line; DDERR_VERTICALBLANKINPROGRESS while it is in the vertical blank.
    HResult GetScanLine(uint32_t* line);
    /// DDWAITVB_BLOCKBEGIN: sleeps until the next vertical blank begins, at most one refresh period.
    HResult WaitForVerticalBlank(uint32_t flags);
    HResult FlipToGDISurface();
    /// The emulated video memory, total and free, in bytes (SetEmulatedVideoMemory); caps name the kind of memory
    /// asked about and must include DDSCAPS_VIDEOMEMORY, the only kind the emulation has.
    HResult GetAvailableVidMem(const SurfaceCaps& caps, uint32_t* total, uint32_t* free);
    /// The emulated adapter (SetEmulatedAdapter); flags 0 only.
    HResult GetDeviceIdentifier(DeviceIdentifier* identifier, uint32_t flags);

    /// Stand-in only: shows what the primary holds in the cooperative window, in windowed mode the part under the
    /// window's client area, in full screen the whole picture letterboxed. With onlyIfChanged nothing happens
    /// when the primary has not changed since it was last shown. Main thread; elsewhere false. False too without
    /// a primary or a window on screen.
    bool ShowScreen(bool onlyIfChanged);

private:
    ~DirectDraw();

    /// The emulated beam position in microseconds into the current refresh period, and the period.
    void BeamPosition(int64_t& intoPeriod, int64_t& period) const;

    std::atomic<uint32_t> mRefCount = 1;
    WindowHandle mWindow; // the cooperative window
    uint32_t mCooperativeLevel = 0;
    bool mModeChanged = false; // this object set a full-screen mode
    int64_t mBeamOffset = 0;   // microseconds the beam was moved on by reads of the scan line
    std::shared_ptr<PrimaryLink> mPrimaryLink;
    std::unique_ptr<ScreenPresenter> mPresenter; // made on first show
    uint64_t mShownChangeCount = 0;
    DirectDrawSurface* mShownSurface = nullptr; // borrowed; compared only, never dereferenced
};

/// The stand-in's entry points, found by name in the "ddraw" library of the stand-in table. Both give a new
/// DirectDraw object (one reference, the caller's); a non-null outer object is refused.
using DirectDrawCreateProc = HResult (*)(const void* deviceGuid, DirectDraw** directDraw, void* outer);
HResult DirectDrawCreate(const void* deviceGuid, DirectDraw** directDraw, void* outer);
HResult DirectDrawCreateEx(const void* deviceGuid, DirectDraw** directDraw, void* outer);

/// Adds the "ddraw" row to the stand-in library table. Also done during static initialisation whenever the
/// display is linked in; calling it again changes nothing.
bool RegisterDirectDrawLibrary();

} // namespace Platform
