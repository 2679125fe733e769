#pragma once

#include "graphics/Rect.h"

#include <map>
#include <memory>

namespace Pyxo {

class FontLayer;
class MemoryImage;

/// A descriptor layer as one image font uses it: the image its glyphs are drawn from and where each glyph lies
/// in it. The image is either the layer's own (borrowed from the layer's pool reference) or one made for the
/// font's point size and scale (owned). A copy owns a separate copy of an owned image.
class ActiveFontLayer {
public:
    ActiveFontLayer() = default;
    ActiveFontLayer(const ActiveFontLayer& other);
    ActiveFontLayer& operator=(const ActiveFontLayer&) = delete;
    virtual ~ActiveFontLayer();

    [[nodiscard]] bool OwnsImage() const { return mOwnedImage != nullptr; }
    /// The glyph's rectangle in mScaledImage; empty when the layer lacks the character.
    [[nodiscard]] Rect GetCharRect(wchar_t character) const;

    FontLayer* mBaseFontLayer = nullptr;      // borrowed from the font data
    MemoryImage* mScaledImage = nullptr;      // the glyph image: mOwnedImage, or the base layer's image
    std::unique_ptr<MemoryImage> mOwnedImage; // set when the image was made for this font's size
    std::map<wchar_t, Rect> mScaledCharImageRects;
};

} // namespace Pyxo
