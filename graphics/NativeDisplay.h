#pragma once

#include <cstdint>

namespace Pyxo {

/// Base of the display back-end: the display's pixel format, all 0 until the display sets it. Images read it to
/// convert between 32-bit ARGB and the display format. Masks are unsigned so that shifting them never meets the
/// sign bit.
class NativeDisplay {
public:
    NativeDisplay() = default;
    virtual ~NativeDisplay() = default;
    NativeDisplay(const NativeDisplay&) = delete;
    NativeDisplay& operator=(const NativeDisplay&) = delete;

    int mRGBBits = 0; // bits per pixel
    uint32_t mRedMask = 0;
    uint32_t mGreenMask = 0;
    uint32_t mBlueMask = 0;
    int mRedBits = 0; // bit count of each channel
    int mGreenBits = 0;
    int mBlueBits = 0;
    int mRedShift = 0; // index of each mask's lowest set bit
    int mGreenShift = 0;
    int mBlueShift = 0;
};

} // namespace Pyxo
