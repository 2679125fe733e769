#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace Platform {

/// A rendered glyph: 8-bit coverage rows, placed relative to the pen on the baseline.
struct GlyphBitmap {
    int mLeft = 0; // from the pen position
    int mTop = 0;  // above the baseline
    int mWidth = 0;
    int mRows = 0;
    std::vector<uint8_t> mCoverage;
};

/// What a glyph takes without rendering it: its advance, and a box (pixels from the pen, y up from the baseline)
/// that holds every pixel its bitmap can cover.
struct GlyphMetrics {
    int mAdvance = 0;
    int mLeft = 0;
    int mRight = 0;  // exclusive
    int mTop = 0;    // above the baseline
    int mBottom = 0; // above the baseline; negative below it
};

/// FreeType and fontconfig are not thread-safe: every call into either runs under this one lock. FontFace takes it
/// where it needs it; a caller that keeps a glyph's reference across calls holds it for that whole run.
std::recursive_mutex& FontLock();

/// An installed font face opened at one em height in pixels: the face that fontconfig chooses for a family and
/// style, rendered anti-aliased by FreeType, with bold and italic synthesised when the face has no such style of its
/// own. Glyphs are rendered once and kept. Advance, Metrics and Glyph need FontLock() held; the rest is fixed once
/// the face is open. The library is never torn down, so that no static destructor frees faces still in use.
class FontFace {
public:
    /// The largest em height a face is opened at: a glyph taller than any screen shows nothing more.
    static constexpr int kMaxPixelHeight = 2048;

    /// Null, with the reason logged, when no face is installed, it cannot be opened, or the height is not from 1
    /// to kMaxPixelHeight.
    [[nodiscard]] static std::unique_ptr<FontFace> Open(const std::string& family, int pixelHeight, bool bold,
                                                        bool italic);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    /// The file of the face.
    [[nodiscard]] const std::string& File() const { return mFile; }
    /// Ascent and descent as Windows reports them: from the OS/2 table's Windows metrics when the face has them,
    /// rounded up so that the tallest glyphs stay inside the cell.
    [[nodiscard]] int Ascent() const { return mAscent; }
    [[nodiscard]] int Descent() const { return mDescent; }
    /// The middle of the underline below the baseline, and its thickness (at least 1).
    [[nodiscard]] int UnderlinePosition() const { return mUnderlineY; }
    [[nodiscard]] int UnderlineThickness() const { return mUnderlineThickness; }

    /// The glyph's advance in whole pixels; 0 for a code point the face cannot load.
    [[nodiscard]] int Advance(char32_t codePoint) { return Metrics(codePoint).mAdvance; }
    [[nodiscard]] const GlyphMetrics& Metrics(char32_t codePoint);
    /// The rendered glyph; empty for a code point the face cannot render. Stays valid while the face lives.
    [[nodiscard]] const GlyphBitmap& Glyph(char32_t codePoint);

private:
    struct Handle;
    FontFace();
    bool LoadGlyph(char32_t codePoint, bool render);

    std::unique_ptr<Handle> mHandle; // the FreeType face
    std::string mFile;
    bool mEmbolden = false; // bold asked for, the face has no bold of its own
    bool mOblique = false;  // italic asked for, the face has no italic of its own
    int mAscent = 0;
    int mDescent = 0;
    int mUnderlineY = 0;
    int mUnderlineThickness = 1;
    std::unordered_map<char32_t, GlyphMetrics> mMetrics;
    std::unordered_map<char32_t, GlyphBitmap> mGlyphs; // rendered once, drawn every frame
};

} // namespace Platform
