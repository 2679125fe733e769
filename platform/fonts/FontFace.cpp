#include "platform/fonts/FontFace.h"

#include "platform/log/Log.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

// Fontconfig loses a few blocks while it parses its own configuration files; the leak checker of sanitizer
// builds is told to look past that library only. Any other suppression of the program belongs in this list.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace Platform {

namespace {

struct FontLibrary {
    std::recursive_mutex mLock;
    FT_Library mLibrary = nullptr;
    bool mTriedInit = false;
};

FontLibrary& Fonts()
{
    static FontLibrary* const sFonts = new FontLibrary;
    return *sFonts;
}

// Call with the lock held.
FT_Library Library()
{
    FontLibrary& fonts = Fonts();
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

} // namespace

std::recursive_mutex& FontLock()
{
    return Fonts().mLock;
}

struct FontFace::Handle {
    FT_Face mFace = nullptr;
};

FontFace::FontFace() : mHandle(std::make_unique<Handle>()) {}

FontFace::~FontFace()
{
    const std::lock_guard<std::recursive_mutex> lock(FontLock());
    if (mHandle->mFace != nullptr) {
        FT_Done_Face(mHandle->mFace);
    }
}

std::unique_ptr<FontFace> FontFace::Open(const std::string& family, int pixelHeight, bool bold, bool italic)
{
    if (pixelHeight < 1 || pixelHeight > kMaxPixelHeight) {
        PLATFORM_LOG_WARNING("font", "\"%s\" cannot be made %d pixels high", family.c_str(), pixelHeight);
        return nullptr;
    }
    const std::lock_guard<std::recursive_mutex> lock(FontLock());
    FT_Library library = Library();
    FontFile file;
    if (library == nullptr || !FindFontFile(family, bold, italic, file)) {
        PLATFORM_LOG_WARNING("font", "no installed font for \"%s\"", family.c_str());
        return nullptr;
    }
    std::unique_ptr<FontFace> face(new FontFace);
    FT_Face& ftFace = face->mHandle->mFace;
    if (FT_New_Face(library, file.mPath.c_str(), FT_Long(file.mIndex), &ftFace) != 0) {
        ftFace = nullptr;
        PLATFORM_LOG_WARNING("font", "%s: cannot open the font file", file.mPath.c_str());
        return nullptr;
    }
    if (FT_Set_Pixel_Sizes(ftFace, 0, FT_UInt(pixelHeight)) != 0) {
        PLATFORM_LOG_WARNING("font", "%s: cannot be sized to %d pixels", file.mPath.c_str(), pixelHeight);
        return nullptr;
    }
    face->mFile = file.mPath;
    face->mEmbolden = bold && (ftFace->style_flags & FT_STYLE_FLAG_BOLD) == 0;
    face->mOblique = italic && (ftFace->style_flags & FT_STYLE_FLAG_ITALIC) == 0;

    // The ascent and descent that Windows reports come from the OS/2 table's Windows metrics when it has them;
    // rounding them up keeps the tallest glyphs inside the cell.
    const double unitsPerEm = ftFace->units_per_EM > 0 ? double(ftFace->units_per_EM) : 0.0;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && unitsPerEm > 0.0 && os2->usWinAscent + os2->usWinDescent > 0) {
        face->mAscent = int(std::ceil(os2->usWinAscent * pixelHeight / unitsPerEm - 0.01));
        face->mDescent = int(std::ceil(os2->usWinDescent * pixelHeight / unitsPerEm - 0.01));
    } else {
        face->mAscent = int((ftFace->size->metrics.ascender + 63) >> 6);
        face->mDescent = int((-ftFace->size->metrics.descender + 63) >> 6);
    }
    if (unitsPerEm > 0.0) {
        face->mUnderlineY = std::max(1, int(std::lround(-ftFace->underline_position * pixelHeight / unitsPerEm)));
        face->mUnderlineThickness =
            std::max(1, int(std::lround(ftFace->underline_thickness * pixelHeight / unitsPerEm)));
    }
    return face;
}

bool FontFace::LoadGlyph(char32_t codePoint, bool render)
{
    FT_Face ftFace = mHandle->mFace;
    if (FT_Load_Char(ftFace, FT_ULong(codePoint), FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) {
        return false;
    }
    FT_GlyphSlot slot = ftFace->glyph;
    if (mOblique) {
        FT_GlyphSlot_Oblique(slot);
    }
    if (mEmbolden) {
        FT_GlyphSlot_Embolden(slot);
    }
    return !render || FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0;
}

const GlyphMetrics& FontFace::Metrics(char32_t codePoint)
{
    const auto cached = mMetrics.find(codePoint);
    if (cached != mMetrics.end()) {
        return cached->second;
    }
    GlyphMetrics metrics;
    if (LoadGlyph(codePoint, false)) {
        const FT_GlyphSlot slot = mHandle->mFace->glyph;
        metrics.mAdvance = int((slot->advance.x + 32) >> 6);
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) {
            // Without an outline there is no box to go by: anywhere near the pen.
            metrics.mLeft = -2 * kMaxPixelHeight;
            metrics.mRight = 2 * kMaxPixelHeight;
            metrics.mBottom = -2 * kMaxPixelHeight;
            metrics.mTop = 2 * kMaxPixelHeight;
        } else {
            // The rendered bitmap covers the outline's control box rounded out to whole pixels; one pixel more
            // on each side leaves room for the renderer's own rounding.
            FT_BBox box;
            FT_Outline_Get_CBox(&slot->outline, &box);
            metrics.mLeft = int(box.xMin >> 6) - 1;
            metrics.mRight = int((box.xMax + 63) >> 6) + 1;
            metrics.mBottom = int(box.yMin >> 6) - 1;
            metrics.mTop = int((box.yMax + 63) >> 6) + 1;
        }
    }
    return mMetrics.emplace(codePoint, metrics).first->second;
}

const GlyphBitmap& FontFace::Glyph(char32_t codePoint)
{
    const auto cached = mGlyphs.find(codePoint);
    if (cached != mGlyphs.end()) {
        return cached->second;
    }
    GlyphBitmap glyph;
    if (LoadGlyph(codePoint, true)) {
        const FT_GlyphSlot slot = mHandle->mFace->glyph;
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

} // namespace Platform
