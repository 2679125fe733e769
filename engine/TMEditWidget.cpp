#include "engine/TMEditWidget.h"

#include "engine/CursorTable.h"
#include "engine/TMEngine.h"
#include "engine/TextAttr.h"
#include "engine/XmlConfig.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/window/Utf16Conversion.h"
#include "platform/window/VirtualKeys.h"
#include "shell/PyxoAppBase.h"
#include "shell/WidgetManager.h"

namespace {

constexpr int kNormal = 2; // the text attribute that measures the text
constexpr int kMargin = 4; // the text starts 4 pixels in and ends 4 pixels before the right edge

const Pyxo::Color kOpaqueBlack(0, 0, 0, 255);

void SetCursor(const char* name)
{
    TMEngine* engine = TMEngine::GetEngine();
    if (engine && engine->GetCursorTable())
        engine->GetCursorTable()->Set(name);
}

} // namespace

TMEditWidget::TMEditWidget(TMCandyWidget* parent) : TMCandyWidget(parent)
{
    mColors.fill(kOpaqueBlack);
    mHighlightColors.fill(kOpaqueBlack);
    mHiliteColor = kOpaqueBlack;
}

TMEditWidget::~TMEditWidget() = default;

void TMEditWidget::MarkDirty()
{
    WidgetContainer::MarkDirty();
    mImageValid = false;
}

void TMEditWidget::Update()
{
    TMCandyWidget::Update();
    if (!mHasFocus)
        return;
    if (++mBlinkCounter > mBlinkPeriod) {
        MarkDirty();
        mBlinkCounter = 0;
        mCaretOn = !mCaretOn;
    }
}

void TMEditWidget::Draw(Pyxo::Graphics* g)
{
    float alpha = 1.0f;
    for (const TMCandyWidget* widget = this; widget; widget = widget->GetLogicalParent())
        alpha *= widget->mAlpha;
    g->SetColor(Pyxo::Color(255, 255, 255, static_cast<int>(255.0f * alpha)));
    g->SetColorize(true);
    TMTexture& disabled = mBackgrounds[1];
    TMTexture& background = mDisabled && !disabled.mFrames.empty() ? disabled : mBackgrounds[0];
    background.Draw(g, Pyxo::Rect(0, 0, mWidth, mHeight));

    const int imageWidth = mLayoutRect.mWidth;
    const int imageHeight = mLayoutRect.mHeight;
    if (imageWidth <= 0 || imageHeight <= 0)
        return;
    if (!mTextImage || mTextImage->mWidth != imageWidth || mTextImage->mHeight != imageHeight) {
        mTextImage = std::make_unique<Pyxo::MemoryImage>();
        mTextImage->Create(imageWidth, imageHeight);
        mImageValid = false;
    }
    if (!mImageValid)
        RebuildTextImage();
    g->DrawImageStretchedSrcRect(mTextImage.get(), Pyxo::Rect(0, 0, mWidth, mHeight),
                                 Pyxo::Rect(0, 0, imageWidth, imageHeight));
}

void TMEditWidget::RebuildTextImage()
{
    mImageValid = true;
    mTextImage->Clear();
    Pyxo::Graphics ig(mTextImage.get());
    const std::wstring shown = mDisplayText.substr(static_cast<size_t>(std::min(mFirstVisible, Length())));
    const auto drawLayers = [&](const std::array<Pyxo::Color, 3>& colors) {
        for (int i = 0; i < 3; ++i) {
            Pyxo::Font* font = mFonts[static_cast<size_t>(i)];
            if (!font)
                continue;
            ig.SetFont(font);
            ig.SetColor(colors[static_cast<size_t>(i)]);
            ig.DrawString(shown, kMargin, font->GetAscent() + (mHeight - font->GetHeight()) / 2);
        }
    };

    ig.SetClipRect(kMargin, 0, mWidth - 2 * kMargin, mHeight);
    drawLayers(mColors);

    // The caret and the selection: the same text in the highlight colours over a filled span. A caret in its
    // off phase is a span of width 0.
    Pyxo::Font* normal = mFonts[kNormal];
    if (!normal)
        return;
    const int limit = std::max(0, mWidth - 2 * kMargin);
    const int firstX = DisplayWidth(0, mFirstVisible);
    const int caretX = DisplayWidth(0, mCaret) - firstX;
    const int c = std::clamp(caretX + (mCaretOn ? 0 : 2), 0, limit);
    const int s = std::clamp(HasSelection() ? DisplayWidth(0, mAnchor) - firstX : caretX + 2, 0, limit);
    const int left = std::min(c, s);
    ig.SetClipRect(kMargin + left, (mHeight - normal->GetHeight()) / 2, std::max(c, s) - left, normal->GetHeight());
    if (mHasFocus) {
        ig.SetColor(mHiliteColor);
        ig.FillRect(kMargin + left, 0, std::max(c, s) - left, mHeight);
    }
    drawLayers(mHighlightColors);
}

void TMEditWidget::Resize(int x, int y, int width, int height)
{
    TMCandyWidget::Resize(x, y, width, height);
    mTextImage.reset();
    ScrollToCaret(false);
}

void TMEditWidget::GotFocus()
{
    Widget::GotFocus();
    // A Tablet PC's system caret would follow the control here; this system has none.
    mCaretOn = true;
    mBlinkCounter = 0;
    MarkDirty();
}

void TMEditWidget::LostFocus()
{
    Widget::LostFocus();
    mCaretOn = false;
    MarkDirty();
}

void TMEditWidget::KeyChar(wchar_t character)
{
    ProcessKey(0, character);
}

bool TMEditWidget::IsTypingKey(int key) const
{
    using namespace Platform;
    const auto in = [key](uint32_t first, uint32_t last) {
        return key >= static_cast<int>(first) && key <= static_cast<int>(last);
    };
    return key == static_cast<int>(VK_SPACE) || in('0', '9') || in('A', 'Z') || in(VK_NUMPAD0, VK_DIVIDE) ||
           in(VK_OEM_1, VK_OEM_3) || in(VK_OEM_4, VK_OEM_7) || key == static_cast<int>(VK_OEM_102);
}

void TMEditWidget::KeyDown(int key)
{
    // A key that types a character leaves the work to its character, which follows: handling the key here would
    // end the selection first, and the character would then be appended instead of replacing it.
    if (!IsTypingKey(key))
        ProcessKey(key, 0);
    Widget::KeyDown(key);
}

void TMEditWidget::MouseEnter()
{
    SetCursor("text");
}

void TMEditWidget::MouseLeave()
{
    SetCursor("normal");
}

void TMEditWidget::MouseDown(int x, int y, int /*button*/, int clickCount)
{
    mAnchor = -1;
    mCaret = GetCharIndexAt(x, y);
    if (clickCount > 1) {
        mWordSelectPending = true;
        SelectWord();
    }
    MarkDirty();
    ScrollToCaret(false);
}

void TMEditWidget::MouseUp(int x, int y, int /*button*/, int /*clickCount*/)
{
    if (mAnchor == mCaret)
        mAnchor = -1;
    if (mWordSelectPending) {
        mAnchor = -1;
        mCaret = GetCharIndexAt(x, y);
        mWordSelectPending = false;
        SelectWord();
    }
    MarkDirty();
}

void TMEditWidget::MouseDrag(int x, int y)
{
    if (mAnchor < 0)
        mAnchor = mCaret;
    mCaret = GetCharIndexAt(x, y);
    MarkDirty();
    ScrollToCaret(false);
}

void TMEditWidget::Activate()
{
    for (TMTexture& background : mBackgrounds)
        background.AcquireAll();
}

void TMEditWidget::Deactivate()
{
    for (TMTexture& background : mBackgrounds)
        background.ReleaseAll();
    mTextImage.reset();
}

void TMEditWidget::RemoveSelection()
{
    const int start = SelectionStart();
    mText.erase(static_cast<size_t>(start), static_cast<size_t>(SelectionEnd() - start));
    mCaret = start;
    mAnchor = -1;
}

void TMEditWidget::CopySelection()
{
    Pyxo::PyxoAppBase* app = GetApp();
    if (!app)
        return;
    const int start = SelectionStart();
    const std::wstring part =
        mDisplayText.substr(static_cast<size_t>(start), static_cast<size_t>(SelectionEnd() - start));
    app->CopyToClipboard(Platform::Utf16ToUtf8(part));
}

bool TMEditWidget::Paste()
{
    Pyxo::PyxoAppBase* app = GetApp();
    Pyxo::Font* font = mFonts[kNormal];
    if (!app || !font)
        return false;
    std::wstring pasted;
    for (const wchar_t character : Platform::Utf8ToUtf16(app->GetClipboardText())) {
        if (character == L'\r' || character == L'\n')
            break;
        if (font->CharWidth(character) > 0)
            pasted += character;
    }
    if (HasSelection()) {
        RemoveSelection();
    } else if (pasted.empty() || Length() + static_cast<int>(pasted.size()) >= kMaxLength) {
        return false;
    }
    mText.insert(static_cast<size_t>(mCaret), pasted);
    mCaret += static_cast<int>(pasted.size());
    return true;
}

bool TMEditWidget::TypeCharacter(wchar_t character)
{
    Pyxo::PyxoAppBase* app = GetApp();
    const wchar_t last = app && app->mUnicodeWindows ? wchar_t(0xFFFF) : wchar_t(127);
    Pyxo::Font* font = mFonts[kNormal];
    if (character < 32 || character > last || !font || font->CharWidth(character) <= 0)
        return false;
    if (HasSelection())
        RemoveSelection();
    else if (Length() >= kMaxLength)
        return false;
    mText.insert(static_cast<size_t>(mCaret), 1, character);
    ++mCaret;
    mAnchor = -1;
    return true;
}

void TMEditWidget::ProcessKey(int key, wchar_t character)
{
    using namespace Platform;
    mTextImage.reset();
    if (key == static_cast<int>(VK_SHIFT) || key == static_cast<int>(VK_CONTROL))
        return;
    if (key == static_cast<int>(VK_RETURN) || key == static_cast<int>(VK_ESCAPE)) {
        // The screen holding this control's dialog decides what Enter and Escape do.
        if (auto* screen = mParent ? dynamic_cast<Pyxo::Widget*>(mParent->mParent) : nullptr)
            screen->KeyDown(key);
    }

    const bool shift = mWidgetManager && mWidgetManager->mKeyDown[VK_SHIFT];
    const bool ctrl = mWidgetManager && mWidgetManager->mKeyDown[VK_CONTROL];
    const std::wstring beforeText = mText;
    const int beforeCaret = mCaret;
    const int beforeAnchor = mAnchor;
    if (shift && mAnchor < 0)
        mAnchor = mCaret;

    bool newStep = false;
    if (character != 0) {
        if ((character == 3 || character == 24) && HasSelection()) {
            CopySelection();
            if (character == 24) {
                RemoveSelection();
                newStep = true;
            }
        } else if (character == 22) {
            newStep = Paste();
        } else if (character == 26) {
            std::swap(mText, mUndoText);
            std::swap(mCaret, mUndoCaret);
            std::swap(mAnchor, mUndoAnchor);
            mLastTypedAt = -1;
        } else {
            const bool overSelection = HasSelection();
            const int at = mCaret;
            if (TypeCharacter(character)) {
                newStep = overSelection || at != mLastTypedAt + 1;
                mLastTypedAt = overSelection ? mCaret - 1 : at;
            }
        }
    } else if (key == static_cast<int>(VK_LEFT)) {
        if (ctrl) {
            while (mCaret > 0 && !IsWordChar(mText[static_cast<size_t>(mCaret - 1)]))
                --mCaret;
            while (mCaret > 0 && IsWordChar(mText[static_cast<size_t>(mCaret - 1)]))
                --mCaret;
        } else if (!shift && HasSelection()) {
            mCaret = SelectionStart();
        } else {
            --mCaret;
        }
    } else if (key == static_cast<int>(VK_RIGHT)) {
        if (ctrl) {
            while (mCaret < Length() && IsWordChar(mText[static_cast<size_t>(mCaret)]))
                ++mCaret;
            while (mCaret < Length() && !IsWordChar(mText[static_cast<size_t>(mCaret)]))
                ++mCaret;
        } else if (!shift && HasSelection()) {
            mCaret = SelectionEnd();
        } else {
            ++mCaret;
        }
    } else if (key == static_cast<int>(VK_BACK) && !mText.empty()) {
        if (HasSelection()) {
            RemoveSelection();
            newStep = true;
            mLastTypedAt = mCaret - 1;
        } else if (mCaret > 0 && mCaret <= Length()) {
            --mCaret;
            mText.erase(static_cast<size_t>(mCaret), 1);
            newStep = mCaret != mLastTypedAt;
            mLastTypedAt = mCaret - 1;
        }
    } else if (key == static_cast<int>(VK_DELETE) && !mText.empty()) {
        if (HasSelection()) {
            RemoveSelection();
            newStep = true;
            mLastTypedAt = mCaret;
        } else if (mCaret >= 0 && mCaret < Length()) {
            mText.erase(static_cast<size_t>(mCaret), 1);
            newStep = mCaret != mLastTypedAt;
            mLastTypedAt = mCaret;
        }
    } else if (key == static_cast<int>(VK_HOME)) {
        mCaret = 0;
    } else if (key == static_cast<int>(VK_END)) {
        mCaret = Length();
    }

    // The limits hold after every key, whichever way the text changed.
    if (mMaxChars >= 0 && Length() > mMaxChars)
        mText.resize(static_cast<size_t>(mMaxChars));
    if (mMaxWidth >= 1 && mFonts[kNormal]) {
        while (!mText.empty() && mFonts[kNormal]->StringWidth(mText) > mMaxWidth)
            mText.pop_back();
    }
    if (Length() > kMaxLength)
        mText.resize(kMaxLength);
    UpdateDisplayText();
    mCaret = std::clamp(mCaret, 0, Length());
    if (mAnchor > Length())
        mAnchor = Length();
    if (mCaret != beforeCaret) {
        mBlinkCounter = 0;
        mCaretOn = true;
    }
    ScrollToCaret(true);
    if (!shift || mAnchor == mCaret)
        mAnchor = -1;
    // A key whose edit the limits took back again is no step of its own.
    if (newStep && mText != beforeText) {
        mUndoText = beforeText;
        mUndoCaret = beforeCaret;
        mUndoAnchor = beforeAnchor;
    }
    MarkDirty();
}

void TMEditWidget::SelectWord()
{
    mAnchor = mCaret;
    while (mAnchor > 0 && IsWordChar(mDisplayText[static_cast<size_t>(mAnchor - 1)]))
        --mAnchor;
    // To the end of the word the caret stands in; a caret just past a word stays there instead of running on
    // into the next word.
    while (mCaret < static_cast<int>(mDisplayText.size()) && IsWordChar(mDisplayText[static_cast<size_t>(mCaret)]))
        ++mCaret;
}

void TMEditWidget::Load(pugi::xml_node node, Pyxo::PyxoAppBase* /*app*/)
{
    LoadCommon(node);
    std::string hilite;
    mHiliteColor = XmlGetAttrString(node, "hilite_color", hilite) ? ParseHexColor(hilite) : kOpaqueBlack;
    static const struct {
        const char* query;
        int index;
    } kAttrs[] = {
        {"textattr[@id='normal']", 2},
        {"textattr[@id='stroke']", 1},
        {"textattr[@id='shadow']", 0},
    };
    for (const auto& attr : kAttrs) {
        const pugi::xml_node textAttr = XmlSelectNode(node, attr.query);
        if (!textAttr)
            continue;
        const TextAttr read = TextAttr::Read(textAttr);
        SetTextAttr(attr.index, read.font, read.color, read.hoverColor);
    }
    if (const pugi::xml_node texture = XmlSelectNode(node, "texture[@id='normal']"))
        mBackgrounds[0].Load(texture, mWidth, mHeight);
    if (const pugi::xml_node texture = XmlSelectNode(node, "texture[@id='disabled']"))
        mBackgrounds[1].Load(texture, mWidth, mHeight);
}

void TMEditWidget::SetStateTexture(int state, const TextureHandle& texture, const Pyxo::Rect& rect)
{
    if (state != 0 && state != 1)
        return;
    TMTexture& background = mBackgrounds[static_cast<size_t>(state)];
    background.SetFrame(texture);
    background.mSourceRect = rect;
}

void TMEditWidget::SetTextureAll(const TextureHandle& texture)
{
    for (TMTexture& background : mBackgrounds)
        background.SetFrame(texture);
}

void TMEditWidget::SetTextAttr(int index, Pyxo::Font* font, const Pyxo::Color& color, const Pyxo::Color& highlightColor)
{
    if (index < 0 || index > 2)
        return;
    const auto i = static_cast<size_t>(index);
    mFonts[i] = font;
    mColors[i] = color;
    mHighlightColors[i] = highlightColor;
    mImageValid = false;
}

void TMEditWidget::SetText(const std::wstring& text, bool keepScroll)
{
    mText = text.substr(0, kMaxLength);
    UpdateDisplayText();
    mCaret = Length();
    mAnchor = 0;
    if (keepScroll)
        mFirstVisible = 0;
    else
        ScrollToCaret(true);
    mImageValid = false;
    MarkDirty();
}

void TMEditWidget::SetMaskChar(wchar_t maskChar)
{
    mMaskChar = maskChar;
    UpdateDisplayText();
    MarkDirty();
}

void TMEditWidget::UpdateDisplayText()
{
    mDisplayText = mMaskChar != 0 ? std::wstring(mText.size(), mMaskChar) : mText;
}

bool TMEditWidget::IsWordChar(wchar_t character) const
{
    return (character >= L'A' && character <= L'Z') || (character >= L'a' && character <= L'z') ||
           (character >= L'0' && character <= L'9') || (character >= 0x0410 && character <= 0x044F) ||
           character == L'_';
}

int TMEditWidget::DisplayWidth(int from, int to)
{
    Pyxo::Font* font = mFonts[kNormal];
    from = std::clamp(from, 0, static_cast<int>(mDisplayText.size()));
    to = std::clamp(to, 0, static_cast<int>(mDisplayText.size()));
    if (!font || to <= from)
        return 0;
    return font->StringWidth(mDisplayText.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
}

int TMEditWidget::GetCharIndexAt(int x, int /*y*/)
{
    int index = 0;
    for (int i = mFirstVisible; i < static_cast<int>(mDisplayText.size()); ++i) {
        const int a = DisplayWidth(mFirstVisible, i);
        const int b = DisplayWidth(mFirstVisible, i + 1);
        if (x >= (a + b) / 2 + 5)
            index = i + 1;
    }
    return index;
}

void TMEditWidget::ScrollToCaret(bool fast)
{
    const int step = fast ? 10 : 1;
    while (mCaret < mFirstVisible) {
        mFirstVisible = std::max(0, mFirstVisible - step);
        MarkDirty();
    }
    if (!mFonts[kNormal])
        return;
    const int room = mWidth - 2 * kMargin;
    // The first shown character stays at or before the caret, so the caret stays in view, and the loop ends
    // when it cannot advance, however wide the glyph before the caret.
    const int last = std::min(Length() - 1, mCaret);
    while (room > 0 && DisplayWidth(mFirstVisible, mCaret) >= room && mFirstVisible < last) {
        mFirstVisible = std::min(mFirstVisible + step, last);
        MarkDirty();
    }
}
