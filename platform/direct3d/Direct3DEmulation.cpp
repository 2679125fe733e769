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
    std::vector<RecordedDeviceCall> recorded;
};

Emulation& TheEmulation()
{
    static Emulation emulation;
    return emulation;
}

std::atomic<int> gLiveDirect3Ds = 0;
std::atomic<int> gLiveDevices = 0;
std::atomic<bool> gRecording = false; // read on every device call: the recording costs nothing when off

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

void RecordDeviceCalls(bool on)
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    emulation.recorded.clear();
    gRecording = on;
}

bool RecordingDeviceCalls()
{
    return gRecording.load(std::memory_order_relaxed);
}

void RecordDeviceCall(RecordedDeviceCall call)
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    if (gRecording)
        emulation.recorded.push_back(std::move(call));
}

std::vector<RecordedDeviceCall> RecordedDeviceCalls()
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    return emulation.recorded;
}

void ResetDirect3DEmulation()
{
    Emulation& emulation = TheEmulation();
    std::lock_guard lock(emulation.mutex);
    emulation.recorded.clear();
    gRecording = false;
    emulation.caps = DefaultDeviceCaps();
    emulation.formats = DefaultTextureFormats();
}

} // namespace Platform
