#pragma once

#include "graphics/Font.h"

#include <memory>
#include <string>

namespace Platform {
class FontFace;
} // namespace Platform

namespace Pyxo {

class PyxoAppBase;

/// A system font: the installed face that the platform's font back-end finds for the requested family, style and
/// weight, rendered anti-aliased. Sizes are points at 96 dots per inch, at most kMaxPointSize either way; the height is
/// the face's ascent plus descent at that size. On a surface image the text is blended straight into the image by its
/// glyph coverage (after a black shadow), cut to the clip, with the cell's top at the baseline minus the ascent plus
/// one; on any other image it is drawn into a memory image of the string's size (alpha from the glyph coverage, colour
/// from the argument) that the context then draws like any image at the baseline minus the ascent, so its
/// translation, clip, draw mode and colourise apply. Only the part of the string inside the clip and the
/// destination is rendered, so a long string or a large size costs no more than the destination shows. A duplicate
/// shares its original's face; every use of a face runs under the back-end's one lock, so fonts may be made and used
/// on any thread. The character set is not used: the face maps Unicode. When no face can be found or opened, or the
/// size is out of range, the font measures every string as 0 and draws nothing.
class SysFont : public Font {
public:
    /// The largest point size either way: its em (2048 pixels) is as tall as a screen can show.
    static constexpr int kMaxPointSize = 1536;

    SysFont(PyxoAppBase* app, const std::string& face, int pointSize, int charSet, bool bold, bool italic,
            bool underline);
    /// On the global application, character set 0.
    SysFont(const std::string& face, int pointSize, bool bold, bool italic, bool underline);
    SysFont(const SysFont&) = delete;
    ~SysFont() override;

    [[nodiscard]] int StringWidth(const std::wstring& text) override;
    /// y is the baseline.
    void DrawString(Graphics* g, int x, int y, const std::wstring& text, const Color& color,
                    const Rect& clipRect) override;
    /// The same face and size, both drawing flags cleared.
    [[nodiscard]] std::unique_ptr<Font> Duplicate() const override;

    /// A face was found and opened.
    [[nodiscard]] bool IsValid() const;
    /// The file of the face that was chosen; empty when none.
    [[nodiscard]] std::string GetFontFile() const;

    PyxoAppBase* mApp = nullptr; // borrowed
    bool mDrawShadow = false;    // black text one pixel right and down under the text
    bool mSimulateBold = false;  // the text again one pixel to the right

private:
    SysFont(const SysFont& other, int /*duplicateTag*/);

    std::shared_ptr<Platform::FontFace> mFace; // null when no face was found
    bool mUnderline = false;
};

} // namespace Pyxo
