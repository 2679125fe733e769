// Fills, coverage spans and lines on the bits of a memory image.
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageGeometry.h"
#include "graphics/MemoryImagePixels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace Pyxo {

using namespace Pixels;

namespace {

// Line end points farther out than this are refused: their pixel coordinates would not fit an int, and stepping
// toward the image from there would take too long.
constexpr double kMaxLineCoordinate = 1 << 20;

bool UsableEndPoints(double x1, double y1, double x2, double y2)
{
    for (double v : {x1, y1, x2, y2}) {
        if (!std::isfinite(v) || std::fabs(v) > kMaxLineCoordinate) {
            return false;
        }
    }
    return true;
}

/// The part of rect inside an image of the given size.
Rect InsideImage(const Rect& rect, int width, int height)
{
    return ClipRectWide(rect, Rect(0, 0, width, height));
}

uint32_t NormalLinePixel(uint32_t d, const DrawColor& c)
{
    if (c.a == 255) {
        // Deliberate: 255 comes out as 254 here, unlike a fill.
        auto channel = [](uint32_t v) { return (v * 255 + 127) >> 8; };
        return Pack(255, channel(c.r), channel(c.g), channel(c.b));
    }
    const uint32_t a = c.a;
    auto channel = [a](uint32_t dv, uint32_t cv) {
        return ((dv * (256 - a) + 127) >> 8) + ((((cv * a + 128) >> 8) * 255 + 127) >> 8);
    };
    return Pack(255, channel(RedOf(d), c.r), channel(GreenOf(d), c.g), channel(BlueOf(d), c.b));
}

uint32_t AdditiveLinePixel(uint32_t d, const DrawColor& c)
{
    return Pack(255, Saturate(RedOf(d) + c.FactorR()), Saturate(GreenOf(d) + c.FactorG()),
                Saturate(BlueOf(d) + c.FactorB()));
}

} // namespace

void MemoryImage::FillRect(const Rect& rect, const Color& color, int /*drawMode*/)
{
    uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return;
    }
    const DrawColor c = DrawColor::Of(color);
    const Rect r = InsideImage(rect, mWidth, mHeight);
    for (int y = r.mY; y < r.mY + r.mHeight; ++y) {
        uint32_t* row = bits + size_t(y) * size_t(mWidth);
        if (c.a == 255) {
            std::fill(row + r.mX, row + r.mX + r.mWidth, c.Packed());
        } else if (c.a != 0) {
            for (int x = r.mX; x < r.mX + r.mWidth; ++x) {
                row[x] = Over(row[x], c.r, c.g, c.b, c.a);
            }
        }
    }
    BitsChanged();
}

void MemoryImage::ClearRect(const Rect& rect)
{
    uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return;
    }
    const Rect r = InsideImage(rect, mWidth, mHeight);
    for (int y = r.mY; y < r.mY + r.mHeight; ++y) {
        uint32_t* row = bits + size_t(y) * size_t(mWidth);
        std::fill(row + r.mX, row + r.mX + r.mWidth, 0u);
    }
    BitsChanged();
}

void MemoryImage::FillSpansWithCoverage(const Span* spans, int count, const Color& color, int /*drawMode*/,
                                        const uint8_t* coverage, int coverX, int coverY, int coverWidth,
                                        int coverHeight)
{
    uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return;
    }
    const DrawColor c = DrawColor::Of(color);
    if (spans != nullptr && coverage != nullptr && coverWidth > 0 && coverHeight > 0) {
        // Only pixels that lie both in the image and in the coverage rectangle can be drawn.
        const Rect area = InsideImage(Rect(coverX, coverY, coverWidth, coverHeight), mWidth, mHeight);
        for (int i = 0; i < count; ++i) {
            const Span& span = spans[i];
            const Rect run = ClipRectWide(Rect(span.mX, span.mY, span.mWidth, 1), area);
            if (run.mWidth <= 0 || run.mHeight <= 0) {
                continue;
            }
            uint32_t* row = bits + size_t(run.mY) * size_t(mWidth);
            const uint8_t* cover = coverage + size_t(run.mY - coverY) * size_t(coverWidth);
            for (int x = run.mX; x < run.mX + run.mWidth; ++x) {
                const uint32_t a = (c.a * (uint32_t(cover[x - coverX]) + 1)) >> 8;
                if (a > 0) {
                    row[x] = Over(row[x], c.r, c.g, c.b, a);
                }
            }
        }
    }
    BitsChanged();
}

void MemoryImage::DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    if (!UsableEndPoints(startX, startY, endX, endY)) {
        return;
    }
    if (startY == endY) {
        const double left = std::min(startX, endX);
        const double right = std::max(startX, endX);
        MemoryImage::FillRect(Rect(int(left), int(startY), int(right) - int(left) + 1, 1), color, drawMode);
        return;
    }
    if (startX == endX) {
        const double top = std::min(startY, endY);
        const double bottom = std::max(startY, endY);
        MemoryImage::FillRect(Rect(int(startX), int(top), 1, int(bottom) - int(top) + 1), color, drawMode);
        return;
    }
    if (drawMode != 0 && drawMode != 1) {
        return;
    }
    uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return;
    }
    const DrawColor c = DrawColor::Of(color);
    auto plot = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) {
            return;
        }
        uint32_t& pixel = bits[size_t(y) * size_t(mWidth) + size_t(x)];
        pixel = drawMode == 0 ? NormalLinePixel(pixel, c) : AdditiveLinePixel(pixel, c);
    };

    // Step along the major axis with the minor axis as (a, b) = (x, y) or (y, x).
    const bool yMajor = std::fabs(endY - startY) >= std::fabs(endX - startX);
    double majorStart = yMajor ? startY : startX;
    double majorEnd = yMajor ? endY : endX;
    double minorStart = yMajor ? startX : startY;
    double minorEnd = yMajor ? endX : endY;
    if (majorEnd < majorStart) {
        std::swap(majorStart, majorEnd);
        std::swap(minorStart, minorEnd);
    }
    const double dMajor = majorEnd - majorStart;
    const double dMinorSigned = minorEnd - minorStart;
    const double dMinor = std::fabs(dMinorSigned);
    const int minorStep = dMinorSigned < 0 ? -1 : 1;
    const int minorLow = int(std::min(minorStart, minorEnd));
    const int minorHigh = int(std::max(minorStart, minorEnd));
    const int majorLimit = yMajor ? mHeight : mWidth;
    const int minorLimit = yMajor ? mWidth : mHeight;

    int major = int(majorStart);
    int minor = int(minorStart);
    const double frac = minorStart - double(int(minorStart));
    int decision = int(frac * double(int(2 * dMinor)) + double(int(2 * dMinor - dMajor)));
    const int stepIncrement = int(2 * (dMinor - dMajor));
    const int stayIncrement = int(2 * dMinor);
    yMajor ? plot(minor, major) : plot(major, minor);
    for (++major; double(major) <= majorEnd; ++major) {
        if (decision >= 1) {
            minor += minorStep;
            decision += stepIncrement;
        } else {
            decision += stayIncrement;
        }
        if (minor < minorLow || minor > minorHigh) {
            break;
        }
        // Nothing further can land in the image once either coordinate has passed its far side.
        if (major >= majorLimit || (minorStep > 0 ? minor >= minorLimit : minor < 0)) {
            break;
        }
        yMajor ? plot(minor, major) : plot(major, minor);
    }
    BitsChanged();
}

void MemoryImage::DrawLineAA(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    if (!UsableEndPoints(startX, startY, endX, endY)) {
        return;
    }
    if (startY == endY || startX == endX) {
        MemoryImage::DrawLine(startX, startY, endX, endY, color, drawMode);
        return;
    }
    if (drawMode != 0) {
        return;
    }
    uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return;
    }
    const DrawColor c = DrawColor::Of(color);
    auto plot = [&](int x, int y, uint32_t coverage) {
        const uint32_t a = ((c.a + 1) * coverage) >> 8;
        if (a == 0 || x < 0 || y < 0 || x >= mWidth || y >= mHeight) {
            return;
        }
        uint32_t& pixel = bits[size_t(y) * size_t(mWidth) + size_t(x)];
        pixel = Over(pixel, c.r, c.g, c.b, a);
    };

    const bool yMajor = std::fabs(endY - startY) >= std::fabs(endX - startX);
    double x1 = startX;
    double y1 = startY;
    double x2 = endX;
    double y2 = endY;
    if ((yMajor ? y2 : x2) < (yMajor ? y1 : x1)) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const double dMajor = yMajor ? y2 - y1 : x2 - x1;
    const double dMinorSigned = yMajor ? x2 - x1 : y2 - y1;
    const int minorStep = dMinorSigned < 0 ? -1 : 1;
    const uint32_t increment = uint32_t(std::fabs(dMinorSigned) / dMajor * 65536.0);
    uint32_t acc = uint32_t(std::fabs(x1 - double(int(x1))) * std::fabs(y1 - double(int(y1))) * 65536.0);
    int major = int(yMajor ? y1 : x1);
    int minor = int(yMajor ? x1 : y1);
    const int majorEnd = int(yMajor ? y2 : x2);
    const int majorLimit = yMajor ? mHeight : mWidth;
    for (; major <= majorEnd && major < majorLimit; ++major) {
        const uint32_t near = 255 - (acc >> 8);
        const uint32_t far = acc >> 8;
        if (yMajor) {
            plot(minor, major, near);
            plot(minor + minorStep, major, far);
        } else {
            plot(major, minor, near);
            plot(major, minor + minorStep, far);
        }
        acc += increment;
        if (acc >= 0x10000) {
            acc -= 0x10000;
            minor += minorStep;
        }
    }
    BitsChanged();
}

} // namespace Pyxo
