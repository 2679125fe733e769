#pragma once

#include <memory>
#include <string>

namespace Pyxo {

class Graphics;
struct Color;
struct Rect;

/// Interface of every font: metrics, and the width and drawing of wide (UTF-16) text. The base measures every
/// string as 0 and draws nothing. Deleted through the virtual destructor; copied only through Duplicate.
class Font {
public:
    Font() = default;
    virtual ~Font() = default;
    Font& operator=(const Font&) = delete;

    [[nodiscard]] virtual int GetAscent() const { return mAscent; }
    [[nodiscard]] virtual int GetAscentPadding() const { return mAscentPadding; }
    [[nodiscard]] virtual int GetDescent() const { return mHeight - mAscent; }
    [[nodiscard]] virtual int GetHeight() const { return mHeight; }
    [[nodiscard]] virtual int GetLineSpacingOffset() const { return mLineSpacingOffset; }
    [[nodiscard]] virtual int GetLineSpacing() const { return mHeight + mLineSpacingOffset; }
    [[nodiscard]] virtual int StringWidth(const std::wstring& /*text*/) { return 0; }
    [[nodiscard]] virtual int CharWidth(wchar_t character) { return StringWidth(std::wstring(1, character)); }
    /// The previous character is not used by the base.
    [[nodiscard]] virtual int CharWidthKern(wchar_t character, wchar_t /*previous*/) { return CharWidth(character); }
    /// y is the baseline. Draws in the context g (its translation, clip, draw mode and colourise apply).
    virtual void DrawString(Graphics* /*g*/, int /*x*/, int /*y*/, const std::wstring& /*text*/, const Color& /*color*/,
                            const Rect& /*clipRect*/)
    {
    }
    /// A new copy, owned by the caller.
    [[nodiscard]] virtual std::unique_ptr<Font> Duplicate() const = 0;

    int mAscent = 0;
    int mAscentPadding = 0;
    int mHeight = 0;
    int mLineSpacingOffset = 0;

protected:
    Font(const Font&) = default; // copies the four metrics
};

} // namespace Pyxo
