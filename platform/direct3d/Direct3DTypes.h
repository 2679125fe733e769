#pragma once

#include "platform/directdraw/DirectDrawTypes.h"

#include <cstdint>

namespace Platform {

// Records and constants of the Direct3D 7 stand-in, in the shape the display's 3-D path was written against. The
// values of states and their settings follow the system's, so that numbers the callers spell out keep their
// meaning; the records hold only the fields that the callers read.

/// A pre-transformed, lit vertex: screen position (pixel centres on whole coordinates), depth, reciprocal w,
/// diffuse and specular colour (0xAARRGGBB), texture coordinates (0 and 1 at the texture's edges).
struct TLVertex {
    float sx = 0;
    float sy = 0;
    float sz = 0;
    float rhw = 1;
    uint32_t color = 0;
    uint32_t specular = 0;
    float tu = 0;
    float tv = 0;
};
static_assert(sizeof(TLVertex) == 32);

// Flexible vertex format bits; the device draws D3DFVF_TLVERTEX only.
inline constexpr uint32_t D3DFVF_XYZRHW = 0x4;
inline constexpr uint32_t D3DFVF_DIFFUSE = 0x40;
inline constexpr uint32_t D3DFVF_SPECULAR = 0x80;
inline constexpr uint32_t D3DFVF_TEX1 = 0x100;
inline constexpr uint32_t D3DFVF_TLVERTEX = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

// Primitive kinds.
inline constexpr uint32_t D3DPT_POINTLIST = 1;
inline constexpr uint32_t D3DPT_LINELIST = 2;
inline constexpr uint32_t D3DPT_LINESTRIP = 3;
inline constexpr uint32_t D3DPT_TRIANGLELIST = 4;
inline constexpr uint32_t D3DPT_TRIANGLESTRIP = 5;
inline constexpr uint32_t D3DPT_TRIANGLEFAN = 6;

inline constexpr uint32_t D3DDP_WAIT = 0x1;

// Render states, and their settings.
inline constexpr uint32_t D3DRENDERSTATE_ZENABLE = 7;
inline constexpr uint32_t D3DRENDERSTATE_ZWRITEENABLE = 14;
inline constexpr uint32_t D3DRENDERSTATE_SRCBLEND = 19;
inline constexpr uint32_t D3DRENDERSTATE_DESTBLEND = 20;
inline constexpr uint32_t D3DRENDERSTATE_CULLMODE = 22;
inline constexpr uint32_t D3DRENDERSTATE_DITHERENABLE = 26;
inline constexpr uint32_t D3DRENDERSTATE_ALPHABLENDENABLE = 27;
inline constexpr uint32_t D3DRENDERSTATE_SPECULARENABLE = 29;
inline constexpr uint32_t D3DRENDERSTATE_LIGHTING = 137;

inline constexpr uint32_t D3DBLEND_ZERO = 1;
inline constexpr uint32_t D3DBLEND_ONE = 2;
inline constexpr uint32_t D3DBLEND_SRCCOLOR = 3;
inline constexpr uint32_t D3DBLEND_INVSRCCOLOR = 4;
inline constexpr uint32_t D3DBLEND_SRCALPHA = 5;
inline constexpr uint32_t D3DBLEND_INVSRCALPHA = 6;
inline constexpr uint32_t D3DBLEND_DESTALPHA = 7;
inline constexpr uint32_t D3DBLEND_INVDESTALPHA = 8;
inline constexpr uint32_t D3DBLEND_DESTCOLOR = 9;
inline constexpr uint32_t D3DBLEND_INVDESTCOLOR = 10;
inline constexpr uint32_t D3DBLEND_SRCALPHASAT = 11;

inline constexpr uint32_t D3DCULL_NONE = 1;
inline constexpr uint32_t D3DCULL_CW = 2;  // culls triangles that run clockwise on screen
inline constexpr uint32_t D3DCULL_CCW = 3; // culls triangles that run counter-clockwise on screen

// Texture stage states, and their settings.
inline constexpr uint32_t D3DTSS_COLOROP = 1;
inline constexpr uint32_t D3DTSS_COLORARG1 = 2;
inline constexpr uint32_t D3DTSS_COLORARG2 = 3;
inline constexpr uint32_t D3DTSS_ALPHAOP = 4;
inline constexpr uint32_t D3DTSS_ALPHAARG1 = 5;
inline constexpr uint32_t D3DTSS_ALPHAARG2 = 6;
inline constexpr uint32_t D3DTSS_ADDRESSU = 13;
inline constexpr uint32_t D3DTSS_ADDRESSV = 14;
inline constexpr uint32_t D3DTSS_MAGFILTER = 16;
inline constexpr uint32_t D3DTSS_MINFILTER = 17;
inline constexpr uint32_t D3DTSS_MIPFILTER = 18;

inline constexpr uint32_t D3DTOP_DISABLE = 1;
inline constexpr uint32_t D3DTOP_SELECTARG1 = 2;
inline constexpr uint32_t D3DTOP_SELECTARG2 = 3;
inline constexpr uint32_t D3DTOP_MODULATE = 4;

inline constexpr uint32_t D3DTA_DIFFUSE = 0;
inline constexpr uint32_t D3DTA_CURRENT = 1;
inline constexpr uint32_t D3DTA_TEXTURE = 2;

inline constexpr uint32_t D3DTADDRESS_WRAP = 1;
inline constexpr uint32_t D3DTADDRESS_MIRROR = 2;
inline constexpr uint32_t D3DTADDRESS_CLAMP = 3;

inline constexpr uint32_t D3DTFG_POINT = 1;
inline constexpr uint32_t D3DTFG_LINEAR = 2;
inline constexpr uint32_t D3DTFN_POINT = 1;
inline constexpr uint32_t D3DTFN_LINEAR = 2;
inline constexpr uint32_t D3DTFP_NONE = 1;
inline constexpr uint32_t D3DTFP_POINT = 2;
inline constexpr uint32_t D3DTFP_LINEAR = 3;

// Clear flags.
inline constexpr uint32_t D3DCLEAR_TARGET = 0x1;
inline constexpr uint32_t D3DCLEAR_ZBUFFER = 0x2;
inline constexpr uint32_t D3DCLEAR_STENCIL = 0x4;

// What an enumeration callback answers.
inline constexpr HResult D3DENUMRET_CANCEL = 0;
inline constexpr HResult D3DENUMRET_OK = 1;

// Texture capability bits of PrimitiveCaps::textureCaps.
inline constexpr uint32_t D3DPTEXTURECAPS_PERSPECTIVE = 0x1;
inline constexpr uint32_t D3DPTEXTURECAPS_POW2 = 0x2;
inline constexpr uint32_t D3DPTEXTURECAPS_ALPHA = 0x4;
inline constexpr uint32_t D3DPTEXTURECAPS_ALPHAPALETTE = 0x80;

/// A rectangle in pixels of the render target; x1, y1 inclusive, x2, y2 exclusive.
struct ClearRect {
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
};

/// The part of the render target that is drawn and cleared.
struct Viewport7 {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    float minZ = 0;
    float maxZ = 1;
};

struct PrimitiveCaps {
    uint32_t textureCaps = 0; // D3DPTEXTURECAPS_*
};

/// What the device reports of itself.
struct DeviceDesc7 {
    PrimitiveCaps lineCaps;
    PrimitiveCaps triCaps;
    uint32_t minTextureWidth = 0;
    uint32_t minTextureHeight = 0;
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint32_t maxTextureAspectRatio = 0; // 0: any
};

/// Called once per texture format; answers D3DENUMRET_OK for the next one or D3DENUMRET_CANCEL to stop.
using EnumTextureFormatsCallback = HResult (*)(PixelFormat* format, void* context);

} // namespace Platform
