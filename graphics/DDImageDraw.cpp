#include "graphics/DDImage.h"

// The surface image's own pixel loops in 16 and 32 bits. Not built yet: each draws nothing, and the operations
// that fall back to the memory image where they cannot draw into the surface do so already.

namespace Pyxo {

void DDImage::FillSpansWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                    const uint8_t* coverage, int coverX, int coverY, int coverWidth, int coverHeight)
{
    MemoryImage::FillSpansWithCoverage(spans, count, color, drawMode, coverage, coverX, coverY, coverWidth,
                                       coverHeight);
}

void DDImage::BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                         int drawMode, double angle, float rotCenterX, float rotCenterY)
{
    MemoryImage::BltRotated(image, x, y, srcRect, clipRect, color, drawMode, angle, rotCenterX, rotCenterY);
}

void DDImage::StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                         const Color& color, int drawMode, bool fastStretch)
{
    MemoryImage::StretchBlt(image, destRect, srcRect, clipRect, color, drawMode, fastStretch);
}

void DDImage::BltMirrored(Image*, int, int, const Rect&, const Color&, int) {}

void DDImage::StretchBltMirrored(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

void DDImage::NormalFillRect(const Rect&, const Color&) {}
void DDImage::AdditiveFillRect(const Rect&, const Color&) {}
void DDImage::NormalBlt(Image*, int, int, const Rect&, const Color&) {}
void DDImage::AdditiveBlt(Image*, int, int, const Rect&, const Color&) {}
void DDImage::NormalDrawLine(double, double, double, double, const Color&) {}
void DDImage::AdditiveDrawLine(double, double, double, double, const Color&) {}
void DDImage::NormalDrawLineAA(double, double, double, double, const Color&) {}
void DDImage::AdditiveDrawLineAA(double, double, double, double, const Color&) {}
void DDImage::NormalBltMirror(Image*, int, int, const Rect&, const Color&) {}
void DDImage::AdditiveBltMirror(Image*, int, int, const Rect&, const Color&) {}

} // namespace Pyxo
