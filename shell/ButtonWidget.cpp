#include "shell/ButtonWidget.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "shell/ButtonListener.h"
#include "shell/PyxoAppBase.h"
#include "shell/WidgetManager.h"

namespace Pyxo {

namespace {

constexpr int kDefaultColors[][3] = {
    {0, 0, 0},       // label
    {0, 0, 0},       // label while over
    {0, 0, 0},       // dark bevel edge
    {255, 255, 255}, // light bevel edge
    {132, 132, 132}, // inner shadow
    {212, 212, 212}, // body
};

} // namespace

ButtonWidget::ButtonWidget(intptr_t id, ButtonListener* listener) : mId(id), mButtonListener(listener)
{
    mHasAlpha = true;
    SetColorsRGB(kDefaultColors, int(std::size(kDefaultColors)));
}

ButtonWidget::~ButtonWidget() = default;

void ButtonWidget::Update()
{
    Widget::Update();
    if (mIsDown && mIsOver && mButtonListener != nullptr) {
        mButtonListener->ButtonHeldTick(mId);
    }
    if (!mIsDown && !mIsOver && mOverAlpha > 0.0) {
        if (mOverAlphaSpeed > 0.0 && mOverAlpha - mOverAlphaSpeed >= 0.0) {
            mOverAlpha -= mOverAlphaSpeed;
        } else {
            mOverAlpha = 0.0;
        }
        MarkDirty();
    }
    if (mIsOver && mOverAlphaFadeInSpeed > 0.0 && mOverAlpha < 1.0) {
        mOverAlpha += mOverAlphaFadeInSpeed;
        if (mOverAlpha > 1.0) {
            mOverAlpha = 1.0;
        }
        MarkDirty();
    }
}

void ButtonWidget::EnsureFont(int pointSize, int charSet)
{
    if (mFont == nullptr && !mLabel.empty()) {
        mOwnedFont = std::make_unique<SysFont>(GetApp(), "Arial Unicode MS", pointSize, charSet, false, false, false);
        mFont = mOwnedFont.get();
    }
}

void ButtonWidget::Draw(Graphics* g)
{
    if (mBtnNoDraw) {
        return;
    }
    EnsureFont(10, 0);
    const bool pressed = IsButtonDown() != mInverted;

    int labelX = 0;
    int labelY = 0;
    if (mFont != nullptr) {
        const int labelWidth = mFont->StringWidth(mLabel);
        if (mLabelJustify == kJustifyCenter) {
            labelX = (mWidth - labelWidth) / 2;
        } else if (mLabelJustify == kJustifyRight) {
            labelX = mWidth - labelWidth;
        }
        labelY = (mHeight - mFont->GetHeight()) / 2 + mFont->GetAscent();
        g->SetFont(mFont);
    }

    const bool haveNormal = HaveButtonImage(mButtonImage, mNormalRect);
    const bool haveOver = HaveButtonImage(mOverImage, mOverRect);
    const bool haveDown = HaveButtonImage(mDownImage, mDownRect);
    Color labelColor;
    if (!haveNormal && !haveDown) {
        // The plain bevelled box.
        if (!mFrameNoDraw) {
            g->SetColor(GetColor(kColorBkg));
            g->FillRect(0, 0, mWidth, mHeight);
        }
        if (pressed) {
            if (!mFrameNoDraw) {
                g->SetColor(GetColor(kColorDarkOutline));
                g->FillRect(0, 0, mWidth - 1, 1);
                g->FillRect(0, 0, 1, mHeight - 1);
                g->SetColor(GetColor(kColorLightOutline));
                g->FillRect(0, mHeight - 1, mWidth, 1);
                g->FillRect(mWidth - 1, 0, 1, mHeight);
                g->SetColor(GetColor(kColorMediumOutline));
                g->FillRect(1, 1, mWidth - 3, 1);
                g->FillRect(1, 1, 1, mHeight - 3);
            }
            ++labelX;
            ++labelY;
        } else if (!mFrameNoDraw) {
            g->SetColor(GetColor(kColorLightOutline));
            g->FillRect(0, 0, mWidth - 1, 1);
            g->FillRect(0, 0, 1, mHeight - 1);
            g->SetColor(GetColor(kColorDarkOutline));
            g->FillRect(0, mHeight - 1, mWidth, 1);
            g->FillRect(mWidth - 1, 0, 1, mHeight);
            g->SetColor(GetColor(kColorMediumOutline));
            g->FillRect(1, mHeight - 2, mWidth - 2, 1);
            g->FillRect(mWidth - 2, 1, 1, mHeight - 2);
        }
        labelColor = GetColor(mIsOver ? kColorLabelHilite : kColorLabel);
    } else if (pressed) {
        if (haveDown) {
            DrawButtonImage(g, mDownImage, mDownRect, 0, 0);
        } else if (haveOver) {
            DrawButtonImage(g, mOverImage, mOverRect, 0, 0);
        } else {
            DrawButtonImage(g, mButtonImage, mNormalRect, 1, 1);
        }
        labelColor = GetColor(kColorLabelHilite);
    } else {
        if (mDisabled && HaveButtonImage(mDisabledImage, mDisabledRect)) {
            DrawButtonImage(g, mDisabledImage, mDisabledRect, 0, 0);
        } else if (mOverAlpha > 0.0 && haveOver) {
            if (haveNormal && mOverAlpha < 1.0) {
                DrawButtonImage(g, mButtonImage, mNormalRect, 0, 0);
            }
            g->SetColorize(true);
            g->SetColor(Color(255, 255, 255, int(mOverAlpha * 255.0)));
            DrawButtonImage(g, mOverImage, mOverRect, 0, 0);
            g->SetColorize(false);
        } else if ((mIsOver || mIsDown) && haveOver) {
            DrawButtonImage(g, mOverImage, mOverRect, 0, 0);
        } else if (haveNormal) {
            DrawButtonImage(g, mButtonImage, mNormalRect, 0, 0);
        }
        labelColor = GetColor(mIsOver ? kColorLabelHilite : kColorLabel);
    }

    g->SetColor(labelColor);
    g->DrawString(mLabel, labelX, labelY);
}

void ButtonWidget::SetDisabled(bool disabled)
{
    Widget::SetDisabled(disabled);
    if (HaveButtonImage(mDisabledImage, mDisabledRect)) {
        MarkDirty();
    }
}

void ButtonWidget::RepaintForHover()
{
    // Nothing visible changes for a button that is up, has no hover image and one label colour.
    if (!mIsDown && !HaveButtonImage(mOverImage, mOverRect) && GetColor(kColorLabel) == GetColor(kColorLabelHilite)) {
        return;
    }
    MarkDirty();
}

void ButtonWidget::MouseEnter()
{
    if (mOverAlphaFadeInSpeed == 0.0 && mOverAlpha > 0.0) {
        mOverAlpha = 0.0;
    }
    RepaintForHover();
    if (mButtonListener != nullptr) {
        mButtonListener->ButtonMouseEnter(mId);
    }
}

void ButtonWidget::MouseLeave()
{
    if (mOverAlphaSpeed == 0.0 && mOverAlpha > 0.0) {
        mOverAlpha = 0.0;
    } else if (mOverAlphaSpeed > 0.0 && mOverAlpha == 0.0) {
        mOverAlpha = 1.0; // the hover image fades out from full strength
    }
    RepaintForHover();
    if (mButtonListener != nullptr) {
        mButtonListener->ButtonMouseLeave(mId);
    }
}

void ButtonWidget::MouseMove(int x, int y)
{
    if (mButtonListener != nullptr) {
        mButtonListener->ButtonMouseMove(mId, x, y);
    }
}

void ButtonWidget::MouseDown(int /*x*/, int /*y*/, int /*button*/, int clickCount)
{
    if (mButtonListener != nullptr) {
        mButtonListener->ButtonPressClicks(mId, clickCount);
    }
    MarkDirty();
}

void ButtonWidget::MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/)
{
    if (mIsOver && mWidgetManager != nullptr && mWidgetManager->mHasFocus && mButtonListener != nullptr) {
        mButtonListener->ButtonRelease(mId);
    }
    MarkDirty();
}

void ButtonWidget::DrawButtonImage(Graphics* g, Image* image, const Rect& srcRect, int x, int y)
{
    if (srcRect.mWidth == 0) {
        g->DrawImage(image, x, y);
    } else {
        g->DrawImageSrcRect(image, x, y, srcRect);
    }
}

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
