#include "game/TMBoard_Upgrade.h"

#include "engine/ControlDrawing.h"
#include "engine/EngineLog.h"
#include "engine/TMButton.h"
#include "engine/TMEngine.h"
#include "engine/TMLocTable.h"
#include "engine/TMText.h"
#include "engine/TMTexture.h"
#include "engine/TextureTable.h"

#include <cstdio>
#include <string>

namespace {

constexpr const char* kTrayPrefix = "upgrade_tray";

TextureHandle FindTexture(const std::string& id)
{
    TMEngine* engine = TMEngine::GetEngine();
    TextureTable* table = engine ? engine->GetTextureTable() : nullptr;
    return table ? table->Find(id) : TextureHandle();
}

TMCandyWidget* Bind(TMCandyWidget* parent, const std::string& parentName, const char* name)
{
    TMCandyWidget* child = parent->FindChild(name);
    if (!child)
        EngineLog("upgrade_menu: \"%s\" has no child \"%s\"; its use is left out", parentName.c_str(), name);
    return child;
}

std::string Format(const char* format, const std::string& a, const std::string& b = std::string())
{
    char text[512];
    std::snprintf(text, sizeof text, format, a.c_str(), b.c_str());
    return text;
}

} // namespace

TMBoard_Upgrade::TMBoard_Upgrade(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "upgrade_menu");
    if (!mInner)
        EngineLog("upgrade_menu: no child \"upgrade_dialog\"; the offer's picture and text are left out");
}

TMBoard_Upgrade::~TMBoard_Upgrade() = default;

void TMBoard_Upgrade::AddChild(const std::string& name, TMCandyWidget* child)
{
    if (child && name == "upgrade_dialog") {
        mInner = child;
        mAccept = Bind(child, name, "upgrade");
        mDescription = Bind(child, name, "upgrade_description");
        mPhoto = Bind(child, name, "upgrade_photo");
        mMedal = Bind(child, name, "upgrade_medal");
    } else if (child && name.rfind(kTrayPrefix, 0) == 0) {
        mTrays.push_back(child);
        mTrayButtons.push_back(Bind(child, name, "button"));
        mTraySelects.push_back(Bind(child, name, "select"));
    }
    TMDialog::AddChild(name, child);
}

void TMBoard_Upgrade::Update()
{
    TMDialog::Update();
    // Opened with nothing to offer: it closes as it opens.
    if (mCloseAtOnce && (mVisible || mShowing)) {
        mCloseAtOnce = false;
        Hide();
    }
}

void TMBoard_Upgrade::OnShow()
{
    // Show runs this whatever the state: an open screen is not offered again (survival would spend a pending
    // upgrade) and takes no second pause.
    if (mOpen || !gGameBoard)
        return;
    mOpen = true;
    mSelected = -1;
    mSelectedOffer = nullptr;
    if (mInner)
        mInner->Show();
    gGameBoard->OfferUpgrades(mOffers);
    if (mOffers.size() > mTrays.size()) {
        EngineLog("upgrade_menu: %zu offers and %zu trays; the rest are not offered", mOffers.size(), mTrays.size());
        mOffers.resize(mTrays.size());
    }
    for (size_t i = 0; i < mTrays.size(); ++i) {
        if (i >= mOffers.size()) {
            mTrays[i]->Hide();
            continue;
        }
        const TMBoard_Game3::UpgradeEntry& offer = *mOffers[i];
        if (TMCandyWidget* button = mTrayButtons[i]) {
            ControlDrawing::SetTexture(button, FindTexture(Format("mn09_char_small_%s_%s", offer.object, offer.name)));
            button->Show();
        }
        if (TMCandyWidget* select = mTraySelects[i])
            select->Hide();
        mTrays[i]->Show();
    }
    if (mOffers.empty()) {
        mCloseAtOnce = true;
        return;
    }
    Select(0);
    gGameBoard->Pause();
    mPaused = true;
    if (mParent)
        mParent->BringToFront(this);
}

void TMBoard_Upgrade::Select(int index)
{
    if (index < 0 || index >= static_cast<int>(mOffers.size()) || !gGameBoard)
        return;
    mSelected = index;
    mSelectedOffer = mOffers[size_t(index)];
    const TMBoard_Game3::UpgradeEntry& offer = *mSelectedOffer;
    gGameBoard->ApplyUpgradeEntry(*mSelectedOffer, true);
    if (mPhoto)
        ControlDrawing::SetTexture(mPhoto, FindTexture(Format("mn09_char_%s", offer.object)));
    if (auto* description = dynamic_cast<TMText*>(mDescription)) {
        TMEngine* engine = TMEngine::GetEngine();
        if (engine && engine->GetLocTable())
            description->SetText(engine->GetLocTable()->GetText(Format("mn09_desc_%s_%s", offer.name, offer.object)));
    }
    if (mMedal)
        ControlDrawing::SetTexture(mMedal, FindTexture(Format("mn09_medal_%s", offer.name)));
    if (TMCandyWidget* select = mTraySelects[size_t(index)])
        select->Show();
}

void TMBoard_Upgrade::OnControl(intptr_t controlId)
{
    const auto* control = reinterpret_cast<const TMCandyWidget*>(controlId);
    if (!control)
        return;
    if (control == mAccept) {
        Hide();
        return;
    }
    for (size_t i = 0; i < mOffers.size(); ++i) {
        if (control != mTrayButtons[i])
            continue;
        if (mSelectedOffer && gGameBoard)
            gGameBoard->ApplyUpgradeEntry(*mSelectedOffer, false);
        if (mSelected >= 0 && mTraySelects[size_t(mSelected)])
            mTraySelects[size_t(mSelected)]->Hide();
        Select(static_cast<int>(i));
        return;
    }
}

void TMBoard_Upgrade::OnHide()
{
    // Hide runs this whatever the state: a closed screen gives back no pause and ends no level.
    if (!mOpen)
        return;
    mOpen = false;
    mCloseAtOnce = false;
    if (mInner)
        mInner->Hide();
    for (size_t i = 0; i < mOffers.size(); ++i) {
        if (mTrayButtons[i])
            mTrayButtons[i]->Hide();
        mTrays[i]->Hide();
    }
    if (!gGameBoard)
        return;
    if (mPaused) {
        mPaused = false;
        gGameBoard->Resume();
    }
    if (!gGameBoard->mSurvival)
        gGameBoard->FinishLevel();
}
