#include "platform/direct3d/Direct3DEmulation.h"

#include <atomic>
#include <mutex>

namespace Platform {
namespace {

std::vector<PixelFormat> DefaultTextureFormats()
{
    return {kFormat8888, kFormat4444, kFormat565};
}

struct Emulation {
    std::mutex mutex;
    DeviceDesc7 caps = DefaultDeviceCaps();
    std::vector<PixelFormat> formats = DefaultTextureFormats();
};

Emulation& TheEmulation()
{
    static Emulation emulation;
    return emulation;
}

std::atomic<int> gLiveDirect3Ds = 0;
std::atomic<int> gLiveDevices = 0;

} // namespace

DeviceDesc7 DefaultDeviceCaps()
{
    DeviceDesc7 caps;
    caps.triCaps.textureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA;
    caps.lineCaps = caps.triCaps;
    caps.minTextureWidth = 1;
    caps.minTextureHeight = 1;
    caps.maxTextureWidth = 2048;
    caps.maxTextureHeight = 2048;
    caps.maxTextureAspectRatio = 0;
    return caps;
}

void SetEmulatedDeviceCaps(const DeviceDesc7& caps)
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    emulation.caps = caps;
}

DeviceDesc7 EmulatedDeviceCaps()
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    return emulation.caps;
}

void SetEmulatedTextureFormats(const std::vector<PixelFormat>& formats)
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    emulation.formats = formats;
}

std::vector<PixelFormat> EmulatedTextureFormats()
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    return emulation.formats;
}

int LiveDirect3DCount()
{
    return gLiveDirect3Ds.load();
}

int LiveDirect3DDeviceCount()
{
    return gLiveDevices.load();
}

void CountDirect3D(int delta)
{
    gLiveDirect3Ds += delta;
}

void CountDirect3DDevice(int delta)
{
    gLiveDevices += delta;
}

void ResetDirect3DEmulation()
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    emulation.caps = DefaultDeviceCaps();
    emulation.formats = DefaultTextureFormats();
}

} // namespace Platform
