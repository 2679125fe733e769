#include "shell/DialogButton.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"

#include <iterator>

namespace Pyxo {

namespace {

constexpr int kDefaultColors[][3] = {
    {255, 255, 255}, // label
    {255, 255, 255}, // label while over
    {0, 0, 0},       // dark bevel edge
    {255, 255, 255}, // light bevel edge
    {132, 132, 132}, // inner shadow
    {212, 212, 212}, // body
};

} // namespace

DialogButton::DialogButton(Image* componentImage, intptr_t id, ButtonListener* listener)
    : ButtonWidget(id, listener), mComponentImage(componentImage)
{
    mDoFinger = true;
    SetColorsRGB(kDefaultColors, int(std::size(kDefaultColors)));
}

void DialogButton::Draw(Graphics* g)
{
    if (mBtnNoDraw) {
        return;
    }
    if (mComponentImage == nullptr) {
        ButtonWidget::Draw(g);
        return;
    }
    EnsureFont(12, 1);
    const bool pressed = IsButtonDown();
    const Rect box(0, 0, mWidth, mHeight);
    if (mNormalRect.mWidth == 0) {
        if (pressed) {
            g->Translate(mTranslateX, mTranslateY);
        }
        g->DrawImageTiledBox(box, mComponentImage);
    } else {
        if (mDisabled && mDisabledRect.mWidth > 0 && mDisabledRect.mHeight > 0) {
            g->DrawImageTiledBoxSrcRect(mDisabledRect, box, mComponentImage);
        } else if (pressed) {
            g->DrawImageTiledBoxSrcRect(mDownRect, box, mComponentImage);
        } else if (mOverAlpha <= 0.0) {
            g->DrawImageTiledBoxSrcRect(mIsOver ? mOverRect : mNormalRect, box, mComponentImage);
        } else {
            if (mOverAlpha < 1.0) {
                g->DrawImageTiledBoxSrcRect(mNormalRect, box, mComponentImage);
            }
            g->SetColorize(true);
            g->SetColor(Color(255, 255, 255, int(mOverAlpha * 255.0)));
            g->DrawImageTiledBoxSrcRect(mOverRect, box, mComponentImage);
            // The label must not be tinted by the fade colour.
            g->SetColorize(false);
        }
        if (pressed) {
            g->Translate(mTranslateX, mTranslateY);
        }
    }
    if (mFont != nullptr) {
        g->SetFont(mFont);
        g->SetColor(GetColor(mIsOver ? kColorLabelHilite : kColorLabel));
        const int ascent = mFont->GetAscent();
        const int labelX = mTextOffsetX + (mWidth - mFont->StringWidth(mLabel)) / 2;
        const int labelY = mTextOffsetY + (ascent + (mHeight - ascent / 6 - mFont->GetAscentPadding()) - 1) / 2;
        g->DrawString(mLabel, labelX, labelY);
    }
    if (pressed) {
        g->Translate(-mTranslateX, -mTranslateY);
    }
}

} // namespace Pyxo
