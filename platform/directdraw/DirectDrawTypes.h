#pragma once

#include "platform/directx/DXResult.h"
#include "platform/window/WindowMessage.h"

#include <cstdint>
#include <string>

namespace Platform {

// Records and flags of the DirectDraw stand-in, in the shape the display code was written against. Flag values
// follow the system's, so that values the callers spell out (caps 0x800 and 0x4000, DDBLT_WAIT 0x1000000) keep
// their meaning.

// SurfaceDesc::flags: which fields are valid.
inline constexpr uint32_t DDSD_CAPS = 0x1;
inline constexpr uint32_t DDSD_HEIGHT = 0x2;
inline constexpr uint32_t DDSD_WIDTH = 0x4;
inline constexpr uint32_t DDSD_PITCH = 0x8;
inline constexpr uint32_t DDSD_BACKBUFFERCOUNT = 0x20;
inline constexpr uint32_t DDSD_LPSURFACE = 0x800;
inline constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
inline constexpr uint32_t DDSD_CKSRCBLT = 0x10000;

// SurfaceCaps::caps.
inline constexpr uint32_t DDSCAPS_BACKBUFFER = 0x4;
inline constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
inline constexpr uint32_t DDSCAPS_FLIP = 0x10;
inline constexpr uint32_t DDSCAPS_FRONTBUFFER = 0x20;
inline constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
inline constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
inline constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;
inline constexpr uint32_t DDSCAPS_TEXTURE = 0x1000;
inline constexpr uint32_t DDSCAPS_3DDEVICE = 0x2000;
inline constexpr uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;
// SurfaceCaps::caps2.
inline constexpr uint32_t DDSCAPS2_TEXTUREMANAGE = 0x10;
inline constexpr uint32_t DDSCAPS2_D3DTEXTUREMANAGE = 0x20000;

// PixelFormat::flags.
inline constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
inline constexpr uint32_t DDPF_PALETTEINDEXED8 = 0x20;
inline constexpr uint32_t DDPF_RGB = 0x40;

// Lock flags.
inline constexpr uint32_t DDLOCK_WAIT = 0x1;
inline constexpr uint32_t DDLOCK_READONLY = 0x10;
inline constexpr uint32_t DDLOCK_WRITEONLY = 0x20;

// Blt flags and BltFx::ddfx.
inline constexpr uint32_t DDBLT_COLORFILL = 0x400;
inline constexpr uint32_t DDBLT_DDFX = 0x800;
inline constexpr uint32_t DDBLT_KEYSRC = 0x8000;
inline constexpr uint32_t DDBLT_WAIT = 0x1000000;
inline constexpr uint32_t DDBLTFX_ARITHSTRETCHY = 0x1;

inline constexpr uint32_t DDFLIP_WAIT = 0x1;

// Cooperative levels.
inline constexpr uint32_t DDSCL_FULLSCREEN = 0x1;
inline constexpr uint32_t DDSCL_NORMAL = 0x8;
inline constexpr uint32_t DDSCL_EXCLUSIVE = 0x10;

inline constexpr uint32_t DDWAITVB_BLOCKBEGIN = 0x1;

// Colour-key kinds.
inline constexpr uint32_t DDCKEY_SRCBLT = 0x8;

/// Sizes of the two versions of the surface description; the size field tells which one a caller filled.
inline constexpr uint32_t kSurfaceDescSize1 = 108;
inline constexpr uint32_t kSurfaceDescSize2 = 124;
/// Size of the blit-effects record.
inline constexpr uint32_t kBltFxSize = 100;

struct PixelFormat {
    uint32_t flags = 0; // DDPF_*
    uint32_t rgbBitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
    friend bool operator==(const PixelFormat&, const PixelFormat&) = default;
};

/// Pixel values from low to high (inclusive) are transparent in a keyed blit.
struct ColorKey {
    uint32_t low = 0;
    uint32_t high = 0;
};

struct SurfaceCaps {
    uint32_t caps = 0;
    uint32_t caps2 = 0;
};

/// A surface description: what CreateSurface is asked for, what GetSurfaceDesc and Lock report.
struct SurfaceDesc {
    uint32_t size = kSurfaceDescSize2; // kSurfaceDescSize1 or kSurfaceDescSize2
    uint32_t flags = 0;                // DDSD_*
    int32_t height = 0;
    int32_t width = 0;
    int32_t pitch = 0; // bytes from one row to the next; negative when rows are stored bottom-up
    uint32_t backBufferCount = 0;
    uint8_t* surface = nullptr; // while locked: the first byte of the top row
    ColorKey srcBltKey;
    PixelFormat pixelFormat;
    SurfaceCaps caps;
};

/// Blit effects: ddfx takes DDBLTFX_*; fillColor is the raw pixel value of DDBLT_COLORFILL.
struct BltFx {
    uint32_t size = kBltFxSize;
    uint32_t ddfx = 0;
    uint32_t fillColor = 0;
};

/// The standard formats of the stand-in's surfaces.
inline constexpr PixelFormat kFormatX888{DDPF_RGB, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0};
inline constexpr PixelFormat kFormat8888{
    DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
inline constexpr PixelFormat kFormat565{DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0};
inline constexpr PixelFormat kFormat555{DDPF_RGB, 16, 0x7C00, 0x03E0, 0x001F, 0};
/// 16-bit with four bits per channel, alpha highest: a texture format of the 3-D device.
inline constexpr PixelFormat kFormat4444{DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0x0F00, 0x00F0, 0x000F, 0xF000};

/// A globally unique identifier, as adapters name themselves.
struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
    friend bool operator==(const Guid&, const Guid&) = default;
};

/// What GetDeviceIdentifier tells of the video adapter: its driver file (a path, or a bare name looked up in the
/// platform's system folder), its description and its identity.
struct DeviceIdentifier {
    std::string driver;
    std::string description;
    Guid deviceIdentifier;
};

/// Names an interface that QueryInterface hands out, or a kind of 3-D device. Our own small numbers: callers only
/// ever compare them.
struct InterfaceId {
    uint32_t value = 0;
    friend bool operator==(const InterfaceId&, const InterfaceId&) = default;
};
inline constexpr InterfaceId IID_IDirectDraw7{1};
inline constexpr InterfaceId IID_IDirectDrawSurface{2};
inline constexpr InterfaceId IID_IDirectDrawSurface7{3};
inline constexpr InterfaceId IID_IDirect3D7{4};
inline constexpr InterfaceId IID_IDirect3DHALDevice{5};

} // namespace Platform
