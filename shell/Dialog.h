#pragma once

#include "shell/ButtonListener.h"
#include "shell/Widget.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Pyxo {

class DialogButton;
class DialogListener;
class Font;
class Graphics;
class Image;
class PyxoAppBase;
class WidgetManager;

/// The framework's message dialog: a draggable panel with a header line, word-wrapped body lines, an optional
/// footer line and one or two buttons. It reports its buttons to a DialogListener (by default the application)
/// and can run nested loop steps until a button is released. Owns its buttons and fonts; the component images
/// are borrowed. Its buttons are top-level widgets of the manager, kept directly above the dialog.
/// Main thread only.
class Dialog : public Widget, public ButtonListener {
public:
    static constexpr int kButtonModeNone = 0;
    static constexpr int kButtonModeYesNo = 1;
    static constexpr int kButtonModeOkCancel = 2;
    static constexpr int kButtonModeFooter = 3; // one button labelled with the footer

    static constexpr intptr_t kYesButtonId = 1000; // also OK and the single button
    static constexpr intptr_t kNoButtonId = 1001;  // also cancel
    static constexpr intptr_t kNoResult = 0x7FFFFFFF;

    /// Colour table indices.
    static constexpr int kColorHeader = 0;
    static constexpr int kColorLines = 1;
    static constexpr int kColorFooter = 2;
    static constexpr int kColorButtonText = 3;
    static constexpr int kColorButtonTextHilite = 4;
    static constexpr int kColorBkg = 5;
    static constexpr int kColorOutline = 6;
    static constexpr int kNumColors = 7;

    Dialog(Image* componentImage, Image* buttonComponentImage, intptr_t dialogId, bool isModal,
           const std::wstring& header, const std::wstring& lines, const std::wstring& footer, int buttonMode);
    ~Dialog() override;

    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void OnOrderChanged() override;
    void SetColor(int index, const Color& color) override;
    void Resize(int x, int y, int width, int height) override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseUp(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;

    /// Borrowed; handed to both buttons.
    virtual void SetButtonFont(Font* font);
    /// The dialog keeps its own copy of the font.
    virtual void SetHeaderFont(Font* font);
    virtual void SetLinesFont(Font* font);
    [[nodiscard]] virtual int GetPreferredHeight(int width);
    [[nodiscard]] virtual bool IsModal() const { return mIsModal; }
    /// Runs the application's loop steps until a button is released, the loop ends or the dialog leaves the
    /// manager; with autoClose the application then closes the dialog. Returns the released button's id, or
    /// kNoResult. A step may close and delete the dialog: the wait then ends with the result it had.
    virtual intptr_t WaitForResult(bool autoClose);

    // ButtonListener, for the dialog's own buttons.
    void ButtonPress(intptr_t id) override;
    void ButtonRelease(intptr_t id) override;

    DialogListener* mDialogListener; // borrowed; the application by default
    Image* mComponentImage;          // borrowed; null draws the frame
    std::unique_ptr<DialogButton> mYesButton;
    std::unique_ptr<DialogButton> mNoButton;
    std::wstring mDialogHeader;
    std::wstring mDialogFooter;
    std::wstring mDialogLines;
    int mButtonMode;
    std::unique_ptr<Font> mHeaderFont; // made on demand
    std::unique_ptr<Font> mLinesFont;
    int mTextAlign = 0;
    int mLineSpacingOffset = 0;
    int mButtonHeight;
    Insets mBackgroundInsets;              // where the frame or background is drawn
    Insets mContentInsets{24, 24, 24, 24}; // margin of text and buttons inside the frame insets
    int mSpaceAfterHeader = 10;
    bool mDragging = false;
    int mDragMouseX = 0; // where the drag holds the dialog, in its coordinates
    int mDragMouseY = 0;
    intptr_t mId;
    bool mIsModal;
    intptr_t mResult = kNoResult;
    int mButtonHorzSpacing = 8;
    int mButtonSidePadding = 0;

private:
    // What a running wait learns of its dialog: the destructor fills it in, so that a wait whose step deleted the
    // dialog never touches it again. Waits nest, innermost first.
    struct Wait {
        intptr_t mResult = kNoResult;
        bool mDeleted = false;
        Wait* mOuter = nullptr;
    };

    void EnsureFonts();

    Wait* mWaits = nullptr; // borrowed from the running WaitForResult calls
};

} // namespace Pyxo
