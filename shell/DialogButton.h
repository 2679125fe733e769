#pragma once

#include "shell/ButtonWidget.h"

#include <cstdint>

namespace Pyxo {

class Graphics;
class Image;

/// The button of the framework dialog: draws its states as nine-part boxes cut from one component image and
/// shifts its label while pressed. Without a component image it draws as a plain button. The component image is
/// borrowed. Main thread only.
class DialogButton : public ButtonWidget {
public:
    DialogButton(Image* componentImage, intptr_t id, ButtonListener* listener);

    void Draw(Graphics* g) override;

    Image* mComponentImage; // borrowed; may be null
    int mTranslateX = 1;    // label and box offset while pressed
    int mTranslateY = 1;
    int mTextOffsetX = 0;
    int mTextOffsetY = 0;
};

} // namespace Pyxo
