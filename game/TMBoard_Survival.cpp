#include "game/TMBoard_Survival.h"

#include "engine/TMButton.h"
#include "game/MenuBook.h"
#include "game/ScreenControls.h"
#include "game/TMBoard_Game3.h"
#include "game/TMEngine3.h"

#include <string>
#include <utility>
#include <vector>

using ScreenControls::SetEnabled;
using ScreenControls::SetShown;

TMBoard_Survival::TMBoard_Survival(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "survival_menu");
    std::vector<std::pair<std::string, const void*>> table = {
        {"survival_dlg", mDialog}, {"cancel_button", mCancelButton}, {"play_button", mPlayButton}};
    for (int i = 0; i < kCafeCount; ++i) {
        const std::string cafe = "cafe" + std::to_string(i + 1);
        table.insert(table.end(), {{cafe + "_button", mCafeButtons[i]},
                                   {cafe + "_text", mTexts[i]},
                                   {cafe + "_head", mHeads[i]},
                                   {cafe + "_desc", mDescriptions[i]},
                                   {cafe + "_photo", mPhotos[i]},
                                   {cafe + "_small_photo", mSmallPhotos[i]}});
    }
    ScreenControls::LogMissing("survival_menu", table);
}

TMBoard_Survival::~TMBoard_Survival() = default;

void TMBoard_Survival::AddChild(const std::string& name, TMCandyWidget* child)
{
    TMDialog::AddChild(name, child);
    if (name != "survival_dlg" || !child)
        return;
    mDialog = child;
    TMCandyWidget* pages[] = {child, child->FindChild("right_page"), child->FindChild("left_page")};
    auto find = [&pages](const std::string& control) -> TMCandyWidget* {
        for (TMCandyWidget* page : pages) {
            if (TMCandyWidget* found = page ? page->FindChild(control) : nullptr)
                return found;
        }
        return nullptr;
    };
    mCancelButton = dynamic_cast<TMButton*>(find("cancel_button"));
    mPlayButton = dynamic_cast<TMButton*>(find("play_button"));
    for (int i = 0; i < kCafeCount; ++i) {
        const std::string cafe = "cafe" + std::to_string(i + 1);
        mCafeButtons[i] = find(cafe + "_button");
        mTexts[i] = find(cafe + "_text");
        mHeads[i] = find(cafe + "_head");
        mDescriptions[i] = find(cafe + "_desc");
        mPhotos[i] = find(cafe + "_photo");
        mSmallPhotos[i] = find(cafe + "_small_photo");
    }
}

void TMBoard_Survival::OnShow()
{
    Refresh();
    ScreenControls::PlaySound("briefing_show");
    TurnMenuBook(mDialog, false, kBookSurvival);
}

void TMBoard_Survival::OnControl(intptr_t controlId)
{
    const auto* control = reinterpret_cast<const TMCandyWidget*>(controlId);
    if (!control)
        return;
    if (control == mCancelButton) {
        TurnMenuBook(nullptr, true, kBookNoScreen);
        return;
    }
    if (control == mPlayButton) {
        Hide();
        if (gGameBoard)
            gGameBoard->StartLoadThread(mSelectedCafe, true);
        return;
    }
    for (int i = 0; i < kCafeCount; ++i) {
        if (control == mCafeButtons[i] || control == mSmallPhotos[i]) {
            mSelectedCafe = i + 1;
            Refresh();
            return;
        }
    }
}

void TMBoard_Survival::Refresh()
{
    for (int i = 0; i < kCafeCount; ++i) {
        SetShown(mSmallPhotos[i], i == 0);
        SetEnabled(mSmallPhotos[i], i == 0);
        SetShown(mPhotos[i], false);
        SetShown(mTexts[i], false);
        SetShown(mHeads[i], false);
        SetShown(mDescriptions[i], false);
        SetShown(mCafeButtons[i], false);
        SetEnabled(mCafeButtons[i], i == 0);
    }

    auto* game = dynamic_cast<TMEngine3*>(mApp);
    const int furthest = game ? game->GetPref().GetProfile()->furthestLevel : 1;
    if (furthest < kSecondCafeLevel) {
        mSelectedCafe = 1;
    } else {
        SetEnabled(mCafeButtons[1], true);
        SetShown(mSmallPhotos[1], true);
        SetEnabled(mSmallPhotos[1], true);
    }
    if (furthest < kThirdCafeLevel) {
        if (mSelectedCafe == 3)
            mSelectedCafe = 1;
    } else {
        SetEnabled(mCafeButtons[2], true);
        SetShown(mSmallPhotos[2], true);
        SetEnabled(mSmallPhotos[2], true);
    }
    // Anything else a caller stored falls back to the first cafe.
    if (mSelectedCafe < 1 || mSelectedCafe > kCafeCount)
        mSelectedCafe = 1;

    const int selected = mSelectedCafe - 1;
    SetShown(mPhotos[selected], true);
    SetShown(mHeads[selected], true);
    SetShown(mDescriptions[selected], true);
    SetShown(mTexts[selected], true);
    for (int i = 0; i < kCafeCount; ++i) {
        if (i != selected)
            SetShown(mCafeButtons[i], true);
    }
}
