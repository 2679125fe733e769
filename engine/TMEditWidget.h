#pragma once

#include "engine/TMCandyWidget.h"
#include "engine/TMTexture.h"
#include "engine/TextureHandle.h"
#include "graphics/Color.h"
#include "graphics/Rect.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace Pyxo {
class Font;
class Graphics;
class MemoryImage;
class PyxoAppBase;
} // namespace Pyxo

/// The one-line text entry of the interface description ("tmedit"), used for short names: at most 15 characters,
/// a blinking caret, a selection, horizontal scrolling that keeps the caret in view, keyboard editing with
/// clipboard copy, cut and paste and a one-step undo, and mouse selection (drag, double-click on a word). Enter
/// and Escape also reach the screen that holds the control's dialog. Text attribute index: 0 shadow, 1 stroke,
/// 2 normal; the normal font measures the text. Fonts are borrowed; the backgrounds and the text image are owned.
/// Main thread.
class TMEditWidget : public TMCandyWidget {
public:
    static constexpr int kMaxLength = 15;
    static constexpr int kBlinkPeriod = 40; // updates per blink phase

    explicit TMEditWidget(TMCandyWidget* parent);
    ~TMEditWidget() override;

    // Pyxo::Widget and TMCandyWidget
    void MarkDirty() override; // also invalidates the text image
    void Update() override;
    void Draw(Pyxo::Graphics* g) override;
    void Resize(int x, int y, int width, int height) override;
    [[nodiscard]] bool WantsFocus() const override { return true; }
    void GotFocus() override;
    void LostFocus() override;
    void KeyChar(wchar_t character) override;
    void KeyDown(int key) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseUp(int x, int y, int button, int clickCount) override;
    void MouseUpXY(int /*x*/, int /*y*/) override {}
    void MouseDrag(int x, int y) override;
    /// Only the two backgrounds: the texture sets under texture ids are not used by this control.
    void Activate() override;
    void Deactivate() override;

    /// One key (character 0) or one character (key 0).
    virtual void ProcessKey(int key, wchar_t character);
    /// Selects the word around the caret.
    virtual void SelectWord();
    virtual void Load(pugi::xml_node node, Pyxo::PyxoAppBase* app);
    /// State 0 normal, 1 disabled; other states are ignored.
    virtual void SetStateTexture(int state, const TextureHandle& texture, const Pyxo::Rect& rect);
    virtual void SetTextureAll(const TextureHandle& texture);
    /// index 0 shadow, 1 stroke, 2 normal; other indexes are ignored.
    virtual void SetTextAttr(int index, Pyxo::Font* font, const Pyxo::Color& color, const Pyxo::Color& highlightColor);
    /// Selects the whole new text (the caret at its end), so the first character typed replaces it. keepScroll
    /// shows the text from its start; otherwise it scrolls to the caret.
    virtual void SetText(const std::wstring& text, bool keepScroll);
    [[nodiscard]] virtual bool IsWordChar(wchar_t character) const;
    /// The caret index for a point in the control's coordinates.
    [[nodiscard]] virtual int GetCharIndexAt(int x, int y);
    /// Moves the first shown character until the caret is in view; fast moves ten characters a step.
    virtual void ScrollToCaret(bool fast);

    [[nodiscard]] const std::wstring& GetText() const { return mText; }
    /// Below 0 no limit besides the fixed 15 characters.
    void SetMaxChars(int maxChars) { mMaxChars = maxChars; }
    /// Widest text in pixels measured with the normal font; below 1 no limit.
    void SetMaxWidth(int maxWidth) { mMaxWidth = maxWidth; }
    /// When not 0 the control shows (and copies) this character in place of each character of the text.
    void SetMaskChar(wchar_t maskChar);

    [[nodiscard]] int GetCaret() const { return mCaret; }
    [[nodiscard]] int GetAnchor() const { return mAnchor; } // -1 without a selection
    [[nodiscard]] int GetFirstVisible() const { return mFirstVisible; }
    [[nodiscard]] bool IsCaretOn() const { return mCaretOn; }

private:
    /// A selection spans at least one character.
    [[nodiscard]] bool HasSelection() const { return mAnchor >= 0 && mAnchor != mCaret; }
    [[nodiscard]] int SelectionStart() const { return std::min(mAnchor, mCaret); }
    [[nodiscard]] int SelectionEnd() const { return std::max(mAnchor, mCaret); }
    void RemoveSelection();
    /// Width of displayText from index `from` up to `to` (excluded) with the normal font; 0 for an empty span.
    [[nodiscard]] int DisplayWidth(int from, int to);
    [[nodiscard]] int Length() const { return static_cast<int>(mText.size()); }
    void UpdateDisplayText();
    void CopySelection();
    /// Returns whether the text changed.
    bool Paste();
    bool TypeCharacter(wchar_t character);
    [[nodiscard]] bool IsTypingKey(int key) const;
    void RebuildTextImage();

    std::wstring mText;
    std::wstring mDisplayText;                     // the text, or the mask character for each of its characters
    std::array<Pyxo::Font*, 3> mFonts{};           // borrowed
    std::array<Pyxo::Color, 3> mColors{};          // text outside the selection
    std::array<Pyxo::Color, 3> mHighlightColors{}; // text inside the selection and under the caret
    Pyxo::Color mHiliteColor;                      // background of the selection and of the caret
    std::array<TMTexture, 2> mBackgrounds;         // normal, disabled
    std::unique_ptr<Pyxo::MemoryImage> mTextImage; // cache of the rendered text
    bool mImageValid = false;
    bool mCaretOn = false;
    bool mWordSelectPending = false; // a double click is selecting a word
    int mCaret = 0;
    int mAnchor = -1;
    int mBlinkCounter = 0;
    int mBlinkPeriod = kBlinkPeriod;
    int mFirstVisible = 0;
    int mMaxChars = -1;
    int mMaxWidth = -1;
    wchar_t mMaskChar = 0;
    std::wstring mUndoText; // the content before the last undoable edit
    int mUndoCaret = 0;
    int mUndoAnchor = 0;
    int mLastTypedAt = 0; // joins a run of typing, Deletes or Backspaces into one undo step
};
