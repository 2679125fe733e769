#include "shell/DialogButton.h"

#include "graphics/Graphics.h"

namespace Pyxo {

// not built yet
DialogButton::DialogButton(Image* componentImage, intptr_t id, ButtonListener* listener)
    : ButtonWidget(id, listener), mComponentImage(componentImage)
{
}
void DialogButton::Draw(Graphics* g)
{
    ButtonWidget::Draw(g);
}

} // namespace Pyxo
