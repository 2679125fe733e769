// Blits of another memory image onto the bits of a memory image: plain, stretched, rotated, and the
// triangle-based ones drawn through the software rasterizer.
#include "graphics/Matrix3.h"
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageGeometry.h"
#include "graphics/MemoryImagePixels.h"
#include "graphics/SoftwareTriangleAdapter.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace Pyxo {

using namespace Pixels;

namespace {

/// How a blit's pixels are combined, chosen once per call.
enum class BlitKind {
    OntoOpaque, // normal, white, onto a destination without alpha or transparency
    White,      // normal, white
    Grey,       // normal, colour with red = green = blue
    Tinted,     // normal, any other colour
    AddWhite,   // additive, white
    AddTinted,  // additive, any other colour
};

BlitKind ChooseBlit(int drawMode, const DrawColor& c, bool destOpaque)
{
    if (drawMode == 1) {
        return c.IsWhite() ? BlitKind::AddWhite : BlitKind::AddTinted;
    }
    if (c.IsWhite()) {
        return destOpaque ? BlitKind::OntoOpaque : BlitKind::White;
    }
    return c.r == c.g && c.g == c.b ? BlitKind::Grey : BlitKind::Tinted;
}

struct OverWeights {
    uint32_t oa; // out alpha
    uint32_t w;  // source weight, 0..255
};

OverWeights WeightsOf(uint32_t d, uint32_t a)
{
    const uint32_t da = AlphaOf(d);
    const uint32_t oa = da + ((255 - da) * a) / 255;
    return {oa, (a * 255) / oa};
}

/// Calls fn with the per-pixel operation (destination, source) -> destination of the given kind, so that each
/// loop is instantiated once per kind without a per-pixel branch on it.
template <typename Fn>
void WithBlitOp(BlitKind kind, const DrawColor& c, bool sourceHasAlpha, Fn&& fn)
{
    switch (kind) {
    case BlitKind::OntoOpaque:
        fn([](uint32_t d, uint32_t s) {
            const uint32_t a = AlphaOf(s);
            return a == 0 ? d : a == 255 ? s : OverOpaque(d, s, a);
        });
        break;
    case BlitKind::White:
        fn([](uint32_t d, uint32_t s) {
            const uint32_t a = AlphaOf(s);
            return a == 0 ? d : Over(d, RedOf(s), GreenOf(s), BlueOf(s), a);
        });
        break;
    case BlitKind::Grey:
        fn([k = c.r, ca = c.a](uint32_t d, uint32_t s) {
            const uint32_t a = AlphaOf(s) * ca / 255;
            if (a == 0) {
                return d;
            }
            const auto [oa, w] = WeightsOf(d, a);
            const uint32_t red = (((RedOf(s) * k) >> 8) * w + RedOf(d) * (256 - w)) >> 8;
            const uint32_t green = (((GreenOf(s) * w * k) >> 8) + GreenOf(d) * (256 - w)) >> 8;
            const uint32_t blue = ((((BlueOf(s) * k) >> 8) * w) >> 8) + ((BlueOf(d) * (256 - w)) >> 8);
            return Pack(oa, red, green, blue);
        });
        break;
    case BlitKind::Tinted:
        fn([c](uint32_t d, uint32_t s) {
            const uint32_t a = AlphaOf(s) * c.a / 255;
            if (a == 0) {
                return d;
            }
            const auto [oa, w] = WeightsOf(d, a);
            const uint32_t red = (RedOf(s) * w * c.r + ((RedOf(d) * (256 - w)) << 8)) >> 16;
            const uint32_t green = (((GreenOf(s) * w * c.g) >> 8) + GreenOf(d) * (256 - w)) >> 8;
            const uint32_t blue = ((BlueOf(s) * w * c.b) >> 16) + ((BlueOf(d) * (256 - w)) >> 8);
            return Pack(oa, red, green, blue);
        });
        break;
    case BlitKind::AddWhite:
        // Pixels of alpha 0 add nothing, also from a source without partial alpha.
        if (sourceHasAlpha) {
            fn([](uint32_t d, uint32_t s) {
                const uint32_t sa = AlphaOf(s);
                return Pack(AlphaOf(d), Saturate(RedOf(d) + ((RedOf(s) * sa) >> 8)),
                            Saturate(GreenOf(d) + ((GreenOf(s) * sa) >> 8)),
                            Saturate(BlueOf(d) + ((BlueOf(s) * sa) >> 8)));
            });
        } else {
            fn([](uint32_t d, uint32_t s) {
                return AlphaOf(s) == 0 ? d
                                       : Pack(AlphaOf(d), Saturate(RedOf(d) + RedOf(s)),
                                              Saturate(GreenOf(d) + GreenOf(s)), Saturate(BlueOf(d) + BlueOf(s)));
            });
        }
        break;
    case BlitKind::AddTinted: {
        const uint32_t kr = c.FactorR();
        const uint32_t kg = c.FactorG();
        const uint32_t kb = c.FactorB();
        if (sourceHasAlpha) {
            fn([kr, kg, kb](uint32_t d, uint32_t s) {
                const uint32_t sa = AlphaOf(s);
                return Pack(AlphaOf(d), Saturate(RedOf(d) + ((((RedOf(s) * kr) >> 8) * sa) >> 8)),
                            Saturate(GreenOf(d) + ((((GreenOf(s) * kg) >> 8) * sa) >> 8)),
                            Saturate(BlueOf(d) + ((((BlueOf(s) * kb) >> 8) * sa) >> 8)));
            });
        } else {
            fn([kr, kg, kb](uint32_t d, uint32_t s) {
                return AlphaOf(s) == 0 ? d
                                       : Pack(AlphaOf(d), Saturate(RedOf(d) + ((RedOf(s) * kr) >> 8)),
                                              Saturate(GreenOf(d) + ((GreenOf(s) * kg) >> 8)),
                                              Saturate(BlueOf(d) + ((BlueOf(s) * kb) >> 8)));
            });
        }
        break;
    }
    }
}

/// Calls fn with the source's pixels: its palette through the colour indices when palettised (without turning
/// it back into bits), else its ARGB bits. False when the source has no pixels.
template <typename Fn>
bool WithSourcePixels(MemoryImage& source, Fn&& fn)
{
    if (source.mColorTable && source.mColorIndices) {
        fn(PaletteSource{source.mColorTable.get(), source.mColorIndices.get()});
        return true;
    }
    const uint32_t* bits = source.GetBits();
    if (bits == nullptr) {
        return false;
    }
    fn(BitsSource{bits});
    return true;
}

/// A plain blit after clipping: width x height pixels from (srcX, srcY) of the source to (destX, destY).
struct BlitArea {
    int destX = 0;
    int destY = 0;
    int srcX = 0;
    int srcY = 0;
    int width = 0;
    int height = 0;
};

/// Cuts the source rectangle to the source image and the destination to this image, moving both together.
std::optional<BlitArea> ClipBlit(int x, int y, const Rect& srcRect, const MemoryImage& source, const MemoryImage& dest)
{
    const Rect src = ClipRectWide(srcRect, Rect(0, 0, source.GetWidth(), source.GetHeight()));
    const int64_t destX = int64_t(x) + (src.mX - int64_t(srcRect.mX));
    const int64_t destY = int64_t(y) + (src.mY - int64_t(srcRect.mY));
    const int64_t left = std::max<int64_t>(destX, 0);
    const int64_t top = std::max<int64_t>(destY, 0);
    const int64_t right = std::min<int64_t>(destX + src.mWidth, dest.GetWidth());
    const int64_t bottom = std::min<int64_t>(destY + src.mHeight, dest.GetHeight());
    if (src.mWidth <= 0 || src.mHeight <= 0 || right <= left || bottom <= top) {
        return std::nullopt;
    }
    return BlitArea{int(left),         int(top),         int(src.mX + (left - destX)), int(src.mY + (top - destY)),
                    int(right - left), int(bottom - top)};
}

template <typename Source, typename Op>
void BlitRows(uint32_t* dest, int destWidth, const Source& source, int sourceWidth, const BlitArea& area, Op op)
{
    for (int j = 0; j < area.height; ++j) {
        uint32_t* d = dest + size_t(area.destY + j) * size_t(destWidth) + size_t(area.destX);
        const size_t s = size_t(area.srcY + j) * size_t(sourceWidth) + size_t(area.srcX);
        for (int i = 0; i < area.width; ++i) {
            d[i] = op(d[i], source[s + size_t(i)]);
        }
    }
}

/// The normal white blit onto an opaque destination, a run at a time: the run-length alpha data tells how many
/// pixels from each one on are transparent, opaque or partly transparent alike.
template <typename Source>
void BlitRuns(uint32_t* dest, int destWidth, const Source& source, const uint8_t* runs, int sourceWidth,
              const BlitArea& area)
{
    for (int j = 0; j < area.height; ++j) {
        uint32_t* d = dest + size_t(area.destY + j) * size_t(destWidth) + size_t(area.destX);
        const size_t rowStart = size_t(area.srcY + j) * size_t(sourceWidth) + size_t(area.srcX);
        int i = 0;
        while (i < area.width) {
            const size_t s = rowStart + size_t(i);
            const int run = std::clamp(int(runs[s]), 1, area.width - i);
            const uint32_t alpha = AlphaOf(source[s]);
            if (alpha == 255) {
                for (int k = 0; k < run; ++k) {
                    d[i + k] = source[s + size_t(k)];
                }
            } else if (alpha != 0) {
                for (int k = 0; k < run; ++k) {
                    const uint32_t p = source[s + size_t(k)];
                    d[i + k] = OverOpaque(d[i + k], p, AlphaOf(p));
                }
            }
            i += run;
        }
    }
}

/// The rasterizer's view of a memory image as the destination of triangles.
TriTarget TargetOf(MemoryImage& image, uint32_t* bits)
{
    // An image forced opaque tells the rasterizer it need not keep alpha.
    const bool opaque = image.mForcedMode && !image.mHasAlpha && !image.mHasTrans;
    return TriTarget{bits, image.GetWidth(), image.GetHeight(), image.GetWidth() * 4,
                     opaque ? kTriFormat888 : kTriFormat8888};
}

} // namespace

void MemoryImage::Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr || (drawMode != 0 && drawMode != 1)) {
        return;
    }
    uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return;
    }
    if (const std::optional<BlitArea> area = ClipBlit(x, y, srcRect, *source, *this)) {
        source->CommitBits();
        const DrawColor c = DrawColor::Of(color);
        const BlitKind kind = ChooseBlit(drawMode, c, !mHasAlpha && !mHasTrans);
        const uint8_t* runs = kind == BlitKind::OntoOpaque ? source->GetRLAlphaData() : nullptr;
        const int sourceWidth = source->GetWidth();
        WithSourcePixels(*source, [&](const auto& pixels) {
            if (runs != nullptr) {
                BlitRuns(bits, mWidth, pixels, runs, sourceWidth, *area);
                return;
            }
            WithBlitOp(kind, c, source->mHasAlpha,
                       [&](auto op) { BlitRows(bits, mWidth, pixels, sourceWidth, *area, op); });
        });
    }
    BitsChanged();
}

void MemoryImage::BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                       int drawMode)
{
    BltRotated(image, x, y, srcRect, clipRect, color, drawMode, 0.0, 0.0f, 0.0f);
}

bool MemoryImage::BltUnturnedAsPlain(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                                     const Color& color, int drawMode, double angle)
{
    const auto whole = [](float v) { return std::isfinite(v) && v == std::floor(v) && std::fabs(v) < float(1 << 30); };
    if (angle != 0.0 || !whole(x) || !whole(y))
        return false;
    // Unturned at a whole pixel the image is copied as it is: the bilinear loops would keep a margin of one column
    // on each side and drop the last row.
    const int destX = static_cast<int>(x);
    const int destY = static_cast<int>(y);
    const Rect to = ClipRectWide(Rect(destX, destY, srcRect.mWidth, srcRect.mHeight), clipRect);
    if (to.mWidth > 0 && to.mHeight > 0)
        Blt(image, to.mX, to.mY,
            Rect(srcRect.mX + (to.mX - destX), srcRect.mY + (to.mY - destY), to.mWidth, to.mHeight), color,
            drawMode == 0 ? 0 : 1);
    return true;
}

void MemoryImage::BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                             const Color& color, int drawMode, double angle, float rotCenterX, float rotCenterY)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr || (drawMode != 0 && drawMode != 1)) {
        return;
    }
    if (BltUnturnedAsPlain(image, x, y, srcRect, clipRect, color, drawMode, angle)) {
        return;
    }
    uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return;
    }
    const Rect src = ClipRotatedSource(srcRect, source->GetWidth(), source->GetHeight(), x, y, rotCenterX, rotCenterY);
    const Rect clip = ClipRectWide(clipRect, Rect(0, 0, mWidth, mHeight));
    const FRect area = RotatedBltArea(x, y, src, clip, angle, rotCenterX, rotCenterY);
    if (src.mWidth <= 0 || src.mHeight <= 0 || !(area.mWidth > 0.0) || !(area.mHeight > 0.0)) {
        BitsChanged();
        return;
    }
    source->CommitBits();
    const DrawColor c = DrawColor::Of(color);
    const bool colourised = !c.IsWhite();
    const double cosA = std::cos(angle);
    const double sinA = std::sin(angle);
    const int64_t stepX = int64_t(cosA * 65536.0);
    const int64_t stepY = int64_t(sinA * 65536.0);
    const int x0 = int(area.mX);
    const int y0 = int(area.mY);
    // The area lies in the image; the bound on last only guards against rounding at its right edge.
    const int64_t lastColumn = std::min<int64_t>(int64_t(area.mWidth - 1.0), int64_t(mWidth) - 1 - x0);
    const float u = float(x0) - rotCenterX - x;
    const int sourceWidth = source->GetWidth();
    const size_t corner = size_t(src.mY) * size_t(sourceWidth) + size_t(src.mX);
    // Colourised: the colour's alpha scales the weights; its channels (times its alpha, in additive mode, where
    // the weights stay unscaled) scale the sample, so that the alpha counts once.
    const uint32_t ca = colourised && drawMode == 0 ? c.a : 256;
    const uint32_t kr = drawMode == 0 ? c.r : c.FactorR();
    const uint32_t kg = drawMode == 0 ? c.g : c.FactorG();
    const uint32_t kb = drawMode == 0 ? c.b : c.FactorB();

    WithSourcePixels(*source, [&](const auto& pixels) {
        for (int r = 0; double(r) < area.mHeight; ++r) {
            const int rowY = y0 + r;
            if (rowY >= mHeight) {
                break;
            }
            const float v = float(rowY) - rotCenterY - y;
            const double startX = (u * cosA - v * sinA + rotCenterX) * 65536.0;
            const double startY = (u * sinA + v * cosA + rotCenterY) * 65536.0;
            // Far outside any source: also keeps the conversion to 64 bits defined.
            if (!(std::fabs(startX) < 0x1p40) || !(std::fabs(startY) < 0x1p40)) {
                continue;
            }
            const RotatedRow row{int64_t(startX), int64_t(startY), stepX, stepY};
            int64_t first = 0;
            int64_t last = lastColumn;
            if (!CutRotatedRow(row, src.mWidth, src.mHeight, first, last)) {
                continue;
            }
            int64_t sx = row.posX + first * stepX;
            int64_t sy = row.posY + first * stepY;
            uint32_t* d = bits + size_t(rowY) * size_t(mWidth) + size_t(x0);
            for (int64_t i = first; i <= last; ++i, sx += stepX, sy += stepY) {
                const size_t p = corner + size_t(sy >> 16) * size_t(sourceWidth) + size_t(sx >> 16);
                const uint32_t p00 = pixels[p];
                const uint32_t p10 = pixels[p + 1];
                const uint32_t p01 = pixels[p + size_t(sourceWidth)];
                const uint32_t p11 = pixels[p + size_t(sourceWidth) + 1];
                // Odd fractions: no weight is ever exactly 0 or 1.
                const uint32_t fx = (uint32_t(sx) & 0xFFFE) + 1;
                const uint32_t fy = (uint32_t(sy) & 0xFFFE) + 1;
                uint32_t w00 = ((((0x10000 - fx) * (0x10000 - fy)) >> 16) * AlphaOf(p00)) >> 16;
                uint32_t w10 = (((fx * (0x10000 - fy)) >> 16) * AlphaOf(p10)) >> 16;
                uint32_t w01 = ((((0x10000 - fx) * fy) >> 16) * AlphaOf(p01)) >> 16;
                uint32_t w11 = (((fx * fy) >> 16) * AlphaOf(p11)) >> 16;
                if (ca != 256) {
                    w00 = (w00 * ca) >> 8;
                    w10 = (w10 * ca) >> 8;
                    w01 = (w01 * ca) >> 8;
                    w11 = (w11 * ca) >> 8;
                }
                const uint32_t sa = w00 + w10 + w01 + w11;
                if (sa == 0) {
                    continue;
                }
                // Premultiplied sample channels, 0..255 x 256.
                uint32_t sr = w00 * RedOf(p00) + w10 * RedOf(p10) + w01 * RedOf(p01) + w11 * RedOf(p11);
                uint32_t sg = w00 * GreenOf(p00) + w10 * GreenOf(p10) + w01 * GreenOf(p01) + w11 * GreenOf(p11);
                uint32_t sb = w00 * BlueOf(p00) + w10 * BlueOf(p10) + w01 * BlueOf(p01) + w11 * BlueOf(p11);
                uint32_t& pixel = d[i];
                if (drawMode == 1) {
                    sr >>= 8;
                    sg >>= 8;
                    sb >>= 8;
                    if (colourised) {
                        sr = (sr * kr) >> 8;
                        sg = (sg * kg) >> 8;
                        sb = (sb * kb) >> 8;
                    }
                    pixel = Pack(AlphaOf(pixel), Saturate(RedOf(pixel) + sr), Saturate(GreenOf(pixel) + sg),
                                 Saturate(BlueOf(pixel) + sb));
                    continue;
                }
                if (colourised) {
                    sr = (sr * kr) >> 8;
                    sg = (sg * kg) >> 8;
                    sb = (sb * kb) >> 8;
                }
                if (sa >= 251) {
                    pixel = Pack(255, sr >> 8, sg >> 8, sb >> 8);
                    continue;
                }
                const uint32_t da = AlphaOf(pixel);
                const uint32_t oa = 256 - (((256 - da) * (256 - sa)) >> 8);
                auto channel = [&](uint32_t dv, uint32_t sv) {
                    return std::min(((((dv * da) >> 8) * (256 - sa)) + sv) / oa, 255u);
                };
                pixel =
                    Pack(oa - 1, channel(RedOf(pixel), sr), channel(GreenOf(pixel), sg), channel(BlueOf(pixel), sb));
            }
        }
    });
    BitsChanged();
}

void MemoryImage::StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                             const Color& color, int drawMode, bool fastStretch)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr) {
        return;
    }
    uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return;
    }
    const DrawColor c = DrawColor::Of(color);
    const Rect clip = ClipRectWide(clipRect, Rect(0, 0, mWidth, mHeight));
    const std::optional<StretchClip> cut = ClipStretchBlt(destRect, srcRect, clip, false);
    const Rect readable = ClipRectWide(srcRect, Rect(0, 0, source->GetWidth(), source->GetHeight()));
    const bool drawable = fastStretch ? c.IsWhite() : drawMode == 0 || drawMode == 1;
    if (!cut || !drawable || readable.mWidth <= 0 || readable.mHeight <= 0) {
        BitsChanged();
        return;
    }
    source->CommitBits();
    const Rect& to = cut->dest;
    const FRect& from = cut->source;
    const double rx = double(srcRect.mWidth) / double(destRect.mWidth);
    const double ry = double(srcRect.mHeight) / double(destRect.mHeight);
    const SourceBounds bounds{readable.mX, readable.mY, readable.mX + readable.mWidth, readable.mY + readable.mHeight};
    const int sourceWidth = source->GetWidth();

    WithSourcePixels(*source, [&](const auto& pixels) {
        if (fastStretch) {
            // Nearest sample, always blended normally.
            double sy = from.mY;
            for (int j = 0; j < to.mHeight; ++j, sy += ry) {
                const int row = std::clamp(int(sy), bounds.top, bounds.bottom - 1);
                uint32_t* d = bits + size_t(to.mY + j) * size_t(mWidth) + size_t(to.mX);
                double sx = from.mX;
                for (int i = 0; i < to.mWidth; ++i, sx += rx) {
                    const int column = std::clamp(int(sx), bounds.left, bounds.right - 1);
                    const uint32_t p = pixels[size_t(row) * size_t(sourceWidth) + size_t(column)];
                    if (AlphaOf(p) != 0) {
                        d[i] = Over(d[i], RedOf(p), GreenOf(p), BlueOf(p), AlphaOf(p));
                    }
                }
            }
            return;
        }
        const BlitKind kind = ChooseBlit(drawMode, c, !mHasAlpha && !mHasTrans);
        WithBlitOp(kind, c, source->mHasAlpha, [&](auto op) {
            for (int j = 0; j < to.mHeight; ++j) {
                const double y0 = from.mY + double(j) * ry;
                uint32_t* d = bits + size_t(to.mY + j) * size_t(mWidth) + size_t(to.mX);
                for (int i = 0; i < to.mWidth; ++i) {
                    const double x0 = from.mX + double(i) * rx;
                    const uint32_t sample = AreaSample(pixels, sourceWidth, bounds, x0, x0 + rx, y0, y0 + ry);
                    d[i] = op(d[i], sample);
                }
            }
        });
    });
    BitsChanged();
}

void MemoryImage::BltTransformed(Image* image, const Rect* clipRect, const Color& color, int drawMode,
                                 const Rect& srcRect, const Matrix3& transform, bool linearFilter, float x, float y,
                                 bool /*center*/)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr || source->GetWidth() <= 0 || source->GetHeight() <= 0) {
        return;
    }
    uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return;
    }
    const float w = float(srcRect.mWidth);
    const float h = float(srcRect.mHeight);
    const float sourceWidth = float(source->GetWidth());
    const float sourceHeight = float(source->GetHeight());
    const float left = float(srcRect.mX) / sourceWidth;
    const float top = float(srcRect.mY) / sourceHeight;
    const float right = float(srcRect.mX + srcRect.mWidth) / sourceWidth;
    const float bottom = float(srcRect.mY + srcRect.mHeight) / sourceHeight;
    // Corners top-left, top-right, bottom-left, bottom-right: a strip that covers the quadrilateral. The half
    // pixel puts texel centres on pixel centres.
    const float corners[4][4] = {{0, 0, left, top}, {w, 0, right, top}, {0, h, left, bottom}, {w, h, right, bottom}};
    TriVertex vertices[4];
    for (int i = 0; i < 4; ++i) {
        const Vector2 p = transform * Vector2(corners[i][0], corners[i][1]);
        vertices[i] = TriVertex{p.x + x - 0.5f, p.y + y - 0.5f, corners[i][2], corners[i][3], 0xFFFFFFFF};
    }
    const Rect clip = clipRect != nullptr ? *clipRect : Rect(0, 0, mWidth, mHeight);
    SoftwareDrawTriangleStrip(vertices, 4, source, color, drawMode, clip, TargetOf(*this, bits), linearFilter, false);
    BitsChanged();
}

void MemoryImage::BltTexturedTriangles(Image* image, const TriVertex (*vertices)[3], int numTriangles,
                                       const Rect& clipRect, const Color& color, int drawMode, float tx, float ty,
                                       bool blend)
{
    if (image != nullptr) {
        image->mDrawn = true;
    }
    if (vertices == nullptr || numTriangles < 1) {
        return;
    }
    uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return;
    }
    // A source that is no memory image has no texels to give: its triangles are drawn untextured.
    auto* texture = dynamic_cast<MemoryImage*>(image);
    const TriTarget target = TargetOf(*this, bits);
    for (int t = 0; t < numTriangles; ++t) {
        TriVertex triangle[3];
        bool vertexColours = false;
        for (int k = 0; k < 3; ++k) {
            triangle[k] = vertices[t][k];
            triangle[k].x += tx;
            triangle[k].y += ty;
            vertexColours = vertexColours || triangle[k].color != 0;
        }
        SoftwareDrawTriangleStrip(triangle, 3, texture, color, drawMode, clipRect, target, blend, vertexColours);
    }
    BitsChanged();
}

} // namespace Pyxo
