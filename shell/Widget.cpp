#include "shell/Widget.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/window/VirtualKeys.h"
#include "shell/PyxoAppBase.h"
#include "shell/WidgetManager.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace Pyxo {

namespace {

constexpr int kCursorArrow = 0;
constexpr int kCursorHand = 1;

// Widgets interpret inline colour codes in the text they write.
constexpr bool kWriteColoredString = true;

// Puts the context's coloured-string flag back when the call returns.
class ColoredStringScope {
public:
    explicit ColoredStringScope(Graphics* g) : mG(g), mOld(g->mWriteColoredString)
    {
        g->mWriteColoredString = kWriteColoredString;
    }
    ~ColoredStringScope() { mG->mWriteColoredString = mOld; }
    ColoredStringScope(const ColoredStringScope&) = delete;
    ColoredStringScope& operator=(const ColoredStringScope&) = delete;

private:
    Graphics* mG;
    bool mOld;
};

} // namespace

Widget::Widget() = default;

Widget::~Widget()
{
    // A widget deleted while still in a tree would leave its parent and the manager pointing at freed memory.
    if (mParent != nullptr) {
        mParent->RemoveWidget(this);
    }
}

PyxoAppBase* Widget::GetApp() const
{
    return mWidgetManager != nullptr && mWidgetManager->mApp != nullptr ? mWidgetManager->mApp : gPyxoAppBase;
}

void Widget::SetVisible(bool visible)
{
    if (mVisible == visible) {
        return;
    }
    mVisible = visible;
    if (visible) {
        MarkDirty();
    } else {
        MarkDirtyFull(); // the area it covered
    }
    if (mWidgetManager != nullptr) {
        mWidgetManager->RecheckPointer();
    }
}

void Widget::SetColors(const int (*colors)[4], int count)
{
    mColors.clear();
    for (int i = 0; colors != nullptr && i < count; ++i) {
        SetColor(i, Color(colors[i][0], colors[i][1], colors[i][2], colors[i][3]));
    }
    MarkDirty();
}

void Widget::SetColorsRGB(const int (*colors)[3], int count)
{
    mColors.clear();
    for (int i = 0; colors != nullptr && i < count; ++i) {
        SetColor(i, Color(colors[i][0], colors[i][1], colors[i][2]));
    }
    MarkDirty();
}

void Widget::SetColor(int index, const Color& color)
{
    if (index < 0) {
        return;
    }
    if (mColors.size() <= static_cast<size_t>(index)) {
        mColors.resize(static_cast<size_t>(index) + 1, Color::Black);
    }
    mColors[static_cast<size_t>(index)] = color;
    MarkDirty();
}

Color Widget::GetColorOr(int index, const Color& defaultColor) const
{
    if (index < 0 || static_cast<size_t>(index) >= mColors.size()) {
        return defaultColor;
    }
    return mColors[static_cast<size_t>(index)];
}

const Color& Widget::GetColor(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= mColors.size()) {
        return Color::Black;
    }
    return mColors[static_cast<size_t>(index)];
}

void Widget::SetDisabled(bool disabled)
{
    if (mDisabled == disabled) {
        return;
    }
    mDisabled = disabled;
    if (disabled && mWidgetManager != nullptr) {
        mWidgetManager->DisableWidget(this);
    }
    MarkDirty();
    if (!disabled && mWidgetManager != nullptr) {
        // The pointer is kept in screen coordinates; Contains takes the parent's.
        WidgetManager* manager = mWidgetManager;
        const Point origin = mParent != nullptr ? mParent->GetAbsPos() : Point();
        if (Contains(manager->mLastMouseX - origin.mX, manager->mLastMouseY - origin.mY)) {
            manager->TrackPointer(manager->mLastMouseX, manager->mLastMouseY);
        }
    }
}

void Widget::ShowFinger(bool on)
{
    if (mWidgetManager != nullptr && mWidgetManager->mApp != nullptr) {
        mWidgetManager->mApp->SetCursor(on ? kCursorHand : kCursorArrow);
    }
}

void Widget::ResizeRect(const Rect& rect)
{
    Resize(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Widget::Resize(int x, int y, int width, int height)
{
    if (mX == x && mY == y && mWidth == width && mHeight == height) {
        return;
    }
    MarkDirtyFull(); // the old area
    mX = x;
    mY = y;
    mWidth = width;
    mHeight = height;
    MarkDirty();
    if (mWidgetManager != nullptr) {
        mWidgetManager->RecheckPointer();
    }
}

void Widget::Move(int x, int y)
{
    Resize(x, y, mWidth, mHeight);
}

void Widget::KeyDown(int key)
{
    if (key != static_cast<int>(Platform::VK_TAB) || mWidgetManager == nullptr) {
        return;
    }
    Widget* target = mWidgetManager->mKeyDown[Platform::VK_SHIFT] ? mTabPrev : mTabNext;
    if (target != nullptr) {
        mWidgetManager->SetFocus(target);
    }
}

void Widget::MouseDownClicks(int x, int y, int encodedClickCount)
{
    const ButtonClicks clicks = DecodeClickCount(encodedClickCount);
    MouseDown(x, y, clicks.mButton, clicks.mClickCount);
}

void Widget::MouseUpClicks(int x, int y, int encodedClickCount)
{
    MouseUpXY(x, y);
    const ButtonClicks clicks = DecodeClickCount(encodedClickCount);
    MouseUp(x, y, clicks.mButton, clicks.mClickCount);
}

Rect Widget::DrawCenteredLineColors(Graphics* g, int y, const std::wstring& text, const Color& color,
                                    const Color& shadowColor, const Point& shadowOffset)
{
    Font* font = g->GetFont();
    const int width = font != nullptr ? font->StringWidth(text) : 0;
    const int x = (mWidth - width) / 2;
    g->SetColor(shadowColor);
    g->DrawString(text, x + shadowOffset.mX, y + shadowOffset.mY);
    g->SetColor(color);
    g->DrawString(text, x, y);
    const int ascent = font != nullptr ? font->GetAscent() : 0;
    const int height = font != nullptr ? font->GetHeight() : 0;
    return Rect(x + std::min(shadowOffset.mX, 0), y + std::min(shadowOffset.mY, 0) - ascent,
                width + std::abs(shadowOffset.mX), height + std::abs(shadowOffset.mY));
}

Rect Widget::DrawCenteredLine(Graphics* g, int y, const std::wstring& text)
{
    Font* font = g->GetFont();
    const int width = font != nullptr ? font->StringWidth(text) : 0;
    const int x = (mWidth - width) / 2;
    g->DrawString(text, x, y);
    const int ascent = font != nullptr ? font->GetAscent() : 0;
    const int height = font != nullptr ? font->GetHeight() : 0;
    return Rect(x, y - ascent, width, height);
}

int Widget::WriteString(Graphics* g, const std::wstring& text, int x, int y, int width, int justification, bool draw,
                        int offset, int length)
{
    const ColoredStringScope scope(g);
    return g->WriteString(text, x, y, width, justification, draw, offset, length, -1);
}

int Widget::DrawWrappedText(Graphics* g, const Rect& rect, const std::wstring& text, int lineSpacing, int justification)
{
    const ColoredStringScope scope(g);
    return g->DrawWrappedText(rect, text, lineSpacing, justification, nullptr, -1, nullptr);
}

int Widget::GetWrappedTextHeight(Graphics* g, int width, const std::wstring& text, int lineSpacing, int* widest)
{
    return g->GetWrappedTextHeight(width, text, lineSpacing, widest);
}

int Widget::GetNumDigits(int number) const
{
    int digits = 1;
    for (int64_t power = 10; number >= power; power *= 10) {
        ++digits;
    }
    return digits;
}

void Widget::DrawNumberFromStrip(Graphics* g, int number, int x, int y, Image* strip, int spacing)
{
    if (strip == nullptr || number < 0) {
        return;
    }
    const int digitWidth = strip->GetWidth() / 10;
    const std::string digits = std::to_string(number);
    int offset = 0;
    for (const char digit : digits) {
        // Only the one digit shows through the clip.
        const std::unique_ptr<Graphics> clipped = g->Create();
        clipped->ClipRect(x + offset, y, digitWidth, strip->GetHeight());
        clipped->DrawImage(strip, x + offset - (digit - '0') * digitWidth, y);
        offset += digitWidth + spacing;
    }
}

bool Widget::Contains(int x, int y) const
{
    return x >= mX && x < mX + mWidth && y >= mY && y < mY + mHeight;
}

Rect Widget::GetInsetRect() const
{
    return Rect(mX + mMouseInsets.mLeft, mY + mMouseInsets.mTop, mWidth - mMouseInsets.mLeft - mMouseInsets.mRight,
                mHeight - mMouseInsets.mTop - mMouseInsets.mBottom);
}

} // namespace Pyxo
