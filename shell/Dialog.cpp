#include "shell/Dialog.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "shell/DialogButton.h"
#include "shell/PyxoAppBase.h"

namespace Pyxo {

// not built yet
Dialog::Dialog(Image* componentImage, Image* /*buttonComponentImage*/, intptr_t dialogId, bool isModal,
               const std::wstring& header, const std::wstring& lines, const std::wstring& footer, int buttonMode)
    : mDialogListener(gPyxoAppBase), mComponentImage(componentImage), mDialogHeader(header), mDialogFooter(footer),
      mDialogLines(lines), mButtonMode(buttonMode), mButtonHeight(24), mId(dialogId), mIsModal(isModal)
{
}
Dialog::~Dialog() = default;
void Dialog::AddedToManager(WidgetManager* manager)
{
    Widget::AddedToManager(manager);
}
void Dialog::RemovedFromManager(WidgetManager* manager)
{
    Widget::RemovedFromManager(manager);
}
void Dialog::Update()
{
    Widget::Update();
}
void Dialog::Draw(Graphics* /*g*/) {}
void Dialog::OnOrderChanged() {}
void Dialog::SetColor(int index, const Color& color)
{
    Widget::SetColor(index, color);
}
void Dialog::Resize(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
}
void Dialog::MouseDown(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}
void Dialog::MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}
void Dialog::MouseDrag(int /*x*/, int /*y*/) {}
void Dialog::SetButtonFont(Font* /*font*/) {}
void Dialog::SetHeaderFont(Font* /*font*/) {}
void Dialog::SetLinesFont(Font* /*font*/) {}
int Dialog::GetPreferredHeight(int /*width*/)
{
    return 0;
}
intptr_t Dialog::WaitForResult(bool /*autoClose*/)
{
    return mResult;
}
void Dialog::ButtonPress(intptr_t /*id*/) {}
void Dialog::ButtonRelease(intptr_t /*id*/) {}
void Dialog::EnsureFonts() {}

} // namespace Pyxo
