#include "shell/ButtonWidget.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "shell/ButtonListener.h"

namespace Pyxo {

// not built yet
ButtonWidget::ButtonWidget(intptr_t id, ButtonListener* listener) : mId(id), mButtonListener(listener) {}
ButtonWidget::~ButtonWidget() = default;
void ButtonWidget::Update()
{
    Widget::Update();
}
void ButtonWidget::Draw(Graphics* /*g*/) {}
void ButtonWidget::SetDisabled(bool disabled)
{
    Widget::SetDisabled(disabled);
}
void ButtonWidget::MouseEnter() {}
void ButtonWidget::MouseLeave() {}
void ButtonWidget::MouseMove(int /*x*/, int /*y*/) {}
void ButtonWidget::MouseDown(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}
void ButtonWidget::MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}
void ButtonWidget::DrawButtonImage(Graphics* /*g*/, Image* /*image*/, const Rect& /*srcRect*/, int /*x*/, int /*y*/) {}
void ButtonWidget::SetFont(Font* font)
{
    mFont = font;
}
bool ButtonWidget::IsButtonDown() const
{
    return mIsDown && mIsOver && !mDisabled;
}
bool ButtonWidget::HaveButtonImage(const Image* image, const Rect& srcRect) const
{
    return image != nullptr || srcRect.mWidth != 0;
}

} // namespace Pyxo
