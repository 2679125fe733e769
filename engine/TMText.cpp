#include "engine/TMText.h"

#include "engine/ControlDrawing.h"
#include "engine/TMEngine.h"
#include "engine/TMTexture.h"
#include "engine/TextVars.h"
#include "engine/XmlConfig.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

namespace {

/// The current value of a text variable; a name the table lacks is entered empty, as every lookup does.
std::wstring LookUpVariable(const std::string& name)
{
    const TMEngine* engine = TMEngine::GetEngine();
    if (!engine || !engine->GetTextVars())
        return {};
    return engine->GetTextVars()->Get(name);
}

bool HasFrames(const TMTexture* set)
{
    return set && !set->mFrames.empty() && set->mFrames.front().GetRecord() != nullptr;
}

} // namespace

TMText::TMText(TMCandyWidget* parent, Pyxo::PyxoAppBase* app) : TMCandyWidget(parent), mApp(app) {}

TMText::~TMText() = default;

void TMText::Update()
{
    // Variables are polled only while the text can be seen; a hidden text catches up on its first visible frame.
    if (!mText.empty() && IsVisibleWithParents() && VariablesChanged())
        mExpansionValid = false;
    if (mExpansionValid) {
        // The whole text again, unless an effect shortens it below; the image follows a changed length.
        const int length = static_cast<int>(mExpanded.size());
        if (mVisibleLength != length) {
            mVisibleLength = length;
            mLayoutValid = false;
        }
    } else {
        Expand();
    }

    TMTexture* normal = GetTexture(kNormal, 0);
    TMTexture* disabled = GetTexture(kDisabled, 0);
    const bool showDisabled = mDisabled && HasFrames(disabled);
    if (normal)
        normal->mShown = !showDisabled;
    if (disabled)
        disabled->mShown = showDisabled;

    // The effect runs here, after the length was reset, so an effect typing the text in overrides it.
    TMCandyWidget::Update();
}

bool TMText::VariablesChanged()
{
    for (const auto& [name, value] : mUsedVariables) {
        if (LookUpVariable(name) != value)
            return true;
    }
    return false;
}

void TMText::Expand()
{
    mExpansionValid = true;
    mLayoutValid = false;
    mUsedVariables.clear();
    mExpanded.clear();
    bool inPlaceholder = false;
    std::string name;
    for (const wchar_t c : mText) {
        if (!inPlaceholder) {
            if (c == L'%') {
                inPlaceholder = true;
                name.clear();
            } else {
                mExpanded += c;
            }
        } else if (c == L'%') {
            const std::wstring value = LookUpVariable(name);
            mExpanded += value;
            mUsedVariables[name] = value;
            inPlaceholder = false;
        } else {
            // Variable names are narrow: each character keeps its low byte.
            name += static_cast<char>(c & 0xFF);
        }
    }
    // A placeholder still open at the end is dropped.
    SendEffectMessage("onchange");
    mVisibleLength = static_cast<int>(mExpanded.size());
}

void TMText::Draw(Pyxo::Graphics* g)
{
    if (mPicture) {
        // The picture fills the control's own rectangle, without the world matrix.
        g->DrawImageStretched(mPicture, 0, 0, mWidth, mHeight);
        return;
    }
    ControlDrawing::SetFadedWhite(g, *this);
    TMCandyWidget::Draw(g);
    if (mExpanded.empty() || mLayoutRect.mWidth <= 0 || mLayoutRect.mHeight <= 0)
        return;
    if (ControlDrawing::FitCacheImage(mTextImage, mLayoutRect, mApp))
        mLayoutValid = false;
    if (!mLayoutValid)
        RenderText();
    ControlDrawing::DrawThroughWorld(g, *this, mTextImage.get());
}

void TMText::RenderText()
{
    mLayoutValid = true;
    mTextImage->Clear();
    // Any other alignment has an empty text block, in which nothing is written.
    if (mVAlign < -1 || mVAlign > 1)
        return;
    ControlDrawing::WriteLayeredText(mTextImage.get(), mTextAttrs, mLayoutRect, mHOffset, mVAlign, mExpanded,
                                     mLineSpacing, mJustify, mDisabled, mVisibleLength);
}

void TMText::SetDisabled(bool disabled)
{
    Widget::SetDisabled(disabled);
    mLayoutValid = false;
}

void TMText::Deactivate()
{
    TMCandyWidget::Deactivate();
    mTextImage.reset();
}

void TMText::Load(pugi::xml_node node, Pyxo::PyxoAppBase* /*app*/)
{
    LoadCommon(node);

    std::string labelId;
    SetText(XmlGetAttrString(node, "label", labelId) ? TMEngine::GetLocText(labelId) : std::wstring());

    mLineSpacing = -1;
    XmlGetAttrInt(node, "line_spacing", mLineSpacing);
    mJustify = -1;
    XmlGetAttrInt(node, "justify", mJustify);
    mFps = XmlReadInt(node, "fps");
    mVAlign = -1;
    XmlGetAttrInt(node, "valign", mVAlign);
    mHOffset = XmlReadInt(node, "hoffset");
    mOneShot = false;
    XmlGetAttrBool(node, "oneshot", mOneShot);

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
            SetTextAttr(layer.layer, attr.font, attr.color, attr.disabledColor);
        }
    }

    static constexpr struct {
        const char* query;
        int id;
    } kStates[] = {
        {"texture[@id='normal']", kNormal},
        {"texture[@id='disabled']", kDisabled},
    };
    for (const auto& state : kStates) {
        if (pugi::xml_node textureNode = XmlSelectNode(node, state.query)) {
            auto* texture = new TMTexture();
            texture->Load(textureNode, mWidth, mHeight);
            AddTexture(state.id, texture);
        }
    }
}

void TMText::SetText(const std::wstring& text)
{
    mText = text;
    mUsedVariables.clear();
    mExpansionValid = false;
}

void TMText::SetTextAttr(int index, Pyxo::Font* font, const Pyxo::Color& color, const Pyxo::Color& disabledColor)
{
    if (index < 0 || index >= kLayers)
        return;
    mTextAttrs[size_t(index)] = TextAttr{font, color, color, disabledColor};
    mLayoutValid = false;
}

void TMText::SetVisibleLength(int length)
{
    mVisibleLength = length;
    mLayoutValid = false;
}

void TMText::SetTextureAll(const TextureHandle& texture)
{
    for (int state : {kNormal, kDisabled}) {
        if (TMTexture* set = GetTexture(state, 0))
            set->SetFrame(texture);
    }
}

void TMText::SetStateTexture(int state, const TextureHandle& texture, const Pyxo::Rect& rect)
{
    if (state != kNormal && state != kDisabled)
        return;
    if (TMTexture* set = GetTexture(state, 0)) {
        set->SetFrame(texture);
        set->SetRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
    }
}
