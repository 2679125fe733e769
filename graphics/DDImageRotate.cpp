// Rotated blits into a surface image: bilinear samples at 16.16 fixed-point source positions, one loop per
// output form, pixel size and source store.
#include "graphics/D3DInterface.h"
#include "graphics/DDImage.h"
#include "graphics/DDImagePixels.h"
#include "graphics/DDInterface.h"
#include "graphics/Matrix3.h"
#include "graphics/MemoryImageGeometry.h"

#include <cmath>

namespace Pyxo {
namespace {

using namespace SurfacePixels;

/// The four source pixels around a position and their weights, each already multiplied by its pixel's alpha
/// (0..255 each, 254 at most in sum).
struct Sample {
    uint32_t p[4]; // top-left, top-right, bottom-left, bottom-right
    uint32_t w[4];

    /// (sum of w x channel) >> 8 for the channel at bit position shift of the ARGB pixels.
    [[nodiscard]] uint32_t Sum(int shift, const uint32_t* weights) const
    {
        uint32_t sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += weights[i] * ((p[i] >> shift) & 0xFF);
        return sum >> 8;
    }
    [[nodiscard]] uint32_t Premultiplied() const { return Sum(16, w) << 16 | Sum(8, w) << 8 | Sum(0, w); }
    [[nodiscard]] uint32_t Weight() const { return w[0] + w[1] + w[2] + w[3]; }
};

constexpr int kArgbShift[3] = {16, 8, 0}; // red, green, blue in an ARGB pixel

/// What the rotated loop needs besides the pixels: the scanned area and its mapping back into the source.
struct Rotation {
    int x0 = 0; // first column and row of the area
    int y0 = 0;
    double rows = 0;   // the area's height
    int64_t last0 = 0; // last column of every row, relative to x0
    float u = 0;       // x0 relative to the centre and the position
    float y = 0;       // destination position y
    float centerX = 0;
    float centerY = 0;
    double cos = 1;
    double sin = 0;
    int64_t stepX = 0;
    int64_t stepY = 0;
    size_t corner = 0; // index of the source rectangle's corner
    int srcWidth = 0;  // of the source rectangle
    int srcHeight = 0;
    int srcPitch = 0; // source image width
};

template <typename Pixel, typename Source, typename Output>
void RotateRows(const Target& t, const Rotation& r, const Source& source, Output output)
{
    for (int row = 0; double(row) < r.rows; ++row) {
        const int rowY = r.y0 + row;
        if (rowY >= t.height)
            break;
        const float v = float(rowY) - r.centerY - r.y;
        const double startX = (r.u * r.cos - v * r.sin + r.centerX) * 65536.0;
        const double startY = (r.u * r.sin + v * r.cos + r.centerY) * 65536.0;
        // Far outside any source: also keeps the conversions defined.
        if (!(std::fabs(startX) < 0x1p40) || !(std::fabs(startY) < 0x1p40))
            continue;
        const RotatedRow cut{int64_t(startX), int64_t(startY), r.stepX, r.stepY};
        int64_t first = 0;
        int64_t last = r.last0;
        if (!CutRotatedRow(cut, r.srcWidth, r.srcHeight, first, last))
            continue;
        int64_t sx = cut.posX + first * r.stepX;
        int64_t sy = cut.posY + first * r.stepY;
        uint8_t* p = t.Row(rowY) + static_cast<ptrdiff_t>(r.x0 + first) * Pixel::kBytes;
        for (int64_t i = first; i <= last; ++i, sx += r.stepX, sy += r.stepY, p += Pixel::kBytes) {
            const size_t at = r.corner + size_t(sy >> 16) * size_t(r.srcPitch) + size_t(sx >> 16);
            Sample s;
            s.p[0] = source[at];
            s.p[1] = source[at + 1];
            s.p[2] = source[at + size_t(r.srcPitch)];
            s.p[3] = source[at + size_t(r.srcPitch) + 1];
            // Odd fractions: no weight is ever exactly 0 or 1. The products reach 0xFFFE0001, so they are
            // unsigned.
            const uint32_t fx = (uint32_t(sx) & 0xFFFE) + 1;
            const uint32_t fy = (uint32_t(sy) & 0xFFFE) + 1;
            s.w[0] = ((((0x10000 - fx) * (0x10000 - fy)) >> 16) * (s.p[0] >> 24)) >> 16;
            s.w[1] = (((fx * (0x10000 - fy)) >> 16) * (s.p[1] >> 24)) >> 16;
            s.w[2] = ((((0x10000 - fx) * fy) >> 16) * (s.p[2] >> 24)) >> 16;
            s.w[3] = (((fx * fy) >> 16) * (s.p[3] >> 24)) >> 16;
            Pixel::Store(p, output(Pixel::Load(p), s));
        }
    }
}

/// Chooses the output form of the rotated loop and runs it.
template <typename Pixel, typename Source>
void RotateInto(const Target& t, const Rotation& r, const Source& source, const Color& color, int drawMode)
{
    const bool white = IsWhite(color);
    if (drawMode != 0) {
        // Additive: the colour scales apply even to white (255 each), and the tables saturate.
        const Rgb k = white ? Rgb{{255, 255, 255}} : ScalesOf(color);
        RotateRows<Pixel>(t, r, source, [&](uint32_t d, const Sample& s) {
            Rgb add;
            for (int i = 0; i < 3; ++i)
                add.v[i] = ToBits((s.Sum(kArgbShift[i], s.w) * k.v[i]) >> 8, t.rgb[i]);
            return AddSaturated(t, d, add);
        });
        return;
    }
    if (!white) {
        // Colourised: the colour's alpha scales every weight, its channels (+ 1) the sample.
        const uint32_t alpha = uint32_t(Clamp255(color.mAlpha));
        const Rgb c = ChannelsOf(color);
        RotateRows<Pixel>(t, r, source, [&](uint32_t d, const Sample& s) {
            uint32_t w[4];
            for (int i = 0; i < 4; ++i)
                w[i] = (s.w[i] * alpha) >> 8;
            const uint32_t rest = 256 - (w[0] + w[1] + w[2] + w[3]);
            uint32_t out = 0;
            for (int i = 0; i < 3; ++i) {
                const Channel& ch = t.rgb[i];
                const uint32_t tinted = ShiftLeft(ToBits((s.Sum(kArgbShift[i], w) * (c.v[i] + 1)) >> 8, ch), ch.shift);
                out += (tinted + static_cast<uint32_t>((uint64_t{d & ch.mask} * rest) >> 8)) & ch.mask;
            }
            return out;
        });
        return;
    }
    if constexpr (Pixel::kBytes == 2) {
        if (t.rgbOrder && t.pack != 0) {
            // Packed: the destination spread over 32 bits, weighted in 5-bit steps, plus the sample moved to the
            // spread positions.
            const uint32_t pack = t.pack;
            RotateRows<Pixel>(t, r, source, [pack](uint32_t d, const Sample& s) {
                const uint32_t q = s.Premultiplied();
                uint32_t out = (((Spread16(d, pack) * ((256 - s.Weight()) >> 3)) >> 5)) & pack;
                out += pack == 0x07E0F81F ? ((q & 0xFC00) << 11) + ((q >> 3) & 0x1F) + ((q >> 8) & 0xF800)
                                          : ((q & 0xF800) << 10) + ((q >> 9) & 0x7C00) + ((q >> 3) & 0x1F);
                return Fold16(out);
            });
            return;
        }
    } else {
        if (t.rgbOrder) {
            RotateRows<Pixel>(t, r, source, [](uint32_t d, const Sample& s) {
                const uint32_t rest = 256 - s.Weight();
                return ((((d & 0xFF00FF) * rest) >> 8) & 0xFF00FF) + ((((d & 0xFF00) * rest) >> 8) & 0xFF00) +
                       s.Premultiplied();
            });
            return;
        }
    }
    // Any other layout: per channel with the surface's masks.
    RotateRows<Pixel>(t, r, source, [&](uint32_t d, const Sample& s) {
        const uint32_t rest = 256 - s.Weight();
        uint32_t out = 0;
        for (int i = 0; i < 3; ++i) {
            const Channel& ch = t.rgb[i];
            out += Weighted(d, ch.mask, rest) + (ShiftLeft(ToBits(s.Sum(kArgbShift[i], s.w), ch), ch.shift) & ch.mask);
        }
        return out;
    });
}

} // namespace

void DDImage::BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                         int drawMode, double angle, float rotCenterX, float rotCenterY)
{
    if (!image)
        return;
    image->mDrawn = true;
    CommitBits();
    if (mNoLock)
        return;
    if (Uses3D()) {
        Matrix3 transform(true);
        transform.Translate(-rotCenterX, -rotCenterY);
        transform.Rotate(static_cast<float>(angle));
        transform.Translate(x + rotCenterX, y + rotCenterY);
        mDDInterface->mD3DInterface->BltTransformed(image, &clipRect, color, drawMode, srcRect, transform, true, 0.0f,
                                                    0.0f);
        return;
    }
    if (BltUnturnedAsPlain(image, x, y, srcRect, clipRect, color, drawMode, angle))
        return;
    if (!DrawsIntoSurface()) {
        MemoryImage::BltRotated(image, x, y, srcRect, clipRect, color, drawMode, angle, rotCenterX, rotCenterY);
        return;
    }
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (!source)
        return;
    const Rect src = ClipRotatedSource(srcRect, source->GetWidth(), source->GetHeight(), x, y, rotCenterX, rotCenterY);
    if (src.mWidth <= 0 || src.mHeight <= 0)
        return;
    source->CommitBits();
    const uint32_t* bits = source->mColorTable ? nullptr : source->GetBits();
    const uint32_t* palette = source->mColorTable.get();
    const uint8_t* indices = source->mColorIndices.get();
    if (!bits && !(palette && indices))
        return;
    if (!LockSurface())
        return;
    Target t;
    if (TargetOf(*this, t)) {
        const Rect clip = ClipRectWide(clipRect, Rect(0, 0, t.width, t.height));
        const FRect area = RotatedBltArea(x, y, src, clip, angle, rotCenterX, rotCenterY);
        if (area.mWidth > 0.0 && area.mHeight > 0.0) {
            Rotation r;
            r.x0 = static_cast<int>(area.mX);
            r.y0 = static_cast<int>(area.mY);
            r.rows = area.mHeight;
            // The area lies in the surface; the bound on the last column only guards against rounding.
            r.last0 = std::min<int64_t>(int64_t(area.mWidth - 1.0), int64_t{t.width} - 1 - r.x0);
            r.u = float(r.x0) - rotCenterX - x;
            r.y = y;
            r.centerX = rotCenterX;
            r.centerY = rotCenterY;
            r.cos = std::cos(angle);
            r.sin = std::sin(angle);
            r.stepX = int64_t(r.cos * 65536.0);
            r.stepY = int64_t(r.sin * 65536.0);
            r.corner = size_t(src.mY) * size_t(source->GetWidth()) + size_t(src.mX);
            r.srcWidth = src.mWidth;
            r.srcHeight = src.mHeight;
            r.srcPitch = source->GetWidth();
            ForPixelSize(t, [&]<typename Pixel>() {
                if (bits)
                    RotateInto<Pixel>(t, r, PixelsAt{bits}, color, drawMode);
                else
                    RotateInto<Pixel>(t, r, PaletteAt{palette, indices}, color, drawMode);
            });
        }
    }
    UnlockSurface();
    FreeNonSurfaceData();
}

} // namespace Pyxo
