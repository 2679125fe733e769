#include "engine/TMButton.h"

#include "engine/ControlDrawing.h"
#include "engine/CursorTable.h"
#include "engine/TMEngine.h"
#include "engine/TMSoundManager.h"
#include "engine/TMTexture.h"
#include "engine/XmlConfig.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "shell/ButtonListener.h"
#include "shell/WidgetManager.h"

namespace {

/// A set that has a first frame to show.
bool HasFrames(const TMTexture* set)
{
    return set && !set->mFrames.empty() && set->mFrames.front().GetRecord() != nullptr;
}

} // namespace

TMButton::TMButton(TMCandyWidget* parent, intptr_t id, Pyxo::ButtonListener* listener)
    : TMCandyWidget(parent), mId(id), mListener(listener)
{
    mHasAlpha = true;
}

TMButton::~TMButton() = default;

void TMButton::Update()
{
    TMCandyWidget::Update();

    TMTexture* normal = GetTexture(kNormal, 0);
    TMTexture* over = GetTexture(kOver, 0);
    TMTexture* down = GetTexture(kDown, 0);
    TMTexture* disabled = GetTexture(kDisabled, 0);
    for (TMTexture* set : {disabled, down, over, normal}) {
        if (set)
            set->mShown = false;
    }
    const auto show = [](TMTexture* set) {
        if (set)
            set->mShown = true;
    };

    if (disabled)
        disabled->mShown = mDisabled;
    if (!mDisabled) {
        const bool overShowsAlone = HasFrames(over) && !over->mAdditive;
        if (mIsDown) {
            if (HasFrames(down))
                show(down);
            else if (overShowsAlone)
                show(over);
            else
                show(normal);
        } else if (mIsOver) {
            if (overShowsAlone) {
                show(over);
            } else {
                show(normal);
                // An additive over set lights the normal one up.
                if (over && over->mAdditive)
                    show(over);
            }
        } else {
            show(normal);
            if (HasFrames(over)) {
                over->mCurrentFrame = 0;
                over->mAccumulator = 0.0f;
            }
        }
    }

    if (mIsDown && mIsOver && mListener)
        mListener->ButtonHeldTick(mId);
}

void TMButton::Draw(Pyxo::Graphics* g)
{
    ControlDrawing::SetFadedWhite(g, *this);
    TMCandyWidget::Draw(g);
    if (mLabel.empty() || mLayoutRect.mWidth <= 0 || mLayoutRect.mHeight <= 0)
        return;
    if (ControlDrawing::FitCacheImage(mLabelImage, mLayoutRect, nullptr))
        mLabelImageValid = false;
    if (!mLabelImageValid)
        RenderLabel();
    ControlDrawing::DrawThroughWorld(g, *this, mLabelImage.get());
}

void TMButton::RenderLabel()
{
    mLabelImageValid = true;
    mLabelImage->Clear();
    // 0 centres, 1 puts the label at the bottom, any other value at the top.
    const int vAlign = mVAlign == 0 || mVAlign == 1 ? mVAlign : -1;
    ControlDrawing::WriteLayeredText(mLabelImage.get(), mTextAttrs, mLayoutRect, mHOffset, vAlign, mLabel, mLineSpacing,
                                     mJustify, mDisabled);
}

void TMButton::MouseEnter()
{
    MarkDirty();
    if (mListener)
        mListener->ButtonMouseEnter(mId);
    SelectCursor("active");
    PlaySound(mHoverSound);
    mLabelImageValid = false;
}

void TMButton::MouseLeave()
{
    MarkDirty();
    if (mListener)
        mListener->ButtonMouseLeave(mId);
    SelectCursor("normal");
    mLabelImageValid = false;
}

void TMButton::MouseMove(int x, int y)
{
    if (mListener)
        mListener->ButtonMouseMove(mId, x, y);
}

void TMButton::MouseDown(int /*x*/, int /*y*/, int /*button*/, int clickCount)
{
    if (!mDisabled) {
        if (mListener)
            mListener->ButtonPressClicks(mId, clickCount);
        PlaySound(mClickSound);
    }
    MarkDirty();
    mLabelImageValid = false;
}

void TMButton::MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/)
{
    // A release outside the button, or while another window has the input, is no click.
    const bool appHasFocus = !mWidgetManager || mWidgetManager->mHasFocus;
    if (mIsOver && appHasFocus && mListener)
        mListener->ButtonRelease(mId);
    MarkDirty();
    mLabelImageValid = false;
}

void TMButton::Activate()
{
    TMCandyWidget::Activate();
}

void TMButton::Deactivate()
{
    TMCandyWidget::Deactivate();
    mLabelImage.reset();
}

void TMButton::Load(pugi::xml_node node, Pyxo::PyxoAppBase* /*app*/)
{
    LoadCommon(node);

    std::string labelId;
    SetLabel(XmlGetAttrString(node, "label", labelId) ? TMEngine::GetLocText(labelId) : std::wstring());

    mLineSpacing = -1;
    XmlGetAttrInt(node, "line_spacing", mLineSpacing);
    mJustify = XmlReadInt(node, "justify");
    mVAlign = XmlReadInt(node, "valign");
    mHOffset = XmlReadInt(node, "hoffset");
    XmlGetAttrString(node, "snd_hover", mHoverSound);
    XmlGetAttrString(node, "snd_click", mClickSound);

    static constexpr struct {
        const char* query;
        int id;
    } kStates[] = {
        {"texture[@id='normal']", kNormal},
        {"texture[@id='over']", kOver},
        {"texture[@id='down']", kDown},
        {"texture[@id='disabled']", kDisabled},
    };
    for (const auto& state : kStates) {
        if (pugi::xml_node textureNode = XmlSelectNode(node, state.query)) {
            auto* texture = new TMTexture();
            texture->Load(textureNode, mWidth, mHeight);
            AddTexture(state.id, texture);
        }
    }

    static constexpr struct {
        const char* query;
        int layer;
    } kLayersRead[] = {
        {"textattr[@id='normal']", kText},
        {"textattr[@id='stroke']", kStroke},
        {"textattr[@id='shadow']", kShadow},
    };
    for (const auto& layer : kLayersRead) {
        if (pugi::xml_node attrNode = XmlSelectNode(node, layer.query)) {
            const TextAttr attr = TextAttr::Read(attrNode);
            SetTextAttr(layer.layer, attr.font, attr.color, attr.hoverColor, attr.disabledColor);
        }
    }
}

void TMButton::SetTextAttr(int index, Pyxo::Font* font, const Pyxo::Color& color, const Pyxo::Color& hoverColor,
                           const Pyxo::Color& disabledColor)
{
    if (index < 0 || index >= kLayers)
        return;
    mTextAttrs[size_t(index)] = TextAttr{font, color, hoverColor, disabledColor};
    MarkDirty();
}

void TMButton::SetTextureAll(const TextureHandle& texture)
{
    for (int state = kNormal; state <= kDisabled; ++state) {
        if (TMTexture* set = GetTexture(state, 0))
            set->SetFrame(texture);
    }
    MarkDirty();
}

void TMButton::SetStateTexture(const TextureHandle& texture, int state)
{
    if (TMTexture* set = GetTexture(state, 0)) {
        set->SetFrame(texture);
        MarkDirty();
    }
}

void TMButton::SetLabel(const std::wstring& label)
{
    mLabel = label;
    mLabelImageValid = false;
}

void TMButton::PlaySound(const std::string& name)
{
    const TMEngine* engine = TMEngine::GetEngine();
    if (!name.empty() && engine && engine->GetSoundRegistry())
        engine->GetSoundRegistry()->Play(name);
}

void TMButton::SelectCursor(const std::string& name)
{
    const TMEngine* engine = TMEngine::GetEngine();
    if (engine && engine->GetCursorTable())
        engine->GetCursorTable()->Set(name);
}
