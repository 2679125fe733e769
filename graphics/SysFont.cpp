#include "graphics/SysFont.h"

#include "graphics/Color.h"
#include "graphics/DDImage.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "graphics/Rect.h"
#include "platform/log/Log.h"
#include "shell/PyxoAppBase.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

// Fontconfig loses a few blocks while it parses its own configuration files; the leak checker of sanitizer
// builds is told to look past that library only. Any other suppression of the program belongs in this list.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace Pyxo {

namespace {

constexpr int kDotsPerInch = 96;

// FreeType and fontconfig are not thread-safe: every call into either runs under this one lock. The library
// is never torn down, so that no static destructor frees faces that fonts still hold.
struct FontSystem {
    std::recursive_mutex mLock;
    FT_Library mLibrary = nullptr;
    bool mTriedInit = false;
};

FontSystem& Fonts()
{
    static FontSystem* const sFonts = new FontSystem;
    return *sFonts;
}

// Call with the lock held.
FT_Library Library()
{
    FontSystem& fonts = Fonts();
    if (!fonts.mTriedInit) {
        fonts.mTriedInit = true;
        if (FT_Init_FreeType(&fonts.mLibrary) != 0) {
            fonts.mLibrary = nullptr;
            PLATFORM_LOG_WARNING("font", "FreeType could not be initialised");
        }
        if (!FcInit()) {
            PLATFORM_LOG_WARNING("font", "fontconfig could not be initialised");
        }
    }
    return fonts.mLibrary;
}

// Windows rounds the point-to-pixel conversion to the nearest pixel, halves away from zero.
int PointsToPixels(int pointSize)
{
    const int64_t scaled = int64_t(pointSize) * kDotsPerInch;
    return int((scaled + (scaled >= 0 ? 36 : -36)) / 72);
}

struct FontFile {
    std::string mPath;
    int mIndex = 0;
};

// The installed font that fontconfig chooses for the request; it falls back to a default face rather than
// finding nothing, as long as any font is installed.
bool FindFontFile(const std::string& family, bool bold, bool italic, FontFile& out)
{
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    if (!family.empty()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    FcChar8* file = nullptr;
    int index = 0;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr;
    if (found) {
        out.mPath = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) {
            out.mIndex = index;
        }
    }
    FcPatternDestroy(match);
    return found;
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

// A rendered glyph: 8-bit coverage rows, placed relative to the pen on the baseline.
struct GlyphBitmap {
    int mLeft = 0; // from the pen position
    int mTop = 0;  // above the baseline
    int mWidth = 0;
    int mRows = 0;
    std::vector<uint8_t> mCoverage;
};

// An 8-bit coverage buffer of the string's cell.
struct Coverage {
    int mWidth = 0;
    int mHeight = 0;
    std::vector<uint8_t> mValues;

    Coverage(int width, int height) : mWidth(width), mHeight(height), mValues(size_t(width) * size_t(height), 0) {}

    // Overlapping anti-aliased edges keep the stronger coverage, as text drawn over itself does.
    void Stamp(const GlyphBitmap& glyph, int left, int top)
    {
        for (int row = 0; row < glyph.mRows; ++row) {
            const int y = top + row;
            if (y < 0 || y >= mHeight) {
                continue;
            }
            const uint8_t* source = glyph.mCoverage.data() + size_t(row) * size_t(glyph.mWidth);
            for (int col = 0; col < glyph.mWidth; ++col) {
                const int x = left + col;
                if (x < 0 || x >= mWidth) {
                    continue;
                }
                uint8_t& value = mValues[size_t(y) * size_t(mWidth) + size_t(x)];
                value = std::max(value, source[col]);
            }
        }
    }

    void FillRow(int y, int height)
    {
        for (int row = std::max(y, 0); row < std::min(y + height, mHeight); ++row) {
            std::fill_n(mValues.begin() + ptrdiff_t(row) * mWidth, mWidth, uint8_t(255));
        }
    }
};

// Text straight onto a surface image, as onto a device context: the shadow in black, then the text in the
// colour, each blended by its coverage (solid where the glyph is solid), in normal mode whatever the context's
// mode, cut to the clip. The cell's top lies one row below the baseline minus the ascent, where the memory path
// puts it one row higher.
void DrawOnSurface(DDImage& surface, PyxoAppBase* app, const Graphics& g, int x, int y, int ascent,
                   const Coverage& text, const Coverage* shadow, const Color& color, const Rect& clipRect)
{
    const int left = int(float(x) + g.mTransX);
    const int top = int(float(y - ascent + 1) + g.mTransY);
    const Rect cell = Rect(left, top, text.mWidth, text.mHeight).Intersection(clipRect);
    if (cell.mWidth <= 0 || cell.mHeight <= 0) {
        return;
    }
    const auto stamp = [&](const Coverage& coverage, uint32_t rgb) {
        std::vector<uint32_t> pixels(coverage.mValues.size());
        for (size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = coverage.mValues[i] == 0 ? 0 : uint32_t(coverage.mValues[i]) << 24 | rgb;
        }
        MemoryImage image(app);
        image.SetBits(pixels.data(), coverage.mWidth, coverage.mHeight, true);
        surface.Blt(&image, cell.mX, cell.mY, Rect(cell.mX - left, cell.mY - top, cell.mWidth, cell.mHeight),
                    Color::White, 0);
    };
    if (shadow != nullptr) {
        stamp(*shadow, 0);
    }
    stamp(text,
          (uint32_t(color.mRed) & 0xFF) << 16 | (uint32_t(color.mGreen) & 0xFF) << 8 | (uint32_t(color.mBlue) & 0xFF));
}

} // namespace

/// An opened face at one pixel size with its synthesis settings. Shared by a font and its duplicates; used only
/// under the font lock.
struct SysFont::FaceHandle {
    FT_Face mFace = nullptr;
    std::string mFile;
    bool mEmbolden = false; // bold asked for, the face has no bold of its own
    bool mOblique = false;  // italic asked for, the face has no italic of its own
    bool mUnderline = false;
    int mAscent = 0;
    int mDescent = 0;
    int mUnderlineY = 0; // below the baseline
    int mUnderlineThickness = 1;
    std::unordered_map<char32_t, int> mAdvances;
    std::unordered_map<char32_t, GlyphBitmap> mGlyphs; // rendered once, drawn every frame

    FaceHandle() = default;
    FaceHandle(const FaceHandle&) = delete;
    FaceHandle& operator=(const FaceHandle&) = delete;

    ~FaceHandle()
    {
        const std::lock_guard<std::recursive_mutex> lock(Fonts().mLock);
        if (mFace != nullptr) {
            FT_Done_Face(mFace);
        }
    }

    // Loads the glyph into the face's slot, with the synthesis applied; false when it has none.
    bool LoadGlyph(char32_t codePoint, bool render)
    {
        if (FT_Load_Char(mFace, FT_ULong(codePoint), FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) {
            return false;
        }
        FT_GlyphSlot slot = mFace->glyph;
        if (mOblique) {
            FT_GlyphSlot_Oblique(slot);
        }
        if (mEmbolden) {
            FT_GlyphSlot_Embolden(slot);
        }
        return !render || FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0;
    }

    int Advance(char32_t codePoint)
    {
        const auto cached = mAdvances.find(codePoint);
        if (cached != mAdvances.end()) {
            return cached->second;
        }
        int advance = 0;
        if (LoadGlyph(codePoint, false)) {
            advance = int((mFace->glyph->advance.x + 32) >> 6);
        }
        mAdvances.emplace(codePoint, advance);
        return advance;
    }

    const GlyphBitmap& Glyph(char32_t codePoint)
    {
        const auto cached = mGlyphs.find(codePoint);
        if (cached != mGlyphs.end()) {
            return cached->second;
        }
        GlyphBitmap glyph;
        if (LoadGlyph(codePoint, true)) {
            const FT_GlyphSlot slot = mFace->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.buffer != nullptr) {
                glyph.mLeft = slot->bitmap_left;
                glyph.mTop = slot->bitmap_top;
                glyph.mWidth = int(bitmap.width);
                glyph.mRows = int(bitmap.rows);
                glyph.mCoverage.resize(size_t(bitmap.width) * size_t(bitmap.rows));
                for (unsigned row = 0; row < bitmap.rows; ++row) {
                    // A negative pitch stores the rows bottom-up from the buffer's start.
                    const int sourceRow = bitmap.pitch >= 0 ? int(row) : int(bitmap.rows - 1 - row);
                    const unsigned char* source = bitmap.buffer + ptrdiff_t(sourceRow) * std::abs(bitmap.pitch);
                    std::copy(source, source + bitmap.width, glyph.mCoverage.begin() + ptrdiff_t(row) * bitmap.width);
                }
            }
        }
        return mGlyphs.emplace(codePoint, std::move(glyph)).first->second;
    }
};

SysFont::SysFont(PyxoAppBase* app, const std::string& face, int pointSize, int /*charSet*/, bool bold, bool italic,
                 bool underline)
    : mApp(app)
{
    // Sizes are taken at a fixed 96 dots per inch: there is no device context whose resolution could differ.
    int pixelHeight = std::abs(PointsToPixels(pointSize));
    if (pixelHeight == 0) {
        pixelHeight = PointsToPixels(12);
    }

    const std::lock_guard<std::recursive_mutex> lock(Fonts().mLock);
    FT_Library library = Library();
    FontFile file;
    if (library == nullptr || !FindFontFile(face, bold, italic, file)) {
        PLATFORM_LOG_WARNING("font", "no installed font for \"%s\"", face.c_str());
        return;
    }
    auto handle = std::make_shared<FaceHandle>();
    if (FT_New_Face(library, file.mPath.c_str(), FT_Long(file.mIndex), &handle->mFace) != 0) {
        handle->mFace = nullptr;
        PLATFORM_LOG_WARNING("font", "%s: cannot open the font file", file.mPath.c_str());
        return;
    }
    FT_Face ftFace = handle->mFace;
    if (FT_Set_Pixel_Sizes(ftFace, 0, FT_UInt(pixelHeight)) != 0) {
        PLATFORM_LOG_WARNING("font", "%s: cannot be sized to %d pixels", file.mPath.c_str(), pixelHeight);
        return;
    }
    handle->mFile = file.mPath;
    handle->mEmbolden = bold && (ftFace->style_flags & FT_STYLE_FLAG_BOLD) == 0;
    handle->mOblique = italic && (ftFace->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
    handle->mUnderline = underline;

    // The ascent and descent that Windows reports come from the OS/2 table's Windows metrics when it has them;
    // rounding them up keeps the tallest glyphs inside the cell.
    const double unitsPerEm = ftFace->units_per_EM > 0 ? double(ftFace->units_per_EM) : 0.0;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && unitsPerEm > 0.0 && os2->usWinAscent + os2->usWinDescent > 0) {
        handle->mAscent = int(std::ceil(os2->usWinAscent * pixelHeight / unitsPerEm - 0.01));
        handle->mDescent = int(std::ceil(os2->usWinDescent * pixelHeight / unitsPerEm - 0.01));
    } else {
        handle->mAscent = int((ftFace->size->metrics.ascender + 63) >> 6);
        handle->mDescent = int((-ftFace->size->metrics.descender + 63) >> 6);
    }
    if (unitsPerEm > 0.0) {
        handle->mUnderlineY = std::max(1, int(std::lround(-ftFace->underline_position * pixelHeight / unitsPerEm)));
        handle->mUnderlineThickness =
            std::max(1, int(std::lround(ftFace->underline_thickness * pixelHeight / unitsPerEm)));
    }
    mAscent = handle->mAscent;
    mHeight = handle->mAscent + handle->mDescent;
    mFace = std::move(handle);
}

SysFont::SysFont(const std::string& face, int pointSize, bool bold, bool italic, bool underline)
    : SysFont(gPyxoAppBase, face, pointSize, 0, bold, italic, underline)
{
}

SysFont::SysFont(const SysFont& other, int /*duplicateTag*/) : Font(other), mApp(other.mApp), mFace(other.mFace) {}

SysFont::~SysFont() = default;

bool SysFont::IsValid() const
{
    return mFace != nullptr;
}

std::string SysFont::GetFontFile() const
{
    return mFace != nullptr ? mFace->mFile : std::string();
}

int SysFont::StringWidth(const std::wstring& text)
{
    if (mFace == nullptr) {
        return 0;
    }
    const std::vector<char32_t> points = CodePoints(text);
    const std::lock_guard<std::recursive_mutex> lock(Fonts().mLock);
    int width = 0;
    for (const char32_t point : points) {
        width += mFace->Advance(point);
    }
    return width;
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

    Coverage textCover(width, height);
    Coverage shadowCover(mDrawShadow ? width : 0, mDrawShadow ? height : 0);
    {
        const std::vector<char32_t> points = CodePoints(text);
        const std::lock_guard<std::recursive_mutex> lock(Fonts().mLock);
        FaceHandle& face = *mFace;
        int penX = 0;
        for (const char32_t point : points) {
            const int advance = face.Advance(point);
            const GlyphBitmap& glyph = face.Glyph(point);
            const int left = penX + glyph.mLeft;
            const int top = face.mAscent - glyph.mTop;
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
            penX += advance;
        }
        if (face.mUnderline) {
            const int lineY = face.mAscent + face.mUnderlineY - face.mUnderlineThickness / 2;
            if (mDrawShadow) {
                shadowCover.FillRow(lineY + 1, face.mUnderlineThickness);
            }
            textCover.FillRow(lineY, face.mUnderlineThickness);
        }
    }

    if (auto* surface = dynamic_cast<DDImage*>(g->mDestImage)) {
        DrawOnSurface(*surface, mApp, *g, x, y, mAscent, textCover, mDrawShadow ? &shadowCover : nullptr, color,
                      clipRect);
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

    MemoryImage image(mApp);
    image.SetBits(pixels.data(), width, height, true);
    g->DrawImage(&image, x, y - mAscent);
}

std::unique_ptr<Font> SysFont::Duplicate() const
{
    return std::unique_ptr<Font>(new SysFont(*this, 0));
}

} // namespace Pyxo
