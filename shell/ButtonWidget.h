#pragma once

#include "graphics/Rect.h"
#include "shell/Widget.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Pyxo {

class ButtonListener;
class Font;
class Graphics;
class Image;
class PyxoAppBase;

/// The framework's push button: reports presses, releases, held ticks, enter, leave and moves to its listener
/// under its id, and draws a plain bevelled box with a label or up to four state images, with an optional fade of
/// the hover image. State images, the listener and a font given with SetFont are borrowed; a font the button makes
/// for itself on first draw is owned. Main thread only.
class ButtonWidget : public Widget {
public:
    /// Label justification.
    static constexpr int kJustifyCenter = 0;
    static constexpr int kJustifyRight = 1;
    static constexpr int kJustifyLeft = 2; // any other value also aligns left

    /// Colour table indices.
    static constexpr int kColorLabel = 0;
    static constexpr int kColorLabelHilite = 1;
    static constexpr int kColorDarkOutline = 2;
    static constexpr int kColorLightOutline = 3;
    static constexpr int kColorMediumOutline = 4;
    static constexpr int kColorBkg = 5;

    ButtonWidget(intptr_t id, ButtonListener* listener);
    ~ButtonWidget() override;

    void Update() override;
    void Draw(Graphics* g) override;
    void SetDisabled(bool disabled) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseUp(int x, int y, int button, int clickCount) override;

    /// The whole image at (x, y) when the rectangle's width is 0, else that part of it.
    virtual void DrawButtonImage(Graphics* g, Image* image, const Rect& srcRect, int x, int y);
    /// Borrowed; null lets the button make its own on the next draw.
    virtual void SetFont(Font* font);
    /// Held down with the pointer over it and not disabled.
    [[nodiscard]] virtual bool IsButtonDown() const;

    /// A state image exists when its pointer is set or its source rectangle has a width.
    [[nodiscard]] bool HaveButtonImage(const Image* image, const Rect& srcRect) const;

    intptr_t mId;
    std::wstring mLabel;
    int mLabelJustify = kJustifyCenter;
    Font* mFont = nullptr;         // borrowed, or mOwnedFont
    Image* mButtonImage = nullptr; // borrowed state images
    Image* mOverImage = nullptr;
    Image* mDownImage = nullptr;
    Image* mDisabledImage = nullptr;
    Rect mNormalRect; // width 0 means the whole image
    Rect mOverRect;
    Rect mDownRect;
    Rect mDisabledRect;
    bool mInverted = false;             // draw pressed when not pressed and the reverse
    bool mBtnNoDraw = false;            // draw nothing
    bool mFrameNoDraw = false;          // the plain box omits its fill and bevel
    ButtonListener* mButtonListener;    // borrowed; may be null
    double mOverAlpha = 0.0;            // strength of the hover image, 0..1
    double mOverAlphaSpeed = 0.0;       // subtracted per update after the pointer left
    double mOverAlphaFadeInSpeed = 0.0; // added per update while the pointer is over

protected:
    /// Without a font and with a label, makes the button's own system font.
    void EnsureFont(int pointSize, int charSet);

    /// The label font the button made for itself; kept for its lifetime.
    std::unique_ptr<Font> mOwnedFont;

private:
    void RepaintForHover();
};

} // namespace Pyxo
