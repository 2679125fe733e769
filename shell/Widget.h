#pragma once

#include "graphics/Color.h"
#include "graphics/Rect.h"
#include "shell/WidgetContainer.h"

#include <string>
#include <vector>

namespace Pyxo {

class Graphics;
class Image;
class PyxoAppBase;

/// Mouse buttons as the four-argument mouse handlers receive them.
struct MouseButton {
    static constexpr int Left = 0;
    static constexpr int Right = 1;
    static constexpr int Middle = 2;
};

/// A decoded click count.
struct ButtonClicks {
    int mButton = MouseButton::Left;
    int mClickCount = 0;
};

/// The widget manager reports one signed click count per mouse event: a positive count is the left button with
/// that count (1 single, 2 double), a negative count the right button with the count's absolute value, and 3 the
/// middle button (so three left clicks cannot be told from the middle button).
[[nodiscard]] constexpr ButtonClicks DecodeClickCount(int encoded)
{
    if (encoded == 3) {
        return {MouseButton::Middle, 1};
    }
    if (encoded < 0) {
        return {MouseButton::Right, -encoded};
    }
    return {MouseButton::Left, encoded};
}

/// Margins that shrink a widget's hit rectangle.
struct Insets {
    int mLeft = 0;
    int mTop = 0;
    int mRight = 0;
    int mBottom = 0;
};

/// The visible element of the widget tree: visibility, enabled state, focus, pointer state, a colour table,
/// insets, tab neighbours and the input handlers that the widget manager calls. Handlers do nothing in the base;
/// subclasses override them. Positions passed to the mouse handlers are in the widget's own coordinates.
/// A widget deleted while still in a tree takes itself out of it first. Main thread only.
class Widget : public WidgetContainer {
public:
    Widget();
    ~Widget() override; // removes the widget from its parent, if it still has one

    virtual void OnOrderChanged() {} // after the widget was reordered in its parent
    virtual void SetVisible(bool visible);
    virtual void SetColors(const int (*colors)[4], int count);    // {red, green, blue, alpha} rows
    virtual void SetColorsRGB(const int (*colors)[3], int count); // {red, green, blue} rows, alpha 255
    virtual void SetColor(int index, const Color& color);         // grows the table with opaque black
    [[nodiscard]] virtual Color GetColorOr(int index, const Color& defaultColor) const;
    /// The entry, or one shared opaque black past the end.
    [[nodiscard]] virtual const Color& GetColor(int index) const;
    virtual void SetDisabled(bool disabled);
    virtual void ShowFinger(bool on); // the hand cursor (true) or the arrow, when managed
    virtual void ResizeRect(const Rect& rect);
    virtual void Resize(int x, int y, int width, int height);
    virtual void Move(int x, int y);
    [[nodiscard]] virtual bool WantsFocus() const { return mWantsFocus; }
    virtual void DrawOverlayPriority(Graphics* g, int /*priority*/) { DrawOverlay(g); }
    virtual void DrawOverlay(Graphics* /*g*/) {}
    virtual void GotFocus() { mHasFocus = true; }
    virtual void LostFocus() { mHasFocus = false; }
    virtual void KeyChar(wchar_t /*character*/) {} // one UTF-16 unit
    virtual void KeyDown(int key);                 // Tab moves the focus; other keys nothing
    virtual void KeyUp(int /*key*/) {}
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void MouseMove(int /*x*/, int /*y*/) {}
    virtual void MouseDown(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}
    virtual void MouseDownClicks(int x, int y, int encodedClickCount);
    virtual void MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}
    virtual void MouseUpClicks(int x, int y, int encodedClickCount); // MouseUpXY, then MouseUp
    virtual void MouseUpXY(int /*x*/, int /*y*/) {}
    virtual void MouseDrag(int /*x*/, int /*y*/) {}
    virtual void MouseWheel(int /*delta*/) {}
    /// False lets the mouse through to the widgets below; (x, y) in widget coordinates.
    [[nodiscard]] virtual bool IsPointVisible(int /*x*/, int /*y*/) const { return true; }
    virtual Rect DrawCenteredLineColors(Graphics* g, int y, const std::wstring& text, const Color& color,
                                        const Color& shadowColor, const Point& shadowOffset);
    virtual Rect DrawCenteredLine(Graphics* g, int y, const std::wstring& text);
    virtual int WriteString(Graphics* g, const std::wstring& text, int x, int y, int width, int justification,
                            bool draw, int offset, int length);
    virtual int DrawWrappedText(Graphics* g, const Rect& rect, const std::wstring& text, int lineSpacing,
                                int justification);
    virtual int GetWrappedTextHeight(Graphics* g, int width, const std::wstring& text, int lineSpacing, int* widest);
    [[nodiscard]] virtual int GetNumDigits(int number) const;
    virtual void DrawNumberFromStrip(Graphics* g, int number, int x, int y, Image* strip, int spacing);
    /// x <= px < x + width and y <= py < y + height, in the parent's coordinates.
    [[nodiscard]] virtual bool Contains(int x, int y) const;
    [[nodiscard]] virtual Rect GetInsetRect() const;

    bool mVisible = true;
    bool mMouseVisible = true; // the widget itself can be the mouse target
    bool mDisabled = false;    // swallows the mouse: found by the hit test, handed nothing
    bool mHasFocus = false;
    bool mIsDown = false;            // set by the manager while a button pressed on it is held
    bool mIsOver = false;            // set by the manager while the pointer is over it
    bool mHasTransparencies = false; // not opaque (full overlap marking)
    std::vector<Color> mColors;
    Insets mMouseInsets;
    bool mDoFinger = false;     // hand cursor while the pointer is over it
    bool mWantsFocus = false;   // a mouse press gives it the keyboard focus
    Widget* mTabPrev = nullptr; // borrowed; focus target of Shift+Tab
    Widget* mTabNext = nullptr; // borrowed; focus target of Tab

protected:
    /// The manager's application, else the global one; null in a program without one.
    [[nodiscard]] PyxoAppBase* GetApp() const;
};

} // namespace Pyxo
