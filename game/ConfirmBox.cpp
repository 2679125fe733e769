#include "game/ConfirmBox.h"

#include "engine/TMButton.h"
#include "engine/TMEngine.h"
#include "engine/TMText.h"
#include "engine/TMTexture.h"
#include "engine/TextureTable.h"
#include "graphics/Image.h"

ConfirmBox::ConfirmBox(Pyxo::PyxoAppBase* app) : TMDialog(nullptr, app) {}

ConfirmBox::~ConfirmBox()
{
    if (mWait) {
        mWait->mDeleted = true;
        mWait->mResult = mResult;
    }
    ForgetConfirmDialog(this);
}

void ConfirmBox::AddChild(const std::string& name, TMCandyWidget* child)
{
    // The first child of a name is the one FindChild answers with; bind that one too.
    if (child && !FindChild(name)) {
        if (name == "btn_yes")
            mYesButton = dynamic_cast<TMButton*>(child);
        else if (name == "text1")
            mText1 = dynamic_cast<TMText*>(child);
        else if (name == "text2")
            mText2 = dynamic_cast<TMText*>(child);
        else if (name == "icon")
            mIcon = child;
    }
    TMDialog::AddChild(name, child);
}

void ConfirmBox::Fill(const std::string& key)
{
    if (mIcon)
        FillIcon(key);
    if (mText1)
        mText1->SetText(TMEngine::GetLocText("db01_text1_" + key));
    if (mText2)
        mText2->SetText(TMEngine::GetLocText("db01_text2_" + key));
    if (mYesButton)
        mYesButton->SetLabel(TMEngine::GetLocText("db01_btnyes_" + key));
}

void ConfirmBox::FillIcon(const std::string& key)
{
    TMEngine* engine = TMEngine::GetEngine();
    TextureHandle texture;
    if (engine && engine->GetTextureTable())
        texture = engine->GetTextureTable()->Find("db01_icon_" + key);
    // The icon shows the whole picture, so its size is needed now; the handle lets go of it again at the end of
    // this call, and the icon's own set takes it while the box is shown.
    Pyxo::Image* image = texture.GetImage();
    if (!image) {
        // Nothing sensible to show, and no size to show it at.
        if (mIcon->mVisible) {
            mIcon->SetVisible(false);
            mIconHiddenByFill = true;
        }
        return;
    }
    const Pyxo::Rect whole(0, 0, image->GetWidth(), image->GetHeight());
    if (auto* text = dynamic_cast<TMText*>(mIcon)) {
        text->SetStateTexture(TMText::kNormal, texture, whole);
    } else if (TMTexture* set = mIcon->GetNormalTextureSet()) {
        set->SetFrame(texture);
        set->SetRect(whole.mX, whole.mY, whole.mWidth, whole.mHeight);
    }
    if (mIconHiddenByFill) {
        mIconHiddenByFill = false;
        mIcon->SetVisible(true);
    }
}
