#pragma once

#include <cstdint>

namespace Raster {

/// A vertex as callers give it. Pixel centres lie on whole coordinates; u and v run from 0 (left, top edge of
/// the texture) to 1 (right, bottom edge).
struct TriVertex {
    float x = 0;
    float y = 0;
    float u = 0;
    float v = 0;
    uint32_t color = 0; // 0xAARRGGBB
};

/// Frame-buffer formats by their format value. A value other than the three named 16- and 24-bit ones draws
/// as 32-bit ARGB, so any integer code may be cast to this type.
enum class PixelFormat : int32_t {
    Argb8888 = 0x8888, // alpha 24..31, red 16..23, green 8..15, blue 0..7
    Rgb888 = 0x888,    // 32-bit pixels without alpha: bits 24..31 are written as 0xFF and never read
    Rgb565 = 0x565,    // 16-bit, red 11..15, green 5..10, blue 0..4
    Rgb555 = 0x555,    // 16-bit, red 10..14, green 5..9, blue 0..4; bit 15 is written as 0
};

/// Normal draws blend over the destination; additive draws add the premultiplied source to each channel
/// (saturating) and keep the destination's alpha. Any other value draws nothing.
enum class DrawMode : int32_t { Normal = 0, Additive = 1 };

/// A texture: 32-bit ARGB texels, borrowed for the call.
struct TriTexture {
    const uint32_t* texels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;            // bytes from row to row, a multiple of 4 and at least width × 4; 0 means width × 4
    bool hasAlpha = false;        // some texel has an alpha from 1 to 254
    bool hasTransparency = false; // some texel has alpha 0
};

/// The frame buffer drawn into, borrowed for the call. pitch may be negative (rows going up in memory) but must
/// hold a whole row and be a whole number of pixels; nothing is drawn otherwise. Only the first 16384 columns and rows
/// are ever drawn, which keeps the fixed-point set-up exact.
struct TriDestination {
    void* bits = nullptr; // pixel (0, 0)
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0; // bytes from one row to the next
    PixelFormat format = PixelFormat::Argb8888;
};

/// Drawing is limited to columns x .. x + width − 1 and rows y .. y + height − 1, and to the destination.
struct TriClipRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

/// Draws vertices as a strip of count − 2 triangles: (0, 1, 2), (1, 3, 2), (2, 3, 4), ... so consecutive
/// triangles keep their winding and four corners given top-left, top-right, bottom-left, bottom-right cover
/// their quadrilateral. Each triangle is clipped, converted to 16.16 and filled by the scan converter that the
/// features select: texture (null draws untextured, which needs vertex colours), texture alpha (the texture has
/// alpha or transparency, or filter is set), vertex colours, global colour (color other than opaque white,
/// 0xAARRGGBB) and bilinear filter. Triangles with a non-finite coordinate are skipped, as is everything when the
/// texture or the destination is unusable. Re-entrant; keeps no state between calls.
void SoftwareDrawTriangleStrip(const TriVertex* vertices, int count, const TriTexture* texture, uint32_t color,
                               DrawMode drawMode, const TriClipRect& clipRect, const TriDestination& destination,
                               bool filter, bool vertexColours);

/// The converter table is built at compile time; start-up code may still call this, and it does nothing.
inline void InitSoftwareTriangleTable() {}

} // namespace Raster
