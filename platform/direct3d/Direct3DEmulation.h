#pragma once

#include "platform/direct3d/Direct3DTypes.h"

#include <vector>

namespace Platform {

/// What the Direct3D 7 stand-in emulates of the video card: the limits its device reports, the texture formats it
/// enumerates, and counts of live objects. Failures of its methods are injected through the DirectDraw stand-in's
/// injection (DirectDrawEmulation.h). Process-wide; thread-safe. ResetDirectDrawEmulation resets this too.

/// Textures of 1 x 1 up to 2048 x 2048, any aspect ratio, no alpha palette.
[[nodiscard]] DeviceDesc7 DefaultDeviceCaps();
void SetEmulatedDeviceCaps(const DeviceDesc7& caps);
[[nodiscard]] DeviceDesc7 EmulatedDeviceCaps();

/// The formats EnumTextureFormats reports, in order; by default 8888, 4444 and 565.
void SetEmulatedTextureFormats(const std::vector<PixelFormat>& formats);
[[nodiscard]] std::vector<PixelFormat> EmulatedTextureFormats();

/// Live stand-in objects, so that tests see references released.
[[nodiscard]] int LiveDirect3DCount();
[[nodiscard]] int LiveDirect3DDeviceCount();
void CountDirect3D(int delta);
void CountDirect3DDevice(int delta);

class DirectDrawSurface;

/// One call of a 3-D device, as the recording keeps it.
struct RecordedDeviceCall {
    enum class Kind { SetRenderState, SetTextureStageState, SetTexture, DrawPrimitive };
    Kind kind = Kind::DrawPrimitive;
    uint32_t state = 0; // SetRenderState, SetTextureStageState
    uint32_t value = 0;
    const DirectDrawSurface* texture = nullptr; // SetTexture; compared only, never dereferenced
    uint32_t primitiveType = 0;                 // DrawPrimitive
    std::vector<TLVertex> vertices;
};
/// Starts, empty, or stops the recording of the calls above, made to any device whatever they return.
void RecordDeviceCalls(bool on);
[[nodiscard]] bool RecordingDeviceCalls();
/// For the device: keeps the call while recording.
void RecordDeviceCall(RecordedDeviceCall call);
[[nodiscard]] std::vector<RecordedDeviceCall> RecordedDeviceCalls();

/// Back to the default limits and formats, not recording.
void ResetDirect3DEmulation();

} // namespace Platform
