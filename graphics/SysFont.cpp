#include "graphics/SysFont.h"

#include "graphics/Color.h"
#include "graphics/DDImage.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "graphics/Rect.h"
#include "platform/fonts/FontFace.h"
#include "platform/log/Log.h"
#include "shell/PyxoAppBase.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Pyxo {

namespace {

constexpr int kDotsPerInch = 96;

// Windows rounds the point-to-pixel conversion to the nearest pixel, halves away from zero.
int64_t PointsToPixels(int pointSize)
{
    const int64_t scaled = int64_t(pointSize) * kDotsPerInch;
    return (scaled + (scaled >= 0 ? 36 : -36)) / 72;
}

// Decodes UTF-16 units into code points; an unpaired surrogate becomes U+FFFD.
std::vector<char32_t> CodePoints(const std::wstring& text)
{
    std::vector<char32_t> points;
    points.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = char32_t(text[i]) & 0xFFFF;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
            const char32_t low = char32_t(text[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                points.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        points.push_back(unit >= 0xD800 && unit <= 0xDFFF ? char32_t(0xFFFD) : unit);
    }
    return points;
}

// An 8-bit coverage buffer of the visible part of the string's cell; mArea is that part in cell coordinates.
struct Coverage {
    Rect mArea;
    std::vector<uint8_t> mValues;

    explicit Coverage(const Rect& area)
        : mArea(area), mValues(size_t(std::max(area.mWidth, 0)) * size_t(std::max(area.mHeight, 0)), 0)
    {
    }

    // Overlapping anti-aliased edges keep the stronger coverage, as text drawn over itself does.
    void Stamp(const Platform::GlyphBitmap& glyph, int64_t left, int64_t top)
    {
        const int64_t firstRow = std::max<int64_t>(0, mArea.mY - top);
        const int64_t endRow = std::min<int64_t>(glyph.mRows, int64_t(mArea.mY) + mArea.mHeight - top);
        const int64_t firstCol = std::max<int64_t>(0, mArea.mX - left);
        const int64_t endCol = std::min<int64_t>(glyph.mWidth, int64_t(mArea.mX) + mArea.mWidth - left);
        for (int64_t row = firstRow; row < endRow; ++row) {
            const uint8_t* source = glyph.mCoverage.data() + size_t(row) * size_t(glyph.mWidth);
            uint8_t* dest = mValues.data() + size_t(top + row - mArea.mY) * size_t(mArea.mWidth);
            for (int64_t col = firstCol; col < endCol; ++col) {
                uint8_t& value = dest[size_t(left + col - mArea.mX)];
                value = std::max(value, source[col]);
            }
        }
    }

    void FillRow(int y, int height)
    {
        const int first = std::max(y, mArea.mY);
        const int end = int(std::min<int64_t>(int64_t(y) + height, int64_t(mArea.mY) + mArea.mHeight));
        for (int row = first; row < end; ++row) {
            std::fill_n(mValues.begin() + ptrdiff_t(row - mArea.mY) * mArea.mWidth, mArea.mWidth, uint8_t(255));
        }
    }

    // Whether a glyph whose pixels lie within the box (cell coordinates, bottom and right exclusive) can show.
    [[nodiscard]] bool Meets(int64_t left, int64_t top, int64_t right, int64_t bottom) const
    {
        return left < int64_t(mArea.mX) + mArea.mWidth && right > mArea.mX && top < int64_t(mArea.mY) + mArea.mHeight &&
               bottom > mArea.mY;
    }
};

// The columns (or rows) of a cell that a scaled draw can bring inside [clipStart, clipEnd): the draw places the
// cell's first pixel at `start` and each pixel `scale` pixels further; a pixel either side allows for rounding.
std::pair<int, int> ScaledSpan(double start, double scale, int clipStart, int clipEnd, int length)
{
    if (!(scale > 0.0) || !std::isfinite(scale)) {
        return {0, length};
    }
    const double first = std::floor((clipStart - start) / scale) - 1.0;
    const double end = std::ceil((clipEnd - start) / scale) + 1.0;
    const int from = int(std::clamp(first, 0.0, double(length)));
    const int to = int(std::clamp(end, 0.0, double(length)));
    return {from, std::max(from, to)};
}

// Text straight onto a surface image, as onto a device context: the shadow in black, then the text in the
// colour, each blended by its coverage (solid where the glyph is solid), in normal mode whatever the context's
// mode. The coverage holds only the visible part of the cell, whose top-left lands at (left, top).
void DrawOnSurface(DDImage& surface, PyxoAppBase* app, int left, int top, const Coverage& text, const Coverage* shadow,
                   const Color& color)
{
    const Rect& area = text.mArea;
    const auto stamp = [&](const Coverage& coverage, uint32_t rgb) {
        std::vector<uint32_t> pixels(coverage.mValues.size());
        for (size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = coverage.mValues[i] == 0 ? 0 : uint32_t(coverage.mValues[i]) << 24 | rgb;
        }
        MemoryImage image(app);
        image.SetBits(pixels.data(), area.mWidth, area.mHeight, true);
        surface.Blt(&image, left + area.mX, top + area.mY, Rect(0, 0, area.mWidth, area.mHeight), Color::White, 0);
    };
    if (shadow != nullptr) {
        stamp(*shadow, 0);
    }
    stamp(text,
          (uint32_t(color.mRed) & 0xFF) << 16 | (uint32_t(color.mGreen) & 0xFF) << 8 | (uint32_t(color.mBlue) & 0xFF));
}

} // namespace

SysFont::SysFont(PyxoAppBase* app, const std::string& face, int pointSize, int /*charSet*/, bool bold, bool italic,
                 bool underline)
    : mApp(app), mUnderline(underline)
{
    if (pointSize > kMaxPointSize || pointSize < -kMaxPointSize) {
        PLATFORM_LOG_WARNING("font", "\"%s\" at %d points is larger than a screen", face.c_str(), pointSize);
        return;
    }
    // Sizes are taken at a fixed 96 dots per inch: there is no device context whose resolution could differ.
    int pixelHeight = int(std::abs(PointsToPixels(pointSize)));
    if (pixelHeight == 0) {
        pixelHeight = int(PointsToPixels(12));
    }
    std::unique_ptr<Platform::FontFace> opened = Platform::FontFace::Open(face, pixelHeight, bold, italic);
    if (opened == nullptr) {
        return;
    }
    mAscent = opened->Ascent();
    mHeight = opened->Ascent() + opened->Descent();
    mFace = std::move(opened);
}

SysFont::SysFont(const std::string& face, int pointSize, bool bold, bool italic, bool underline)
    : SysFont(gPyxoAppBase, face, pointSize, 0, bold, italic, underline)
{
}

SysFont::SysFont(const SysFont& other, int /*duplicateTag*/)
    : Font(other), mApp(other.mApp), mFace(other.mFace), mUnderline(other.mUnderline)
{
}

SysFont::~SysFont() = default;

bool SysFont::IsValid() const
{
    return mFace != nullptr;
}

std::string SysFont::GetFontFile() const
{
    return mFace != nullptr ? mFace->File() : std::string();
}

int SysFont::StringWidth(const std::wstring& text)
{
    if (mFace == nullptr) {
        return 0;
    }
    const std::vector<char32_t> points = CodePoints(text);
    const std::lock_guard<std::recursive_mutex> lock(Platform::FontLock());
    int64_t width = 0;
    for (const char32_t point : points) {
        width += mFace->Advance(point);
    }
    // A string wider than an int can count is as wide as it gets.
    return int(std::clamp<int64_t>(width, INT_MIN, INT_MAX));
}

void SysFont::DrawString(Graphics* g, int x, int y, const std::wstring& text, const Color& color, const Rect& clipRect)
{
    // A context without a destination has an image without pixels: there is nothing to draw into.
    if (mFace == nullptr || g == nullptr || g->mDestImage == nullptr || g->mDestImage->GetWidth() <= 0 ||
        g->mDestImage->GetHeight() <= 0 || text.empty()) {
        return;
    }
    const int width = StringWidth(text);
    const int height = mHeight;
    if (width <= 0 || height <= 0) {
        return;
    }

    // Only the part of the cell that can land inside the clip and the destination is rendered. A surface takes the
    // cell one row lower than a memory image does; a memory image's draw may be scaled.
    auto* surface = dynamic_cast<DDImage*>(g->mDestImage);
    const Rect bounds(0, 0, g->mDestImage->GetWidth(), g->mDestImage->GetHeight());
    const int cellX = int(float(x) + g->mTransX);
    const int cellY = surface ? int(float(y - mAscent + 1) + g->mTransY) : int(float(y - mAscent) + g->mTransY);
    Rect visible;
    if (surface != nullptr || (g->mScaleX == 1.0f && g->mScaleY == 1.0f)) {
        const Rect clip = (surface ? clipRect : g->mClipRect).Intersection(bounds);
        const Rect shown = Rect(cellX, cellY, width, height).Intersection(clip);
        visible = Rect(shown.mX - cellX, shown.mY - cellY, shown.mWidth, shown.mHeight);
    } else {
        const Rect clip = g->mClipRect.Intersection(bounds);
        const double startX = std::floor((float(cellX) - g->mScaleOrigX) * g->mScaleX) + g->mScaleOrigX;
        const double startY = std::floor((float(cellY) - g->mScaleOrigY) * g->mScaleY) + g->mScaleOrigY;
        const auto [left, right] = ScaledSpan(startX, g->mScaleX, clip.mX, clip.mX + clip.mWidth, width);
        const auto [top, bottom] = ScaledSpan(startY, g->mScaleY, clip.mY, clip.mY + clip.mHeight, height);
        visible = Rect(left, top, right - left, bottom - top);
    }
    if (visible.mWidth <= 0 || visible.mHeight <= 0) {
        return;
    }

    Coverage textCover(visible);
    Coverage shadowCover(mDrawShadow ? visible : Rect());
    {
        const std::vector<char32_t> points = CodePoints(text);
        const std::lock_guard<std::recursive_mutex> lock(Platform::FontLock());
        Platform::FontFace& face = *mFace;
        int64_t penX = 0;
        for (const char32_t point : points) {
            const Platform::GlyphMetrics& metrics = face.Metrics(point);
            // Glyphs outside the visible part are never rendered; the shadow and the bold copy reach two pixels
            // further right and one further down.
            if (textCover.Meets(penX + metrics.mLeft, int64_t(mAscent) - metrics.mTop, penX + metrics.mRight + 2,
                                int64_t(mAscent) - metrics.mBottom + 1)) {
                const Platform::GlyphBitmap& glyph = face.Glyph(point);
                const int64_t left = penX + glyph.mLeft;
                const int64_t top = int64_t(mAscent) - glyph.mTop;
                if (mDrawShadow) {
                    shadowCover.Stamp(glyph, left + 1, top + 1);
                    if (mSimulateBold) {
                        shadowCover.Stamp(glyph, left + 2, top + 1);
                    }
                }
                textCover.Stamp(glyph, left, top);
                if (mSimulateBold) {
                    textCover.Stamp(glyph, left + 1, top);
                }
            }
            penX += metrics.mAdvance;
        }
        if (mUnderline) {
            const int lineY = mAscent + face.UnderlinePosition() - face.UnderlineThickness() / 2;
            if (mDrawShadow) {
                shadowCover.FillRow(lineY + 1, face.UnderlineThickness());
            }
            textCover.FillRow(lineY, face.UnderlineThickness());
        }
    }

    if (surface != nullptr) {
        DrawOnSurface(*surface, mApp, cellX, cellY, textCover, mDrawShadow ? &shadowCover : nullptr, color);
        return;
    }

    // The colour's alpha is not used: the glyph coverage is the alpha. The black shadow shows where the text
    // leaves it uncovered.
    const uint32_t red = uint32_t(color.mRed) & 0xFF;
    const uint32_t green = uint32_t(color.mGreen) & 0xFF;
    const uint32_t blue = uint32_t(color.mBlue) & 0xFF;
    std::vector<uint32_t> pixels(textCover.mValues.size(), 0);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint32_t t = textCover.mValues[i];
        const uint32_t s = mDrawShadow ? shadowCover.mValues[i] : 0;
        const uint32_t alpha = t + (s * (255 - t)) / 255;
        if (alpha == 0) {
            continue;
        }
        pixels[i] = (alpha << 24) | ((red * t / alpha) << 16) | ((green * t / alpha) << 8) | (blue * t / alpha);
    }

    // Drawn as the whole cell would be, from the visible part's own corner; the context's clip, draw mode and
    // colourise apply.
    MemoryImage image(mApp);
    image.SetBits(pixels.data(), visible.mWidth, visible.mHeight, true);
    Graphics part(*g);
    part.mTransX = 0.0f;
    part.mTransY = 0.0f;
    part.DrawImage(&image, cellX + visible.mX, cellY + visible.mY);
}

std::unique_ptr<Font> SysFont::Duplicate() const
{
    return std::unique_ptr<Font>(new SysFont(*this, 0));
}

} // namespace Pyxo
