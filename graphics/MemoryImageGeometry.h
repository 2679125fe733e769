#pragma once

#include "graphics/Rect.h"

#include <cstdint>
#include <optional>

// Clipping steps of the memory image's blits, shared with the surface image's own loops so that both cut a
// stretched or rotated blit in the same place.

namespace Pyxo {

/// The overlap of two rectangles, with the edge sums formed in 64 bits so that far-off rectangles cannot
/// overflow; an empty overlap has width or height 0.
[[nodiscard]] Rect ClipRectWide(const Rect& a, const Rect& b);

/// A stretched blit after clipping: the destination pixels to draw and the part of the source that maps to them.
struct StretchClip {
    Rect dest;    // within the clip
    FRect source; // source coordinates; x measured from the left, or from the right edge when mirrored
};

/// Clips destRect to clip and cuts srcRect to match (x from the part clipped off the destination's right edge
/// when mirrored). nullopt when nothing is left or the destination rectangle is empty.
[[nodiscard]] std::optional<StretchClip> ClipStretchBlt(const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                                        bool mirrored);

/// A rotated blit's source rectangle cut to its image (width x height). The position (x, y) and the centre move
/// with the rectangle's corner, so that the part that remains lands where it would have.
[[nodiscard]] Rect ClipRotatedSource(const Rect& srcRect, int width, int height, float& x, float& y, float& centerX,
                                     float& centerY);

/// The destination area a rotated blit scans: the bounding box of the source rectangle's corners turned by angle
/// (radians) about the centre (relative to the source rectangle) and placed at (x, y), intersected with clip.
/// Empty (width or height <= 0) when nothing is to be drawn, also for non-finite input.
[[nodiscard]] FRect RotatedBltArea(float x, float y, const Rect& srcRect, const Rect& clip, double angle, float centerX,
                                   float centerY);

/// One row of a rotated blit: the source position (16.16) of the row's first pixel and its per-pixel steps.
struct RotatedRow {
    int64_t posX = 0;
    int64_t posY = 0;
    int64_t stepX = 0; // |step| <= 0x10000
    int64_t stepY = 0;
};

/// Cuts the pixels first..last of a row so that every sample and its right and lower neighbours lie inside a
/// source of width x height pixels (positions relative to its corner), keeping one pixel of margin where the
/// position steps forward. False when nothing of the row is left; otherwise first and last are updated.
[[nodiscard]] bool CutRotatedRow(const RotatedRow& row, int width, int height, int64_t& first, int64_t& last);

} // namespace Pyxo
