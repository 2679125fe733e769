#pragma once

#include "graphics/Font.h"

#include <memory>
#include <string>

namespace Pyxo {

class PyxoAppBase;

/// A system font: the installed face that fontconfig finds for the requested family, style and weight, rendered
/// anti-aliased with FreeType. Sizes are points at 96 dots per inch; the height is the face's ascent plus
/// descent at that size. On a surface image the text is blended straight into the image by its glyph coverage
/// (after a black shadow), cut to the clip, with the cell's top at the baseline minus the ascent plus one; on
/// any other image it is drawn into a memory image of the string's size (alpha from the glyph coverage, colour
/// from the argument) that the context then draws like any image at the baseline minus the ascent, so its
/// translation, clip, draw mode and colourise apply. A duplicate shares its original's face; every FreeType and
/// fontconfig call runs under one process-wide lock, so fonts may be made and used on any thread. The character set is
/// not used: the face maps Unicode. When no face can be found or opened, the font measures every string as 0 and draws
/// nothing.
class SysFont : public Font {
public:
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

    struct FaceHandle;

private:
    SysFont(const SysFont& other, int /*duplicateTag*/);

    std::shared_ptr<FaceHandle> mFace; // null when no face was found
};

} // namespace Pyxo
