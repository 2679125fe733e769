#pragma once

#include "graphics/Image.h"

namespace Pyxo {

class MemoryImage;

/// Frame-buffer format codes of a software triangle draw.
inline constexpr int kTriFormat8888 = 0x8888; // 32-bit ARGB; any code not listed below draws as this one
inline constexpr int kTriFormat888 = 0x888;   // 32-bit, alpha written as 255 and never read
inline constexpr int kTriFormat565 = 0x565;   // 16-bit 5-6-5
inline constexpr int kTriFormat555 = 0x555;   // 16-bit 5-5-5

/// The frame buffer of a software triangle draw, borrowed for the call.
struct TriTarget {
    void* bits = nullptr; // pixel (0, 0)
    int width = 0;
    int height = 0;
    int pitch = 0; // bytes from one row to the next; negative for rows going up in memory
    int format = kTriFormat8888;
};

/// Draws the vertices as a strip of count - 2 triangles, (0, 1, 2), (1, 3, 2), (2, 3, 4), ..., so that four
/// corners given top-left, top-right, bottom-left, bottom-right cover their quadrilateral. Pixels are written
/// only inside clipRect and the target.
/// texture: may be null (the triangles are then drawn untextured, which needs vertex colours); its CommitBits
/// runs first, even when nothing is drawn; a texture without pixels draws nothing.
/// color: White means no colourising; components are clamped to 0..255.
/// drawMode: 0 normal, 1 additive, any other value draws nothing.
/// linearBlend: bilinear filtering (drawn through the texture-alpha path). vertexColours: the vertices' colours
/// shade the triangles.
void SoftwareDrawTriangleStrip(const TriVertex* vertices, int count, MemoryImage* texture, const Color& color,
                               int drawMode, const Rect& clipRect, const TriTarget& target, bool linearBlend,
                               bool vertexColours);

} // namespace Pyxo
