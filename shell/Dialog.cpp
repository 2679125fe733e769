#include "shell/Dialog.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/SysFont.h"
#include "shell/DialogButton.h"
#include "shell/DialogListener.h"
#include "shell/PyxoAppBase.h"
#include "shell/WidgetManager.h"

#include <cstring>

namespace Pyxo {

namespace {

constexpr int kCursorArrow = 0;
constexpr int kCursorDragging = 2;

// Dragging keeps this much of the dialog past the screen edge at most, and the grab point this far inside.
constexpr int kDragMargin = 8;

constexpr int kDefaultColors[Dialog::kNumColors][3] = {
    {255, 255, 255}, // header text
    {255, 255, 0},   // body text
    {255, 255, 255}, // footer text
    {255, 255, 255}, // button label
    {255, 255, 255}, // button label while over
    {80, 80, 80},    // body fill of the drawn frame
    {255, 255, 255}, // outline of the drawn frame
};

int Clamp(int value, int low, int high)
{
    if (value < low) {
        return low;
    }
    return value > high ? high : value;
}

} // namespace

Dialog::Dialog(Image* componentImage, Image* buttonComponentImage, intptr_t dialogId, bool isModal,
               const std::wstring& header, const std::wstring& lines, const std::wstring& footer, int buttonMode)
    : mDialogListener(gPyxoAppBase), mComponentImage(componentImage), mDialogHeader(header), mDialogFooter(footer),
      mDialogLines(lines), mButtonMode(buttonMode),
      mButtonHeight(buttonComponentImage != nullptr ? buttonComponentImage->GetHeight() : 24), mId(dialogId),
      mIsModal(isModal)
{
    mHasTransparencies = true;
    mHasAlpha = true;
    mPriority = 1;

    if (buttonMode == kButtonModeYesNo || buttonMode == kButtonModeOkCancel) {
        mYesButton = std::make_unique<DialogButton>(buttonComponentImage, kYesButtonId, this);
        mNoButton = std::make_unique<DialogButton>(buttonComponentImage, kNoButtonId, this);
        mYesButton->mLabel = buttonMode == kButtonModeYesNo ? L"YES" : L"OK";
        mNoButton->mLabel = buttonMode == kButtonModeYesNo ? L"NO" : L"CANCEL";
    } else if (buttonMode == kButtonModeFooter) {
        mYesButton = std::make_unique<DialogButton>(buttonComponentImage, kYesButtonId, this);
        mYesButton->mLabel = footer;
    }

    // A copy per dialog: one dialog's colours never change another's.
    int colors[kNumColors][3];
    std::memcpy(colors, kDefaultColors, sizeof(colors));
    if (buttonComponentImage == nullptr) {
        // Labels on the plain grey buttons are black.
        for (const int index : {kColorButtonText, kColorButtonTextHilite}) {
            colors[index][0] = colors[index][1] = colors[index][2] = 0;
        }
    }
    // After the buttons exist, so that they take the label colours.
    SetColorsRGB(colors, kNumColors);
}

Dialog::~Dialog()
{
    for (Wait* wait = mWaits; wait != nullptr; wait = wait->mOuter) {
        wait->mResult = mResult;
        wait->mDeleted = true;
    }
}

void Dialog::AddedToManager(WidgetManager* manager)
{
    Widget::AddedToManager(manager);
    for (DialogButton* button : {mYesButton.get(), mNoButton.get()}) {
        if (button != nullptr) {
            manager->AddWidget(button);
        }
    }
}

void Dialog::RemovedFromManager(WidgetManager* manager)
{
    Widget::RemovedFromManager(manager);
    for (DialogButton* button : {mYesButton.get(), mNoButton.get()}) {
        if (button != nullptr) {
            manager->RemoveWidget(button);
        }
    }
}

void Dialog::Update()
{
    Widget::Update();
}

void Dialog::EnsureFonts()
{
    if (mHeaderFont == nullptr) {
        mHeaderFont = std::make_unique<SysFont>(GetApp(), "Arial Unicode MS", 14, 0, false, false, false);
    }
    if (mLinesFont == nullptr) {
        mLinesFont = std::make_unique<SysFont>(GetApp(), "Arial Unicode MS", 12, 0, false, false, false);
    }
}

void Dialog::Draw(Graphics* g)
{
    EnsureFonts();
    const Insets& frame = mBackgroundInsets;
    const Insets& content = mContentInsets;
    if (mComponentImage == nullptr) {
        g->SetColor(GetColorOr(kColorOutline, Color(kDefaultColors[kColorOutline])));
        g->DrawRect(12, 12, mWidth - 25, mHeight - 25);
        g->SetColor(GetColorOr(kColorBkg, Color(kDefaultColors[kColorBkg])));
        g->FillRect(13, 13, mWidth - 26, mHeight - 26);
        g->SetColor(Color(0, 0, 0, 128)); // shadow
        g->FillRect(mWidth - 12, 24, 12, mHeight - 36);
        g->FillRect(24, mHeight - 12, mWidth - 24, 12);
    } else {
        g->DrawImageTiledBox(
            Rect(frame.mLeft, frame.mTop, mWidth - frame.mRight - frame.mLeft, mHeight - frame.mBottom - frame.mTop),
            mComponentImage);
    }

    Font* headerFont = mHeaderFont.get();
    Font* linesFont = mLinesFont.get();
    int y = content.mTop + frame.mTop;
    if (!mDialogHeader.empty()) {
        const int baseline = y - headerFont->GetAscentPadding() + headerFont->GetAscent();
        g->SetFont(headerFont);
        g->SetColor(GetColor(kColorHeader));
        DrawCenteredLine(g, baseline, mDialogHeader);
        y = baseline - headerFont->GetAscent() + headerFont->GetHeight() + mSpaceAfterHeader;
    }

    g->SetFont(linesFont);
    g->SetColor(GetColor(kColorLines));
    y += DrawWrappedText(g,
                         Rect(frame.mLeft + content.mLeft + 2, y,
                              mWidth - content.mRight - frame.mLeft - content.mLeft - frame.mRight - 4, 0),
                         mDialogLines, linesFont->GetLineSpacing() + mLineSpacingOffset, mTextAlign);

    if (!mDialogFooter.empty() && mButtonMode != kButtonModeFooter) {
        y += headerFont->GetLineSpacing() + 8;
        g->SetFont(headerFont);
        g->SetColor(GetColor(kColorFooter));
        DrawCenteredLine(g, y, mDialogFooter);
    }
}

void Dialog::OnOrderChanged()
{
    if (mWidgetManager == nullptr) {
        return;
    }
    for (DialogButton* button : {mYesButton.get(), mNoButton.get()}) {
        if (button != nullptr) {
            mWidgetManager->MoveInFront(button, this);
        }
    }
}

void Dialog::SetColor(int index, const Color& color)
{
    Widget::SetColor(index, color);
    const int buttonIndex = index == kColorButtonText         ? ButtonWidget::kColorLabel
                            : index == kColorButtonTextHilite ? ButtonWidget::kColorLabelHilite
                                                              : -1;
    if (buttonIndex < 0) {
        return;
    }
    for (DialogButton* button : {mYesButton.get(), mNoButton.get()}) {
        if (button != nullptr) {
            button->SetColor(buttonIndex, color);
        }
    }
}

void Dialog::Resize(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
    const Insets& frame = mBackgroundInsets;
    const Insets& content = mContentInsets;
    const int buttonY = y + height - content.mBottom - frame.mBottom - mButtonHeight;
    if (mYesButton != nullptr && mNoButton != nullptr) {
        const int buttonWidth = (width - 2 * mButtonSidePadding - content.mRight - frame.mRight - frame.mLeft -
                                 content.mLeft - mButtonHorzSpacing) /
                                2;
        const int yesX = x + frame.mLeft + content.mLeft + mButtonSidePadding;
        mYesButton->Resize(yesX, buttonY, buttonWidth, mButtonHeight);
        mNoButton->Resize(yesX + buttonWidth + mButtonHorzSpacing, buttonY, buttonWidth, mButtonHeight);
    } else if (mYesButton != nullptr) {
        mYesButton->Resize(x + frame.mLeft + content.mLeft, buttonY,
                           width - content.mRight - frame.mRight - frame.mLeft - content.mLeft, mButtonHeight);
    }
}

void Dialog::MouseDown(int x, int y, int /*button*/, int clickCount)
{
    if (clickCount != 1) {
        return;
    }
    if (PyxoAppBase* app = GetApp()) {
        app->SetCursor(kCursorDragging);
    }
    mDragging = true;
    mDragMouseX = x;
    mDragMouseY = y;
}

void Dialog::MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/)
{
    if (!mDragging) {
        return;
    }
    if (PyxoAppBase* app = GetApp()) {
        app->SetCursor(kCursorArrow);
    }
    mDragging = false;
}

void Dialog::MouseDrag(int x, int y)
{
    if (!mDragging || mWidgetManager == nullptr) {
        return;
    }
    const int newX = Clamp(mX - mDragMouseX + x, -kDragMargin, mWidgetManager->mWidth - mWidth + kDragMargin);
    const int newY = Clamp(mY - mDragMouseY + y, -kDragMargin, mWidgetManager->mHeight - mHeight + kDragMargin);
    mDragMouseX = Clamp(mX - newX + x, kDragMargin, mWidth - kDragMargin - 1);
    mDragMouseY = Clamp(mY - newY + y, kDragMargin, mHeight - kDragMargin - 1);
    Move(newX, newY);
}

void Dialog::SetButtonFont(Font* font)
{
    for (DialogButton* button : {mYesButton.get(), mNoButton.get()}) {
        if (button != nullptr) {
            button->SetFont(font);
        }
    }
}

void Dialog::SetHeaderFont(Font* font)
{
    mHeaderFont = font != nullptr ? font->Duplicate() : nullptr;
}

void Dialog::SetLinesFont(Font* font)
{
    mLinesFont = font != nullptr ? font->Duplicate() : nullptr;
}

int Dialog::GetPreferredHeight(int width)
{
    EnsureFonts();
    const Insets& frame = mBackgroundInsets;
    const Insets& content = mContentInsets;
    int height = frame.mTop + frame.mBottom + content.mTop + content.mBottom;
    bool needSpace = false;
    if (!mDialogHeader.empty()) {
        height += mHeaderFont->GetHeight() - mHeaderFont->GetAscentPadding();
        needSpace = true;
    }
    if (!mDialogLines.empty()) {
        if (needSpace) {
            height += mSpaceAfterHeader;
        }
        Graphics g;
        g.SetFont(mLinesFont.get());
        height += GetWrappedTextHeight(&g, width - content.mRight - frame.mRight - content.mLeft - frame.mLeft - 4,
                                       mDialogLines, mLinesFont->GetLineSpacing() + mLineSpacingOffset, nullptr);
        needSpace = true;
    }
    if (!mDialogFooter.empty() && mButtonMode != kButtonModeFooter) {
        if (needSpace) {
            height += 8;
        }
        height += mHeaderFont->GetLineSpacing();
        needSpace = true;
    }
    if (mYesButton != nullptr) {
        if (needSpace) {
            height += 8;
        }
        height += 8 + mButtonHeight;
    }
    return height;
}

intptr_t Dialog::WaitForResult(bool autoClose)
{
    PyxoAppBase* app = GetApp();
    if (app == nullptr) {
        return mResult;
    }
    // Unlinked however the wait ends, a throwing step included, unless the dialog is gone.
    struct Linked {
        Dialog& dialog;
        Wait wait;
        explicit Linked(Dialog& d) : dialog(d), wait{kNoResult, false, d.mWaits} { dialog.mWaits = &wait; }
        ~Linked()
        {
            if (!wait.mDeleted)
                dialog.mWaits = wait.mOuter;
        }
    };
    const intptr_t id = mId;
    intptr_t result = kNoResult;
    {
        Linked linked(*this);
        bool updated = false;
        while (app->RunLoopStep(&updated) && !linked.wait.mDeleted && mWidgetManager != nullptr &&
               mResult == kNoResult) {
        }
        if (linked.wait.mDeleted) {
            return linked.wait.mResult; // already closed; the id may name a newer dialog by now
        }
        result = mResult;
    }
    if (autoClose) {
        app->CloseDialogBox(id); // may delete the dialog
    }
    return result;
}

void Dialog::ButtonPress(intptr_t id)
{
    if ((id == kYesButtonId || id == kNoButtonId) && mDialogListener != nullptr) {
        mDialogListener->DialogButtonPress(mId, id);
    }
}

void Dialog::ButtonRelease(intptr_t id)
{
    if (id != kYesButtonId && id != kNoButtonId) {
        return;
    }
    mResult = id;
    if (mDialogListener != nullptr) {
        mDialogListener->DialogButtonRelease(mId, id);
    }
}

} // namespace Pyxo
