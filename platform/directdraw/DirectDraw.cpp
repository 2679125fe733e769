#include "platform/directdraw/DirectDraw.h"

#include "platform/direct3d/Direct3D.h"
#include "platform/directdraw/DirectDrawClipper.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/directdraw/ScreenPresenter.h"
#include "platform/process/MainThread.h"
#include "platform/process/StandInLibrary.h"
#include "platform/time/Clock.h"
#include "platform/window/WindowSystem.h"

#include <new>
#include <string_view>

namespace Platform {
namespace {

constexpr int kMaxSurfaceSide = 16384;
constexpr int64_t kMaxSurfaceBytes = int64_t{512} << 20;
// How far one read of the scan line moves the emulated beam on: about what the call costs on real hardware.
constexpr int64_t kScanLineReadMicros = 20;

PixelFormat FormatOfMode(const DisplayMode& mode)
{
    PixelFormat format;
    format.rgbBitCount = static_cast<uint32_t>(mode.bitsPerPixel);
    if (mode.bitsPerPixel == 8) {
        format.flags = DDPF_RGB | DDPF_PALETTEINDEXED8;
        return format;
    }
    format.flags = DDPF_RGB;
    format.redMask = mode.redMask;
    format.greenMask = mode.greenMask;
    format.blueMask = mode.blueMask;
    if (format.redMask == 0 && format.greenMask == 0 && format.blueMask == 0) {
        const PixelFormat fallback = mode.bitsPerPixel == 16 ? kFormat565 : kFormatX888;
        format.redMask = fallback.redMask;
        format.greenMask = fallback.greenMask;
        format.blueMask = fallback.blueMask;
    }
    return format;
}

bool IsSupportedFormat(const PixelFormat& format)
{
    if ((format.flags & DDPF_RGB) == 0)
        return false;
    switch (format.rgbBitCount) {
    case 8:
        return (format.flags & DDPF_PALETTEINDEXED8) != 0;
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

int64_t NowMicros()
{
    const int64_t counter = QueryPerformanceCounter();
    const int64_t frequency = QueryPerformanceFrequency();
    if (frequency <= 0)
        return int64_t{GetTickCount()} * 1000;
    // Split so that a nanosecond counter never overflows the product.
    return counter / frequency * 1'000'000 + counter % frequency * 1'000'000 / frequency;
}

int VerticalBlankLines(int height)
{
    return height / 20 + 1;
}

ProcAddress LookUpDirectDraw(std::string_view symbol)
{
    if (symbol == "DirectDrawCreate")
        return reinterpret_cast<ProcAddress>(&DirectDrawCreate);
    if (symbol == "DirectDrawCreateEx")
        return reinterpret_cast<ProcAddress>(&DirectDrawCreateEx);
    return nullptr;
}

// Whenever the display is linked in, ddraw is there before the application first looks for it.
[[maybe_unused]] const bool gDirectDrawRegistered = RegisterDirectDrawLibrary();

} // namespace

DirectDraw::DirectDraw() : mPrimaryLink(std::make_shared<PrimaryLink>())
{
    CountDirectDraw(1);
}

DirectDraw::~DirectDraw()
{
    if (mModeChanged)
        SetCurrentDisplayMode({}, true);
    CountDirectDraw(-1);
}

uint32_t DirectDraw::AddRef()
{
    return ++mRefCount;
}

uint32_t DirectDraw::Release()
{
    const uint32_t left = --mRefCount;
    if (left == 0)
        delete this;
    return left;
}

HResult DirectDraw::QueryInterface(const InterfaceId& id, void** object)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::QueryInterface); Failed(injected))
        return injected;
    if (!object)
        return DDERR_INVALIDPARAMS;
    *object = nullptr;
    if (id == IID_IDirectDraw7) {
        AddRef();
        *object = this;
        return DD_OK;
    }
    if (id == IID_IDirect3D7) {
        *object = new Direct3D(this);
        return DD_OK;
    }
    return E_NOINTERFACE;
}

HResult DirectDraw::SetCooperativeLevel(WindowHandle window, uint32_t flags)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::SetCooperativeLevel); Failed(injected))
        return injected;
    const bool exclusive = flags == (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    if (flags != DDSCL_NORMAL && !exclusive)
        return DDERR_INVALIDPARAMS;
    if (!exclusive && mModeChanged) {
        SetCurrentDisplayMode({}, true);
        mModeChanged = false;
    }
    mWindow = window;
    mCooperativeLevel = flags;
    return DD_OK;
}

HResult DirectDraw::SetDisplayMode(int width, int height, int bitsPerPixel)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::SetDisplayMode); Failed(injected))
        return injected;
    if ((mCooperativeLevel & DDSCL_EXCLUSIVE) == 0)
        return DDERR_NOEXCLUSIVEMODE;
    if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide)
        return DDERR_INVALIDMODE;
    const DisplayMode desktop = EmulatedDesktop();
    DisplayMode mode;
    mode.width = width;
    mode.height = height;
    mode.bitsPerPixel = bitsPerPixel;
    mode.refreshRate = desktop.refreshRate;
    switch (bitsPerPixel) {
    case 8:
        break;
    case 16: {
        const bool desktop16 = desktop.bitsPerPixel == 16 && desktop.greenMask != 0;
        mode.redMask = desktop16 ? desktop.redMask : kFormat565.redMask;
        mode.greenMask = desktop16 ? desktop.greenMask : kFormat565.greenMask;
        mode.blueMask = desktop16 ? desktop.blueMask : kFormat565.blueMask;
        break;
    }
    case 24:
    case 32:
        mode.redMask = kFormatX888.redMask;
        mode.greenMask = kFormatX888.greenMask;
        mode.blueMask = kFormatX888.blueMask;
        break;
    default:
        return DDERR_INVALIDMODE;
    }
    SetCurrentDisplayMode(mode, false);
    mModeChanged = true;
    return DD_OK;
}

HResult DirectDraw::RestoreDisplayMode()
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::RestoreDisplayMode); Failed(injected))
        return injected;
    if (mModeChanged) {
        SetCurrentDisplayMode({}, true);
        mModeChanged = false;
    }
    return DD_OK;
}

HResult DirectDraw::CreateSurface(const SurfaceDesc& desc, DirectDrawSurface** surface)
{
    if (!surface)
        return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::CreateSurface); Failed(injected))
        return injected;
    if ((desc.size != kSurfaceDescSize1 && desc.size != kSurfaceDescSize2) || (desc.flags & DDSD_CAPS) == 0)
        return DDERR_INVALIDPARAMS;
    const DisplayMode mode = CurrentDisplayMode();
    const SurfaceLayout layout = CurrentSurfaceLayout();
    const uint32_t caps = desc.caps.caps;

    int width = 0;
    int height = 0;
    PixelFormat format;
    const bool primary = (caps & DDSCAPS_PRIMARYSURFACE) != 0;
    const bool flipChain = primary && (caps & DDSCAPS_FLIP) != 0;
    if (primary) {
        if (mCooperativeLevel == 0)
            return DDERR_NOCOOPERATIVELEVELSET;
        if (desc.flags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT))
            return DDERR_INVALIDPARAMS;
        {
            std::lock_guard lock(mPrimaryLink->mutex);
            if (mPrimaryLink->primary)
                return DDERR_PRIMARYSURFACEALREADYEXISTS;
        }
        if (flipChain) {
            if ((mCooperativeLevel & DDSCL_EXCLUSIVE) == 0)
                return DDERR_NOEXCLUSIVEMODE;
            if ((caps & DDSCAPS_COMPLEX) == 0 || (desc.flags & DDSD_BACKBUFFERCOUNT) == 0 || desc.backBufferCount != 1)
                return DDERR_INVALIDPARAMS;
        }
        width = mode.width;
        height = mode.height;
        format = FormatOfMode(mode);
    } else {
        if ((desc.flags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc.width <= 0 ||
            desc.height <= 0)
            return DDERR_INVALIDPARAMS;
        if (desc.width > kMaxSurfaceSide || desc.height > kMaxSurfaceSide)
            return DDERR_TOOBIGSIZE;
        width = desc.width;
        height = desc.height;
        format = (desc.flags & DDSD_PIXELFORMAT) ? desc.pixelFormat : FormatOfMode(mode);
    }
    if (!IsSupportedFormat(format))
        return DDERR_INVALIDPIXELFORMAT;
    const int64_t bytes = (int64_t{width} * (format.rgbBitCount / 8) + layout.rowPadding) * height;
    if (width <= 0 || height <= 0 || bytes > kMaxSurfaceBytes)
        return DDERR_OUTOFMEMORY;

    ComRef<DirectDrawSurface> made;
    try {
        SurfaceCaps madeCaps = desc.caps;
        if (flipChain)
            madeCaps.caps |= DDSCAPS_FRONTBUFFER;
        made = ComRef<DirectDrawSurface>::Adopt(new DirectDrawSurface(width, height, format, madeCaps, layout));
        if (flipChain) {
            const SurfaceCaps backCaps{(caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) | DDSCAPS_BACKBUFFER,
                                       desc.caps.caps2};
            made->mBackBuffer =
                ComRef<DirectDrawSurface>::Adopt(new DirectDrawSurface(width, height, format, backCaps, layout));
        }
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    if (primary) {
        made->mPrimaryLink = mPrimaryLink;
        std::lock_guard lock(mPrimaryLink->mutex);
        mPrimaryLink->primary = made;
    }
    *surface = made.Detach();
    return DD_OK;
}

HResult DirectDraw::CreateClipper(uint32_t /*flags*/, DirectDrawClipper** clipper)
{
    if (!clipper)
        return DDERR_INVALIDPARAMS;
    *clipper = nullptr;
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::CreateClipper); Failed(injected))
        return injected;
    *clipper = new DirectDrawClipper();
    return DD_OK;
}

HResult DirectDraw::GetDisplayMode(SurfaceDesc* desc)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::GetDisplayMode); Failed(injected))
        return injected;
    if (!desc || (desc->size != kSurfaceDescSize1 && desc->size != kSurfaceDescSize2))
        return DDERR_INVALIDPARAMS;
    const DisplayMode mode = CurrentDisplayMode();
    const uint32_t size = desc->size;
    *desc = SurfaceDesc{};
    desc->size = size;
    desc->flags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->width = mode.width;
    desc->height = mode.height;
    desc->pixelFormat = FormatOfMode(mode);
    desc->pitch = mode.width * (mode.bitsPerPixel / 8);
    return DD_OK;
}

HResult DirectDraw::GetMonitorFrequency(uint32_t* frequency)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::GetMonitorFrequency); Failed(injected))
        return injected;
    if (!frequency)
        return DDERR_INVALIDPARAMS;
    const int rate = CurrentDisplayMode().refreshRate;
    if (rate <= 0)
        return DDERR_UNSUPPORTED;
    *frequency = static_cast<uint32_t>(rate);
    return DD_OK;
}

HResult DirectDraw::GetAvailableVidMem(const SurfaceCaps& caps, uint32_t* total, uint32_t* free)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::GetAvailableVidMem); Failed(injected))
        return injected;
    if ((caps.caps & DDSCAPS_VIDEOMEMORY) == 0)
        return DDERR_INVALIDPARAMS;
    const VideoMemory memory = EmulatedVideoMemory();
    if (total)
        *total = memory.total;
    if (free)
        *free = memory.free;
    return DD_OK;
}

HResult DirectDraw::GetDeviceIdentifier(DeviceIdentifier* identifier, uint32_t flags)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::GetDeviceIdentifier); Failed(injected))
        return injected;
    if (!identifier || flags != 0)
        return DDERR_INVALIDPARAMS;
    *identifier = EmulatedAdapter();
    return DD_OK;
}

void DirectDraw::BeamPosition(int64_t& intoPeriod, int64_t& period) const
{
    const int rate = CurrentDisplayMode().refreshRate;
    period = 1'000'000 / (rate > 0 ? rate : 60);
    intoPeriod = (NowMicros() + mBeamOffset) % period;
    if (intoPeriod < 0)
        intoPeriod += period;
}

HResult DirectDraw::GetScanLine(uint32_t* line)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::GetScanLine); Failed(injected))
        return injected;
    if (!line)
        return DDERR_INVALIDPARAMS;
    const int height = CurrentDisplayMode().height;
    int64_t intoPeriod = 0;
    int64_t period = 1;
    BeamPosition(intoPeriod, period);
    mBeamOffset += kScanLineReadMicros;
    const int64_t totalLines = int64_t{height} + VerticalBlankLines(height);
    const int64_t current = intoPeriod * totalLines / period;
    if (current >= height)
        return DDERR_VERTICALBLANKINPROGRESS;
    *line = static_cast<uint32_t>(current);
    return DD_OK;
}

HResult DirectDraw::WaitForVerticalBlank(uint32_t flags)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::WaitForVerticalBlank); Failed(injected))
        return injected;
    if (flags != DDWAITVB_BLOCKBEGIN)
        return DDERR_UNSUPPORTED;
    const int height = CurrentDisplayMode().height;
    int64_t intoPeriod = 0;
    int64_t period = 1;
    BeamPosition(intoPeriod, period);
    const int64_t blankStart = period * height / (int64_t{height} + VerticalBlankLines(height));
    int64_t wait = blankStart - intoPeriod;
    if (wait <= 0)
        wait += period;
    // Never longer than one refresh period, rounded up to whole milliseconds.
    Sleep(static_cast<uint32_t>((wait + 999) / 1000));
    return DD_OK;
}

HResult DirectDraw::FlipToGDISurface()
{
    return TakeInjectedFailure(DirectDrawCall::FlipToGDISurface);
}

bool DirectDraw::ShowScreen(bool onlyIfChanged)
{
    if (!IsMainThread())
        return false;
    ComRef<DirectDrawSurface> primary;
    {
        std::lock_guard lock(mPrimaryLink->mutex);
        primary = ComRef<DirectDrawSurface>::Share(mPrimaryLink->primary);
    }
    if (!primary)
        return false;
    const uint64_t changes = primary->ChangeCount();
    if (onlyIfChanged && primary == mShownSurface && changes == mShownChangeCount)
        return true;
    const bool fullScreen = (mCooperativeLevel & DDSCL_EXCLUSIVE) != 0;
    WindowRect region{0, 0, primary->Width(), primary->Height()};
    if (!fullScreen) {
        WindowPoint origin{0, 0};
        ClientToScreen(mWindow, origin);
        const WindowRect client = GetClientRect(mWindow);
        region = {origin.x, origin.y, origin.x + client.Width(), origin.y + client.Height()};
    }
    if (!mPresenter)
        mPresenter = std::make_unique<ScreenPresenter>();
    const bool shown = mPresenter->Show(mWindow, primary->TopRow(), primary->Pitch(), primary->Width(),
                                        primary->Height(), primary->Format(), region, fullScreen);
    mShownSurface = primary;
    mShownChangeCount = changes;
    return shown;
}

HResult DirectDrawCreate(const void* /*deviceGuid*/, DirectDraw** directDraw, void* outer)
{
    if (!directDraw)
        return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::DirectDrawCreate); Failed(injected))
        return injected;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    *directDraw = new DirectDraw();
    return DD_OK;
}

HResult DirectDrawCreateEx(const void* /*deviceGuid*/, DirectDraw** directDraw, void* outer)
{
    if (!directDraw)
        return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::DirectDrawCreateEx); Failed(injected))
        return injected;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    *directDraw = new DirectDraw();
    return DD_OK;
}

bool RegisterDirectDrawLibrary()
{
    return RegisterStandInLibrary("ddraw", &LookUpDirectDraw);
}

} // namespace Platform
