#include "platform/directdraw/DirectDrawEmulation.h"

#include "platform/direct3d/Direct3DEmulation.h"
#include "platform/process/MainThread.h"

#include <array>
#include <atomic>
#include <mutex>
#include <optional>

namespace Platform {
namespace {

struct Fault {
    HResult result = S_OK;
    int skip = 0;
    int times = 0; // -1: for ever
};

constexpr size_t kCallCount = static_cast<size_t>(DirectDrawCall::Count);

struct Emulation {
    std::mutex mutex;
    std::array<Fault, kCallCount> faults{};
    // Counted without the lock: every drawing call takes its turn here, and a lock per call would cost the
    // frame more than some of its draws.
    std::array<std::atomic<int>, kCallCount> calls{};
    std::atomic<bool> anyFault = false;     // some fault was injected since the last reset
    std::optional<DisplayMode> desktop;     // chosen by a test
    std::optional<DisplayMode> realDesktop; // asked once
    std::optional<DisplayMode> fullScreenMode;
    SurfaceLayout layout;
    VideoMemory videoMemory;
    DeviceIdentifier adapter = DefaultAdapter();
};

Emulation& TheEmulation()
{
    static Emulation emulation;
    return emulation;
}

std::atomic<int> gLiveSurfaces = 0;
std::atomic<int> gLiveDirectDraws = 0;

DisplayMode FallbackDesktop()
{
    DisplayMode mode;
    mode.width = 1024;
    mode.height = 768;
    mode.bitsPerPixel = 32;
    mode.refreshRate = 60;
    mode.redMask = 0x00FF0000;
    mode.greenMask = 0x0000FF00;
    mode.blueMask = 0x000000FF;
    return mode;
}

// The caller holds the lock.
DisplayMode DesktopLocked(Emulation& emulation)
{
    if (emulation.desktop)
        return *emulation.desktop;
    if (!emulation.realDesktop && IsMainThread()) {
        // Asked once: the window system's answer does not change while we run.
        std::optional<DisplayMode> real = GetDesktopMode();
        if (real && real->width > 0 && real->height > 0 && real->bitsPerPixel > 0)
            emulation.realDesktop = real;
    }
    return emulation.realDesktop ? *emulation.realDesktop : FallbackDesktop();
}

} // namespace

void InjectDirectDrawFailure(DirectDrawCall call, HResult result, int skip, int times)
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    emulation.faults[static_cast<size_t>(call)] = {result, skip < 0 ? 0 : skip, times};
    emulation.anyFault.store(true, std::memory_order_release);
}

HResult TakeInjectedFailure(DirectDrawCall call)
{
    Emulation& emulation = TheEmulation();
    const auto index = static_cast<size_t>(call);
    emulation.calls[index].fetch_add(1, std::memory_order_relaxed);
    if (!emulation.anyFault.load(std::memory_order_acquire))
        return S_OK;
    std::lock_guard lock(emulation.mutex);
    Fault& fault = emulation.faults[index];
    if (fault.times == 0)
        return S_OK;
    if (fault.skip > 0) {
        --fault.skip;
        return S_OK;
    }
    if (fault.times > 0)
        --fault.times;
    return fault.result;
}

int DirectDrawCallCount(DirectDrawCall call)
{
    Emulation& emulation = TheEmulation();
    return emulation.calls[static_cast<size_t>(call)].load(std::memory_order_relaxed);
}

void SetEmulatedDesktop(const DisplayMode& mode)
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    emulation.desktop = mode;
}

DisplayMode EmulatedDesktop()
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    return DesktopLocked(emulation);
}

DisplayMode CurrentDisplayMode()
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    return emulation.fullScreenMode ? *emulation.fullScreenMode : DesktopLocked(emulation);
}

void SetCurrentDisplayMode(const DisplayMode& mode, bool restore)
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    if (restore)
        emulation.fullScreenMode.reset();
    else
        emulation.fullScreenMode = mode;
}

void SetSurfaceLayout(const SurfaceLayout& layout)
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    emulation.layout = layout;
    if (emulation.layout.rowPadding < 0)
        emulation.layout.rowPadding = 0;
}

SurfaceLayout CurrentSurfaceLayout()
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    return emulation.layout;
}

int LiveDirectDrawSurfaceCount()
{
    return gLiveSurfaces.load();
}

int LiveDirectDrawCount()
{
    return gLiveDirectDraws.load();
}

void CountDirectDrawSurface(int delta)
{
    gLiveSurfaces += delta;
}

void CountDirectDraw(int delta)
{
    gLiveDirectDraws += delta;
}

void SetEmulatedVideoMemory(const VideoMemory& memory)
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    emulation.videoMemory = memory;
}

VideoMemory EmulatedVideoMemory()
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    return emulation.videoMemory;
}

DeviceIdentifier DefaultAdapter()
{
    DeviceIdentifier adapter;
    adapter.driver = "/proc/self/exe";
    adapter.description = "Software rasterizer 3-D device";
    adapter.deviceIdentifier = {0x1f0a6b32, 0x5c11, 0x4e2d, {0x9a, 0x47, 0x3b, 0x80, 0x6e, 0x21, 0xd4, 0x05}};
    return adapter;
}

void SetEmulatedAdapter(const DeviceIdentifier& adapter)
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    emulation.adapter = adapter;
}

DeviceIdentifier EmulatedAdapter()
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    return emulation.adapter;
}

void ResetDirectDrawEmulation()
{
    {
        Emulation& emulation = TheEmulation();
        std::lock_guard lock(emulation.mutex);
        emulation.faults.fill({});
        for (std::atomic<int>& count : emulation.calls)
            count.store(0, std::memory_order_relaxed);
        emulation.anyFault.store(false, std::memory_order_release);
        emulation.desktop.reset();
        emulation.fullScreenMode.reset();
        emulation.layout = {};
        emulation.videoMemory = {};
        emulation.adapter = DefaultAdapter();
    }
    ResetDirect3DEmulation();
}

} // namespace Platform
