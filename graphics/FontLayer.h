#pragma once

#include "graphics/Color.h"
#include "graphics/ImagePoolRef.h"
#include "graphics/Rect.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Pyxo {

class FontData;

/// What one layer of an image font knows of one character; zero until a descriptor command mentions it.
struct CharData {
    Rect mImageRect;                           // where the glyph lies in the layer image
    Point mOffset;                             // where it is drawn relative to the pen
    std::map<wchar_t, int8_t> mKerningOffsets; // extra advance before the given following character
    int mWidth = 0;                            // advance of the pen
    int mOrder = 0;                            // drawing order, added to the layer's base order

    /// The kerning amount before the character; 0 when none is set.
    [[nodiscard]] int GetKerningOffset(wchar_t next) const;
};

/// One layer of an image font as its descriptor describes it: a glyph image with the rectangle, width, offset,
/// kerning and drawing order of every character, sizes, colours, and the tags and point sizes for which it is
/// used. Belongs to its FontData; copied whole by CreateLayerFrom (the image reference counts once more).
class FontLayer {
public:
    explicit FontLayer(FontData* fontData) : mFontData(fontData) {}

    /// The character's record, made (zeroed) on first mention.
    CharData& GetCharData(wchar_t character) { return mCharDataMap[character]; }
    /// The character's record, or an empty one when the layer lacks it. Never changes the layer.
    [[nodiscard]] const CharData& FindCharData(wchar_t character) const;

    FontData* mFontData;                    // the owner
    std::string mLayerName;                 // upper-cased
    std::vector<std::string> mRequiredTags; // upper-cased
    std::vector<std::string> mExcludedTags; // upper-cased
    std::map<wchar_t, CharData> mCharDataMap;
    Color mColorMult{255, 255, 255, 255};
    Color mColorAdd{0, 0, 0, 0};
    ImagePoolRef mImage; // counted reference into the application's image pool
    int mDrawMode = -1;  // -1 keeps the drawing context's mode; 0 normal, 1 additive
    Point mOffset;
    int mSpacing = 0;
    int mMinPointSize = -1;
    int mMaxPointSize = -1; // -1: no upper bound
    int mPointSize = 0;     // 0: drawn at any size without a size of its own
    int mAscent = 0;
    int mAscentPadding = 0;
    int mHeight = 0;        // 0: use mDefaultHeight
    int mDefaultHeight = 0; // measured by LayerSetImageMap
    int mLineSpacingOffset = 0;
    int mBaseOrder = 0;
};

} // namespace Pyxo
