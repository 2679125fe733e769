#include "shell/Widget.h"

#include "graphics/Graphics.h"
#include "shell/WidgetManager.h"

namespace Pyxo {

// not built yet
Widget::Widget() = default;
Widget::~Widget() = default;
void Widget::SetVisible(bool visible)
{
    mVisible = visible;
}
void Widget::SetColors(const int (* /*colors*/)[4], int /*count*/) {}
void Widget::SetColorsRGB(const int (* /*colors*/)[3], int /*count*/) {}
void Widget::SetColor(int /*index*/, const Color& /*color*/) {}
Color Widget::GetColorOr(int /*index*/, const Color& defaultColor) const
{
    return defaultColor;
}
const Color& Widget::GetColor(int /*index*/) const
{
    return Color::Black;
}
void Widget::SetDisabled(bool disabled)
{
    mDisabled = disabled;
}
void Widget::ShowFinger(bool /*on*/) {}
void Widget::ResizeRect(const Rect& /*rect*/) {}
void Widget::Resize(int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
void Widget::Move(int /*x*/, int /*y*/) {}
void Widget::KeyDown(int /*key*/) {}
void Widget::MouseDownClicks(int /*x*/, int /*y*/, int /*encodedClickCount*/) {}
void Widget::MouseUpClicks(int /*x*/, int /*y*/, int /*encodedClickCount*/) {}
Rect Widget::DrawCenteredLineColors(Graphics* /*g*/, int /*y*/, const std::wstring& /*text*/, const Color& /*color*/,
                                    const Color& /*shadowColor*/, const Point& /*shadowOffset*/)
{
    return Rect();
}
Rect Widget::DrawCenteredLine(Graphics* /*g*/, int /*y*/, const std::wstring& /*text*/)
{
    return Rect();
}
int Widget::WriteString(Graphics* /*g*/, const std::wstring& /*text*/, int /*x*/, int /*y*/, int /*width*/,
                        int /*justification*/, bool /*draw*/, int /*offset*/, int /*length*/)
{
    return 0;
}
int Widget::DrawWrappedText(Graphics* /*g*/, const Rect& /*rect*/, const std::wstring& /*text*/, int /*lineSpacing*/,
                            int /*justification*/)
{
    return 0;
}
int Widget::GetWrappedTextHeight(Graphics* /*g*/, int /*width*/, const std::wstring& /*text*/, int /*lineSpacing*/,
                                 int* /*widest*/)
{
    return 0;
}
int Widget::GetNumDigits(int /*number*/) const
{
    return 1;
}
void Widget::DrawNumberFromStrip(Graphics* /*g*/, int /*number*/, int /*x*/, int /*y*/, Image* /*strip*/,
                                 int /*spacing*/)
{
}
bool Widget::Contains(int /*x*/, int /*y*/) const
{
    return false;
}
Rect Widget::GetInsetRect() const
{
    return Rect();
}

} // namespace Pyxo
