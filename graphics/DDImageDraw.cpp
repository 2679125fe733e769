// Fills, lines and coverage spans of a surface image, drawn into its locked surface.
#include "graphics/DDImage.h"
#include "graphics/DDImagePixels.h"

#include <cmath>
#include <utility>
#include <vector>

namespace Pyxo {
namespace {

using namespace SurfacePixels;

/// Line end points beyond this lie far outside any surface; such lines are not walked, so that no walk is
/// endless and no coordinate overflows.
constexpr double kLineLimit = 1 << 24;

bool UsableLine(double x1, double y1, double x2, double y2)
{
    for (const double v : {x1, y1, x2, y2}) {
        if (!std::isfinite(v) || std::fabs(v) > kLineLimit)
            return false;
    }
    return true;
}

/// Applies op(d) -> new pixel to every pixel of the area, which lies inside the surface.
template <typename Pixel, typename Op>
void ForEachPixel(const Target& t, const Rect& area, Op op)
{
    for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
        uint8_t* p = t.Row(y) + static_cast<ptrdiff_t>(area.mX) * Pixel::kBytes;
        for (int i = 0; i < area.mWidth; ++i, p += Pixel::kBytes)
            Pixel::Store(p, op(Pixel::Load(p)));
    }
}

/// The per-channel additive contributions ((c x a) / 255) at each channel's bit count.
Rgb AdditiveContribution(const Target& t, const Color& color)
{
    const Rgb c = ChannelsOf(color);
    const uint32_t alpha = uint32_t(Clamp255(color.mAlpha));
    Rgb add;
    for (int i = 0; i < 3; ++i)
        add.v[i] = ToBits(c.v[i] * alpha / 255, t.rgb[i]);
    return add;
}

/// The midpoint walk of a line from double end points: plot(major, minor) for every pixel, first pixel at the
/// truncated start. The walk stops once the line has left the surface in its direction of travel.
template <typename Plot>
void WalkLine(double a1, double b1, double a2, double b2, int majorSize, int minorSize, Plot plot)
{
    if (a2 - a1 < 0) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    const double da = a2 - a1;
    double db = b2 - b1;
    int step = 1;
    if (db < 0) {
        step = -1;
        db = -db;
    }
    const double minA = std::min(a1, a2), maxA = std::max(a1, a2);
    const double minB = std::min(b1, b2), maxB = std::max(b1, b2);
    int b = static_cast<int>(b1);
    plot(static_cast<int>(a1), b);
    const int incA = static_cast<int>(2 * db);
    const int incB = static_cast<int>(2 * (db - da));
    int error = static_cast<int>((b1 - static_cast<int>(b1)) * incA + static_cast<int>(2 * db - da));
    for (int a = static_cast<int>(a1 + 1); a <= a2; ++a) {
        if (a >= majorSize || (step > 0 ? b >= minorSize : b < 0))
            return;
        if (error < 1) {
            error += incA;
        } else {
            b += step;
            error += incB;
            if (b < minB || b > maxB || a < minA || a > maxA)
                return;
        }
        plot(a, b);
    }
}

/// Walks the line y-major when |dx| <= |dy|, else x-major, and applies op to every pixel inside the surface.
template <typename Pixel, typename Op>
void DrawLinePixels(const Target& t, double x1, double y1, double x2, double y2, Op op)
{
    auto put = [&](int x, int y) {
        if (!t.Contains(x, y))
            return;
        uint8_t* p = t.Row(y) + static_cast<ptrdiff_t>(x) * Pixel::kBytes;
        Pixel::Store(p, op(Pixel::Load(p)));
    };
    if (std::fabs(x2 - x1) <= std::fabs(y2 - y1))
        WalkLine(y1, x1, y2, x2, t.height, t.width, [&](int y, int x) { put(x, y); });
    else
        WalkLine(x1, y1, x2, y2, t.width, t.height, put);
}

} // namespace

void DDImage::NormalFillRect(const Rect& rect, const Color& color)
{
    if (mNoLock || !LockSurface())
        return;
    Target t;
    const Rect area = rect.Intersection(Rect(0, 0, mLockDesc.width, mLockDesc.height));
    if (TargetOf(*this, t) && area.mWidth > 0 && area.mHeight > 0) {
        const Rgb c = ChannelsOf(color);
        const uint32_t a = uint32_t(Clamp255(color.mAlpha));
        ForPixelSize(t, [&]<typename Pixel>() {
            if (a == 255) {
                uint32_t value = 0;
                for (int i = 0; i < 3; ++i)
                    value |= Pixel::kBytes == 2 ? ScaledPlus1(c.v[i], t.rgb[i].mask) : Scaled(c.v[i], t.rgb[i].mask);
                ForEachPixel<Pixel>(t, area, [value](uint32_t) { return value; });
                return;
            }
            // 16 bits round the destination up by one mask step; 32 bits do not.
            const uint32_t bias = Pixel::kBytes == 2 ? 128 : 127;
            uint32_t src = 0;
            for (int i = 0; i < 3; ++i)
                src += ScaledPlus1((c.v[i] * a + bias) >> 8, t.rgb[i].mask);
            ForEachPixel<Pixel>(t, area, [&](uint32_t d) {
                uint32_t out = src;
                for (int i = 0; i < 3; ++i) {
                    const uint64_t m = t.rgb[i].mask;
                    const uint64_t up = Pixel::kBytes == 2 ? m : 0;
                    out += static_cast<uint32_t>(((d & m) * (256 - a) + up) >> 8) & t.rgb[i].mask;
                }
                return out;
            });
        });
    }
    UnlockSurface();
}

void DDImage::AdditiveFillRect(const Rect& rect, const Color& color)
{
    if (mNoLock || !LockSurface())
        return;
    Target t;
    const Rect area = rect.Intersection(Rect(0, 0, mLockDesc.width, mLockDesc.height));
    if (TargetOf(*this, t) && area.mWidth > 0 && area.mHeight > 0) {
        const Rgb add = AdditiveContribution(t, color);
        ForPixelSize(t, [&]<typename Pixel>() {
            ForEachPixel<Pixel>(t, area, [&](uint32_t d) { return AddSaturated(t, d, add); });
        });
    }
    UnlockSurface();
}

void DDImage::NormalDrawLine(double startX, double startY, double endX, double endY, const Color& color)
{
    if (mNoLock || !LockSurface())
        return;
    Target t;
    if (TargetOf(*this, t) && UsableLine(startX, startY, endX, endY)) {
        const Rgb c = ChannelsOf(color);
        const uint32_t a = uint32_t(Clamp255(color.mAlpha));
        ForPixelSize(t, [&]<typename Pixel>() {
            if (a == 255) {
                uint32_t value = 0;
                for (int i = 0; i < 3; ++i)
                    value += HalfMask(c.v[i], t.rgb[i].mask);
                DrawLinePixels<Pixel>(t, startX, startY, endX, endY, [value](uint32_t) { return value; });
                return;
            }
            uint32_t src = 0;
            for (int i = 0; i < 3; ++i)
                src += HalfMask((c.v[i] * a + 128) >> 8, t.rgb[i].mask);
            DrawLinePixels<Pixel>(t, startX, startY, endX, endY, [&](uint32_t d) {
                uint32_t out = src;
                for (int i = 0; i < 3; ++i) {
                    const uint64_t m = t.rgb[i].mask;
                    out += static_cast<uint32_t>(((d & m) * (256 - a) + (m >> 1)) >> 8) & t.rgb[i].mask;
                }
                return out;
            });
        });
    }
    UnlockSurface();
}

void DDImage::AdditiveDrawLine(double startX, double startY, double endX, double endY, const Color& color)
{
    if (mNoLock || !LockSurface())
        return;
    Target t;
    if (TargetOf(*this, t) && UsableLine(startX, startY, endX, endY)) {
        const Rgb add = AdditiveContribution(t, color);
        ForPixelSize(t, [&]<typename Pixel>() {
            DrawLinePixels<Pixel>(t, startX, startY, endX, endY, [&](uint32_t d) { return AddSaturated(t, d, add); });
        });
    }
    UnlockSurface();
}

// Not refused by the no-lock flag: the screen image draws its anti-aliased lines even when video-only.
void DDImage::NormalDrawLineAA(double startX, double startY, double endX, double endY, const Color& color)
{
    if (!LockSurface())
        return;
    Target t;
    if (TargetOf(*this, t) && UsableLine(startX, startY, endX, endY)) {
        const uint32_t col = ScaledColor(t, color);
        const uint32_t a = uint32_t(Clamp255(color.mAlpha));
        int x1 = static_cast<int>(startX), y1 = static_cast<int>(startY);
        int x2 = static_cast<int>(endX), y2 = static_cast<int>(endY);
        if (y1 > y2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
            std::swap(startX, endX);
            std::swap(startY, endY);
        }
        int dx = x2 - x1;
        int xStep = 1;
        if (dx < 0) {
            dx = -dx;
            xStep = -1;
        }
        const int dy = y2 - y1;
        const bool xMajor = dx >= dy;
        const double majorDelta = std::fabs(xMajor ? endX - startX : endY - startY);
        const double minorDelta = std::fabs(xMajor ? endY - startY : endX - startX);
        // A zero major delta (only possible for a point) would divide by zero.
        const double ratio = majorDelta > 0 ? std::min(minorDelta / majorDelta * 65536, double(0x7FFFFFFF)) : 0.0;
        const auto increment = static_cast<uint32_t>(ratio);
        auto fraction = static_cast<uint32_t>(std::fabs(startX - x1) * std::fabs(startY - y1) * 65536);

        ForPixelSize(t, [&]<typename Pixel>() {
            auto blend = [&](int x, int y, uint32_t w) {
                // The neighbour of a pixel at the edge may fall outside the surface: it is dropped.
                if (!t.Contains(x, y))
                    return;
                const uint32_t wt = a == 255 ? w : (w * (a + 1)) >> 8;
                uint8_t* p = t.Row(y) + static_cast<ptrdiff_t>(x) * Pixel::kBytes;
                const uint32_t d = Pixel::Load(p);
                uint32_t out = 0;
                if constexpr (Pixel::kBytes == 4) {
                    out = ((((d & 0xFF00FF) * (256 - wt) + (col & 0xFF00FF) * wt) >> 8) & 0xFF00FF) |
                          ((((d & 0xFF00) * (256 - wt) + (col & 0xFF00) * wt) >> 8) & 0xFF00);
                } else if (t.pack != 0) {
                    out = Fold16((((Spread16(col, t.pack) * (wt >> 3)) >> 5) & t.pack) +
                                 (((Spread16(d, t.pack) * ((256 - wt) >> 3)) >> 5) & t.pack));
                } else {
                    for (int i = 0; i < 3; ++i) {
                        const uint64_t m = t.rgb[i].mask;
                        out += static_cast<uint32_t>(((d & m) * (256 - wt) + (col & m) * wt) >> 8) & t.rgb[i].mask;
                    }
                }
                Pixel::Store(p, out);
            };
            int x = x1, y = y1;
            const int steps = xMajor ? dx : dy;
            for (int i = 0; i <= steps; ++i) {
                // Once the line has left the surface in its direction of travel, nothing more is drawn.
                if (y >= t.height || (xStep > 0 ? x >= t.width : x < 0))
                    break;
                const uint32_t w = 255 - ((fraction >> 8) & 255);
                blend(x, y, w);
                if (xMajor)
                    blend(x, y + 1, 255 - w);
                else
                    blend(x + xStep, y, 255 - w);
                fraction += increment;
                const bool minorStep = fraction >= 0x10000;
                fraction &= 0xFFFF;
                if (xMajor) {
                    x += xStep;
                    y += minorStep ? 1 : 0;
                } else {
                    ++y;
                    x += minorStep ? xStep : 0;
                }
            }
        });
    }
    UnlockSurface();
}

// The additive anti-aliased line has no surface form.
void DDImage::AdditiveDrawLineAA(double, double, double, double, const Color&) {}

void DDImage::FillSpansWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                    const uint8_t* coverage, int coverX, int coverY, int coverWidth, int coverHeight)
{
    if (Uses3D()) {
        // The spans are filled into an image of their bounding box, which the 3-D display then draws.
        if (!spans || count <= 0)
            return;
        int64_t left = spans[0].mX, right = int64_t{spans[0].mX} + spans[0].mWidth - 1;
        int top = spans[0].mY, bottom = spans[0].mY;
        for (int i = 1; i < count; ++i) {
            left = std::min<int64_t>(left, spans[i].mX);
            right = std::max<int64_t>(right, int64_t{spans[i].mX} + spans[i].mWidth - 1);
            top = std::min(top, spans[i].mY);
            bottom = std::max(bottom, spans[i].mY);
        }
        const int64_t width = right - left + 1;
        const int64_t height = int64_t{bottom} - top + 1;
        if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX)
            return;
        // The caller's spans stay as they are; the moved copies go to the box image.
        std::vector<Span> moved(spans, spans + count);
        for (Span& span : moved) {
            span.mX -= static_cast<int>(left);
            span.mY -= top;
        }
        MemoryImage box(mApp);
        box.Create(static_cast<int>(width), static_cast<int>(height));
        box.FillSpansWithCoverage(moved.data(), count, color, drawMode, coverage, coverX - static_cast<int>(left),
                                  coverY - top, coverWidth, coverHeight);
        Blt(&box, static_cast<int>(left), top, Rect(0, 0, static_cast<int>(width), static_cast<int>(height)),
            Color::White, drawMode);
        return;
    }
    if (!DrawsIntoSurface()) {
        // As the fills: an image with partial alpha has no surface, and a keyed one would blend over its key.
        MemoryImage::FillSpansWithCoverage(spans, count, color, drawMode, coverage, coverX, coverY, coverWidth,
                                           coverHeight);
        return;
    }
    if (!LockSurface())
        return;
    Target t;
    if (TargetOf(*this, t) && spans && coverage && coverWidth > 0) {
        const uint32_t col = ScaledColor(t, color);
        const uint32_t alpha = uint32_t(Clamp255(color.mAlpha));
        ForPixelSize(t, [&]<typename Pixel>() {
            for (int s = 0; s < count; ++s) {
                const Span& span = spans[s];
                const int row = span.mY - coverY;
                if (span.mY < 0 || span.mY >= t.height || row < 0 || row >= coverHeight)
                    continue;
                // Only what lies inside both the surface and the coverage is drawn.
                const int64_t from = std::max<int64_t>({span.mX, 0, coverX});
                const int64_t to =
                    std::min<int64_t>({int64_t{span.mX} + span.mWidth, t.width, int64_t{coverX} + coverWidth});
                const uint8_t* cover = coverage + static_cast<ptrdiff_t>(row) * coverWidth;
                uint8_t* rowPixels = t.Row(span.mY);
                for (int64_t x = from; x < to; ++x) {
                    const uint32_t w = ((uint32_t{cover[x - coverX]} + 1) * alpha) >> 8;
                    uint8_t* p = rowPixels + x * Pixel::kBytes;
                    const uint32_t d = Pixel::Load(p);
                    uint32_t out = 0;
                    for (int i = 0; i < 3; ++i) {
                        const uint64_t m = t.rgb[i].mask;
                        out |= static_cast<uint32_t>(((d & m) * (256 - w) + (col & m) * w) >> 8) & t.rgb[i].mask;
                    }
                    Pixel::Store(p, out);
                }
            }
        });
    }
    UnlockSurface();
    FreeNonSurfaceData();
}

} // namespace Pyxo
