#include "graphics/MemoryImageGeometry.h"

#include <algorithm>
#include <cmath>

namespace Pyxo {

namespace {

// One axis of CutRotatedRow. The margins (0x7FFF, 0x17FFF, 0x27FFF) keep the samples away from the edges by
// half a pixel and more; the surface loops cut with the same constants.
bool CutAxis(int64_t pos, int64_t step, int64_t size, int64_t& first, int64_t& last)
{
    const int64_t end = size << 16;
    if (step <= -1) {
        if ((pos >> 16) < 0) {
            return false;
        }
        const int64_t from = (end - pos - 0x27FFF) / step;
        if (from >= 0) {
            first = std::max(first, from);
        }
        last = std::min(last, (0x7FFF - pos) / step);
    } else if (step >= 1) {
        if ((pos >> 16) >= size - 1) {
            return false;
        }
        const int64_t from = (0x10000 - pos) / step;
        if (from > 0) {
            first = std::max(first, from);
        }
        last = std::min(last, (end - pos - 0x17FFF) / step);
    } else if (pos < 0 || pos >= end - 0x10000) {
        return false;
    }
    return true;
}

} // namespace

Rect ClipRectWide(const Rect& a, const Rect& b)
{
    const int64_t left = std::max<int64_t>(a.mX, b.mX);
    const int64_t right = std::min(int64_t(a.mX) + a.mWidth, int64_t(b.mX) + b.mWidth);
    const int64_t top = std::max<int64_t>(a.mY, b.mY);
    const int64_t bottom = std::min(int64_t(a.mY) + a.mHeight, int64_t(b.mY) + b.mHeight);
    if (right <= left || bottom <= top) {
        return Rect(int(left), int(top), 0, 0);
    }
    return Rect(int(left), int(top), int(right - left), int(bottom - top));
}

std::optional<StretchClip> ClipStretchBlt(const Rect& destRect, const Rect& srcRect, const Rect& clip, bool mirrored)
{
    if (destRect.mWidth <= 0 || destRect.mHeight <= 0) {
        return std::nullopt; // no ratio to scale by
    }
    const Rect c = ClipRectWide(destRect, clip);
    if (c.mWidth <= 0 || c.mHeight <= 0) {
        return std::nullopt;
    }
    const double rx = double(srcRect.mWidth) / double(destRect.mWidth);
    const double ry = double(srcRect.mHeight) / double(destRect.mHeight);
    const double clippedLeft = mirrored ? double((int64_t(destRect.mX) + destRect.mWidth) - (int64_t(c.mX) + c.mWidth))
                                        : double(int64_t(c.mX) - destRect.mX);
    const FRect source(srcRect.mX + clippedLeft * rx, srcRect.mY + double(int64_t(c.mY) - destRect.mY) * ry,
                       srcRect.mWidth + rx * double(int64_t(c.mWidth) - destRect.mWidth),
                       srcRect.mHeight + ry * double(int64_t(c.mHeight) - destRect.mHeight));
    if (!(source.mWidth > 0.0) || !(source.mHeight > 0.0)) {
        return std::nullopt;
    }
    return StretchClip{c, source};
}

Rect ClipRotatedSource(const Rect& srcRect, int width, int height, float& x, float& y, float& centerX, float& centerY)
{
    const Rect src = ClipRectWide(srcRect, Rect(0, 0, width, height));
    const float movedX = float(src.mX - srcRect.mX);
    const float movedY = float(src.mY - srcRect.mY);
    x += movedX;
    y += movedY;
    centerX -= movedX;
    centerY -= movedY;
    return src;
}

FRect RotatedBltArea(float x, float y, const Rect& srcRect, const Rect& clip, double angle, float centerX,
                     float centerY)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle) || !std::isfinite(centerX) ||
        !std::isfinite(centerY)) {
        return FRect();
    }
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    double left = 1e7;
    double top = 1e7;
    double right = -1e7;
    double bottom = -1e7;
    const double corners[4][2] = {{0.0, 0.0},
                                  {double(srcRect.mWidth), 0.0},
                                  {0.0, double(srcRect.mHeight)},
                                  {double(srcRect.mWidth), double(srcRect.mHeight)}};
    for (const auto& corner : corners) {
        const double px = corner[0] - centerX;
        const double py = corner[1] - centerY;
        const double cornerX = x + centerX + px * c + py * s;
        const double cornerY = y + centerY - px * s + py * c;
        left = std::min(left, cornerX);
        right = std::max(right, cornerX);
        top = std::min(top, cornerY);
        bottom = std::max(bottom, cornerY);
    }
    return FRect(left, top, right - left, bottom - top)
        .Intersection(FRect(clip.mX, clip.mY, clip.mWidth, clip.mHeight));
}

bool CutRotatedRow(const RotatedRow& row, int width, int height, int64_t& first, int64_t& last)
{
    if (!CutAxis(row.posX, row.stepX, width, first, last) || !CutAxis(row.posY, row.stepY, height, first, last)) {
        return false;
    }
    return first <= last;
}

} // namespace Pyxo
