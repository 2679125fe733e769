#include "game/TMBoard_MainMenu.h"

#include "engine/EngineLog.h"
#include "engine/TMEditWidget.h"
#include "engine/TMEngine.h"
#include "engine/TMList.h"
#include "engine/TMMusicPlayer.h"
#include "engine/TMText.h"
#include "engine/TextVars.h"
#include "engine/TextureTable.h"
#include "game/ConfirmDialogs.h"
#include "game/ScreenControls.h"
#include "game/TMBoard_Career.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoard_Help.h"
#include "game/TMBoard_HiScores.h"
#include "game/TMBoard_Options.h"
#include "game/TMBoard_Survival.h"
#include "game/TMEngine3.h"
#include "platform/window/VirtualKeys.h"
#include "shell/WidgetManager.h"

#include <cmath>
#include <cstdint>

namespace {

using ScreenControls::ChildOf;
using ScreenControls::IdOf;
using ScreenControls::SetEnabled;

void SetShown(TMCandyWidget* widget, bool visible)
{
    if (widget && widget->mVisible != visible)
        widget->SetVisible(visible);
}

/// The parent a page hangs in, which holds the flip sprite and the cover.
TMCandyWidget* PageParent(TMCandyWidget* page)
{
    return page ? dynamic_cast<TMCandyWidget*>(page->mParent) : nullptr;
}

void BringToFrontOf(TMCandyWidget* parent, TMCandyWidget* child)
{
    if (parent && child)
        parent->BringToFront(child);
}

std::wstring Trimmed(const std::wstring& text)
{
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\u00a0' || c == L'\u3000'; };
    size_t first = 0;
    size_t last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

} // namespace

TMBoard_MainMenu::TMBoard_MainMenu(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "main_menu");
    if (!root || !root.find_child_by_attribute("element", "name", "main_menu"))
        return; // no screen described at all: the loader has said so
    const std::pair<const char*, const void*> bound[] = {
        {"main_menu_dlg", mMainSpread},
        {"career", mCareerButton},
        {"survival", mSurvivalButton},
        {"scores", mScoresButton},
        {"settings", mSettingsButton},
        {"help", mHelpButton},
        {"quit", mQuitButton},
        {"profile_open", mProfileOpen},
        {"profile_close", mProfileClose},
        {"select_profile", mProfileSpread},
        {"create", mCreateButton},
        {"select", mSelectButton},
        {"delete", mDeleteButton},
        {"list", mList},
        {"create_profile", mNameDialog},
        {"cancel", mCancelButton},
        {"create_profile/create", mNameCreateButton},
        {"entername_text", mNameEdit},
    };
    for (const auto& [name, control] : bound) {
        if (!control)
            EngineLog("main_menu: no control \"%s\"", name);
    }
}

TMBoard_MainMenu::~TMBoard_MainMenu() = default;

TMEngine3* TMBoard_MainMenu::Game() const
{
    return dynamic_cast<TMEngine3*>(mApp);
}

void TMBoard_MainMenu::AddChild(const std::string& name, TMCandyWidget* child)
{
    if (name == "main_menu_dlg") {
        mMainSpread = child;
        TMCandyWidget* right = ChildOf(child, "right_page");
        mCareerButton = ChildOf(right, "career");
        mSurvivalButton = ChildOf(right, "survival");
        mScoresButton = ChildOf(right, "scores");
        mSettingsButton = ChildOf(right, "settings");
        mHelpButton = ChildOf(right, "help");
        mQuitButton = ChildOf(right, "quit");
        mGirlPhoto = ChildOf(ChildOf(child, "left_page"), "girl_photo");
    } else if (name == "profile_open") {
        mProfileOpen = child;
    } else if (name == "profile_close") {
        mProfileClose = child;
    } else if (name == "select_profile") {
        mProfileSpread = dynamic_cast<TMDialog*>(child);
        TMCandyWidget* left = ChildOf(child, "left_page");
        mCreateButton = ChildOf(left, "create");
        mSelectButton = ChildOf(left, "select");
        mDeleteButton = ChildOf(left, "delete");
        mList = dynamic_cast<TMList*>(ChildOf(left, "list"));
    } else if (name == "pages") {
        mPages = child;
    } else if (name == "girl_front") {
        mGirlFront = child;
    } else if (name == "create_profile") {
        mNameDialog = child;
        mCancelButton = ChildOf(child, "cancel");
        mNameCreateButton = ChildOf(child, "create");
        mNameEdit = dynamic_cast<TMEditWidget*>(ChildOf(child, "entername_text"));
    }
    TMCandyWidget::AddChild(name, child);
}

// ---- Showing -----------------------------------------------------------------------------------------------------

void TMBoard_MainMenu::OnShow()
{
    TMDialog::OnShow();
    if (TMEngine* engine = TMEngine::GetEngine(); engine && engine->GetMusicPlayer())
        engine->GetMusicPlayer()->Play("main_menu");
    TMEngine3* game = Game();
    if (game && game->GetPref().IsProfileLoaded())
        ShowMainPage();
    else
        ShowCreateProfile(true);
    if (mProfileClose && !mProfileClose->mVisible)
        SetShown(mProfileOpen, true);
}

void TMBoard_MainMenu::Activate()
{
    TMDialog::Activate();
}

void TMBoard_MainMenu::Deactivate()
{
    TMDialog::Deactivate();
    mProfiles.clear();
}

void TMBoard_MainMenu::ShowMainPage()
{
    RefreshProfiles();
    TMEngine3* game = Game();
    if (game && game->mGameBoard && game->mGameBoard->mRunning) {
        SetShown(this, false);
        return;
    }
    SetShown(mMainSpread, true);
    SetShown(mProfileOpen, true);
    SetShown(mProfileClose, false);
    if (mProfileSpread)
        mProfileSpread->SetModal(false);
}

void TMBoard_MainMenu::ShowCreateProfile(bool cancelDisabled)
{
    SetEnabled(mProfileOpen, false);
    SetEnabled(mProfileClose, false);
    if (!mNameDialog)
        return;
    BringToFront(mNameDialog);
    if (mNameEdit)
        mNameEdit->SetText(L"", false);
    mNameDialog->Show();
    SetEnabled(mCancelButton, !cancelDisabled);
    if (mNameEdit && mWidgetManager)
        mWidgetManager->SetFocus(mNameEdit);
}

void TMBoard_MainMenu::RefreshProfiles()
{
    TMEngine3* game = Game();
    if (!game)
        return;
    TMPref& pref = game->GetPref();
    if (mList) {
        mProfiles.clear();
        pref.ReadAllProfiles(mProfiles);
        mList->Clear();
        for (const ProfileRecord& profile : mProfiles)
            mList->AddItem(profile.Name());
        const int current = pref.GetHeader().currentProfile;
        mList->SetCheckedItem(current);
        mList->SetSelection(current);
        SetEnabled(mDeleteButton, mProfiles.size() >= 2);
    }
    if (TextVars* vars = game->GetTextVars())
        vars->Set("profile_name", pref.IsProfileLoaded() ? pref.GetProfile()->Name() : std::wstring());
}

void TMBoard_MainMenu::OpenProfiles()
{
    TurnPage(mProfileSpread, true, kTargetMainMenu);
    if (mProfileSpread)
        mProfileSpread->ShowChildren();
    SetShown(mProfileOpen, false);
    SetShown(mProfileClose, true);
    RefreshProfiles();
}

// ---- Profiles ----------------------------------------------------------------------------------------------------

bool TMBoard_MainMenu::CreateProfileStep()
{
    TMEngine3* game = Game();
    if (!game || !mNameEdit)
        return false;
    const std::wstring name = Trimmed(mNameEdit->GetText());
    if (name.empty())
        return false;
    TMPref& pref = game->GetPref();
    if (!pref.IsProfileLoaded())
        ShowMainPage();
    if (!pref.CreateProfile(name))
        EngineLog("main menu: the new profile could not be saved");
    if (mNameDialog)
        mNameDialog->Hide();
    RefreshProfiles();
    // The book was filled from the previous profile: the new one starts from its own first day.
    if (game->mCareerBoard)
        game->mCareerBoard->ResetSelectedDay();
    return true;
}

void TMBoard_MainMenu::EnableProfileButtons()
{
    SetEnabled(mProfileOpen, true);
    SetEnabled(mProfileClose, true);
}

void TMBoard_MainMenu::KeyDown(int key)
{
    if (key == static_cast<int>(Platform::VK_ESCAPE)) {
        if (mNameDialog && mNameDialog->mVisible && mCancelButton && !mCancelButton->mDisabled) {
            mNameDialog->Hide();
            EnableProfileButtons();
        }
        return;
    }
    // Only Enter in the open dialog makes a profile: any other key, or a closed dialog, would make one per key.
    if (key == static_cast<int>(Platform::VK_RETURN)) {
        if (mNameDialog && mNameDialog->mVisible && CreateProfileStep())
            EnableProfileButtons();
        return;
    }
    TMDialog::KeyDown(key);
}

void TMBoard_MainMenu::OnControl(intptr_t controlId)
{
    if (controlId == 0)
        return;
    TMEngine3* game = Game();
    if (controlId == IdOf(mCareerButton)) {
        if (game && game->mCareerBoard)
            game->mCareerBoard->Show();
    } else if (controlId == IdOf(mSurvivalButton)) {
        if (game && game->mSurvivalBoard)
            game->mSurvivalBoard->Show();
    } else if (controlId == IdOf(mScoresButton)) {
        if (game && game->mHiScoresBoard)
            game->mHiScoresBoard->Show();
    } else if (controlId == IdOf(mSettingsButton)) {
        if (game && game->mOptionsBoard)
            game->mOptionsBoard->Show();
    } else if (controlId == IdOf(mHelpButton)) {
        if (game && game->mHelpBoard) {
            game->mHelpBoard->HideAllPages();
            game->mHelpBoard->Show();
        }
    } else if (controlId == IdOf(mQuitButton)) {
        if (mApp)
            mApp->Shutdown();
    } else if (controlId == IdOf(mProfileOpen)) {
        OpenProfiles();
    } else if (controlId == IdOf(mSelectButton)) {
        if (mList && game) {
            const int selection = mList->GetSelection();
            if (selection >= 0)
                game->GetPref().ReadProfile(selection);
            RefreshProfiles();
            if (game->mCareerBoard)
                game->mCareerBoard->ResetSelectedDay();
        }
        ShowMainPage();
        TurnPage(mMainSpread, false, kTargetMainMenu);
    } else if (controlId == IdOf(mProfileClose)) {
        ShowMainPage();
        TurnPage(mMainSpread, false, kTargetMainMenu);
    } else if (controlId == IdOf(mDeleteButton)) {
        if (!mList || !game || mProfiles.size() <= 1)
            return;
        if (ShowConfirmDialog2("delprof") == 1) {
            const int selection = mList->GetSelection();
            TMPref& pref = game->GetPref();
            if (selection >= 0) {
                const bool current = selection == pref.GetHeader().currentProfile;
                pref.DeleteProfile(selection);
                // Another profile became current: the book refills from it.
                if (current && game->mCareerBoard)
                    game->mCareerBoard->ResetSelectedDay();
            }
        }
        RefreshProfiles();
    } else if (controlId == IdOf(mCreateButton)) {
        ShowCreateProfile(false);
    } else if (controlId == IdOf(mCancelButton)) {
        if (mNameDialog)
            mNameDialog->Hide();
        EnableProfileButtons();
    } else if (controlId == IdOf(mNameCreateButton)) {
        if (CreateProfileStep())
            EnableProfileButtons();
    }
}

// ---- Page turn ---------------------------------------------------------------------------------------------------

void TMBoard_MainMenu::TurnPage(TMCandyWidget* page, bool backwards, int target)
{
    mTargetScreen = target;
    if (!page) {
        page = mMainSpread;
        mTargetScreen = kTargetMainMenu;
        SetShown(mProfileSpread, false);
    } else {
        SetShown(mProfileOpen, false);
    }
    if (!page) {
        EngineLog("main menu: no page to turn to");
        return;
    }
    mTurningPage = page;
    mTurnTime = 0.0f;
    mTurning = true;
    mBackwards = backwards;

    for (Pyxo::WidgetContainer* node = page; node->mParent; node = node->mParent) {
        if (auto* widget = dynamic_cast<Pyxo::Widget*>(node))
            node->mParent->BringToFront(widget);
    }

    TMCandyWidget* parent = PageParent(page);
    TMCandyWidget* flip = ChildOf(parent, "f_pages");
    BringToFrontOf(parent, flip);
    if (auto* flipText = dynamic_cast<TMText*>(flip)) {
        TMEngine* engine = TMEngine::GetEngine();
        if (engine && engine->GetTextureTable())
            flipText->SetTextureAll(engine->GetTextureTable()->Find(backwards ? "pages_b" : "pages_f"));
    }
    SetShown(page, false);

    TMEngine3* game = Game();
    switch (mTargetScreen) {
    case kTargetMainMenu:
        SetShown(this, true);
        BringToFrontOf(this, mProfileClose);
        BringToFrontOf(this, mProfileOpen);
        break;
    case kTargetHelp:
        if (game && game->mHelpBoard) {
            SetShown(game->mHelpBoard, true);
            SetShown(game->mHelpBoard->FindChild("next_btn"), false);
            SetShown(game->mHelpBoard->FindChild("prev_btn"), false);
        }
        break;
    case kTargetCareer:
        if (game)
            SetShown(game->mCareerBoard, true);
        break;
    case kTargetSurvival:
        if (game)
            SetShown(game->mSurvivalBoard, true);
        break;
    case kTargetRecords:
        if (game)
            SetShown(game->mHiScoresBoard, true);
        break;
    default:
        break;
    }
    BringToFrontOf(parent, ChildOf(parent, "f_cover"));
}

void TMBoard_MainMenu::Update()
{
    if (mTurning && mTurningPage) {
        TMCandyWidget* parent = PageParent(mTurningPage);
        SetShown(ChildOf(parent, "f_cover"), true);
        mTurnTime += static_cast<float>((mApp ? mApp->mUpdateInterval : 10) / 1000.0);
        SetShown(mTurningPage, true);
        if (mTurnTime >= kTurnSeconds) {
            EndTurn();
            return;
        }
        LayoutTurn(mTurnTime);
    }
    TMDialog::Update();
}

void TMBoard_MainMenu::LayoutTurn(float t)
{
    TMCandyWidget* left = ChildOf(mTurningPage, "left_page");
    TMCandyWidget* right = ChildOf(mTurningPage, "right_page");
    TMCandyWidget* parent = PageParent(mTurningPage);
    TMCandyWidget* flip = ChildOf(parent, "f_pages");
    int flipX = 0;
    // The share of the turn first, so that half time falls exactly on the middle of the page.
    const float share = t / kTurnSeconds;
    if (!mBackwards) {
        const int c = static_cast<int>(kSpreadWidth - share * kSpreadWidth);
        const int b = (kSpreadWidth - c) / 2;
        if (left)
            left->Resize(c, 0, b, kPageHeight);
        if (right) {
            right->Resize(b + c, 0, kSpreadWidth - b - c, kPageHeight);
            right->SetOffset(kPageWidth - b - c, 0);
        }
        flipX = b + c - 73;
    } else {
        const int x = static_cast<int>(share * kPageWidth);
        if (right) {
            right->Resize(x, 0, x, kPageHeight);
            right->SetOffset(x - kPageWidth, 0);
        }
        if (left)
            left->Resize(0, 0, x, kPageHeight);
        flipX = x - 73;
    }
    if (flip) {
        SetShown(flip, true);
        flip->Move(flipX, 35);
        flip->mAlpha = 1.0f - 2.0f * std::fabs(0.5f - share);
    }
    BringToFrontOf(parent, ChildOf(parent, "f_cover"));
}

void TMBoard_MainMenu::EndTurn()
{
    TMCandyWidget* parent = PageParent(mTurningPage);
    if (TMCandyWidget* left = ChildOf(mTurningPage, "left_page")) {
        left->Resize(0, 0, kPageWidth, kPageHeight);
        left->SetOffset(0, 0);
    }
    if (TMCandyWidget* right = ChildOf(mTurningPage, "right_page")) {
        right->Resize(kPageWidth, 0, kPageWidth, kPageHeight);
        right->SetOffset(0, 0);
    }
    mTurning = false;
    SetShown(ChildOf(parent, "f_pages"), false);
    SetShown(ChildOf(parent, "f_cover"), false);

    const int target = mTargetScreen;
    mTargetScreen = kTargetNone;
    TMEngine3* game = Game();
    SetShown(this, target == kTargetMainMenu);
    if (game) {
        SetShown(game->mCareerBoard, target == kTargetCareer);
        SetShown(game->mHelpBoard, target == kTargetHelp);
        SetShown(game->mHiScoresBoard, target == kTargetRecords);
        SetShown(game->mSurvivalBoard, target == kTargetSurvival);
    }
    if (target == kTargetMainMenu) {
        if (mProfileClose && !mProfileClose->mVisible)
            SetShown(mProfileOpen, true);
    } else if (target == kTargetHelp && game && game->mHelpBoard) {
        for (const char* name : {"next_btn", "prev_btn"}) {
            if (TMCandyWidget* button = game->mHelpBoard->FindChild(name)) {
                button->RewindAnimations();
                button->Show();
            }
        }
    } else if (target == kTargetCareer && game && game->mCareerBoard) {
        game->mCareerBoard->ShowCafe(false);
        game->mCareerBoard->ShowCafeTabs();
    }
}
