#include "game/TMBoard_Career.h"

#include "engine/EngineLog.h"
#include "engine/TMEngine.h"
#include "engine/TMLocTable.h"
#include "engine/TMSoundManager.h"
#include "engine/TMText.h"
#include "engine/TextVars.h"
#include "engine/TextureTable.h"
#include "game/ConfirmDialogs.h"
#include "game/ScreenControls.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoard_MainMenu.h"
#include "game/TMEngine3.h"
#include "game/TMPref.h"
#include "shell/WidgetManager.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace {

using ScreenControls::ChildOf;
using ScreenControls::IdOf;
using ScreenControls::SetEnabled;

constexpr const char* kComicPages[] = {"",        "comix00a", "comix00b", "comix00c", "comix05",
                                       "comix15", "comix25",  "comix35",  "comix45",  "comix60"};

void SetShown(TMCandyWidget* widget, bool visible)
{
    if (widget && widget->mVisible != visible)
        widget->SetVisible(visible);
}

void Message(TMCandyWidget* widget, const char* message)
{
    if (widget)
        widget->SendEffectMessage(message);
}

std::string Numbered(const char* format, int n)
{
    char text[32];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

TextVars* Vars()
{
    TMEngine* engine = TMEngine::GetEngine();
    return engine ? engine->GetTextVars() : nullptr;
}

TextureHandle FindTexture(const std::string& name)
{
    TMEngine* engine = TMEngine::GetEngine();
    return engine && engine->GetTextureTable() ? engine->GetTextureTable()->Find(name) : TextureHandle();
}

void GiveTexture(TMCandyWidget* widget, const TextureHandle& texture)
{
    if (auto* text = dynamic_cast<TMText*>(widget))
        text->SetTextureAll(texture);
}

/// Binds one spread's controls; the copy has no day buttons.
void BindSpread(TMCandyWidget* book, TMBoard_Career::Spread& spread, bool withButtons)
{
    TMCandyWidget* left = ChildOf(book, "left_page");
    TMCandyWidget* right = ChildOf(book, "right_page");
    spread.photoCafe = ChildOf(left, "photo_cafe");
    spread.dayMark = ChildOf(left, "day_mark");
    for (int n = 1; n <= TMBoard_Career::kMaxDays; ++n) {
        const auto i = static_cast<size_t>(n - 1);
        if (withButtons)
            spread.dayButtons[i] = ChildOf(left, Numbered("day_button_%02d", n));
        spread.goals[i] = ChildOf(left, Numbered("goal_%02d", n));
        spread.experts[i] = ChildOf(left, Numbered("expert_%02d", n));
        spread.stars[i] = ChildOf(left, Numbered("star_%02d", n));
        spread.dayTexts[i] = ChildOf(left, Numbered("day_text_%02d", n));
    }
    spread.photoBriefing = ChildOf(right, "photo_briefing");
    spread.briefDebrief = ChildOf(right, "brief_debrief");
    spread.scorePoints = ChildOf(right, "score_points");
    spread.photoGoal = ChildOf(right, "photo_goal");
    spread.photoExpert = ChildOf(right, "photo_expert");
    spread.photoStar = ChildOf(right, "photo_star");
    spread.achPrize = ChildOf(right, "ach_prize");
    TMCandyWidget* icons = ChildOf(right, "achievment_bg");
    for (int n = 1; n <= 4; ++n) {
        spread.achIcons[static_cast<size_t>(n - 1)] = ChildOf(icons, Numbered("ach_%01d", n));
        spread.achBackgrounds[static_cast<size_t>(n - 1)] = ChildOf(icons, Numbered("ach_%01d_bg", n));
    }
}

} // namespace

TMBoard_Career::TMBoard_Career(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "career_menu");
    mPicture = FindTexture(mPictureName);
    mPicture.Acquire();
    mCafePicture = FindTexture(mCafePictureName);
    mCafePicture.Acquire();
    if (!root || !root.find_child_by_attribute("element", "name", "career_menu"))
        return; // no screen described: the loader has said so
    const std::pair<const char*, const void*> bound[] = {
        {"career_dlg", mBook},
        {"back_button", mBackButton},
        {"next_button", mNextButton},
        {"play_button", mPlayButton},
        {"day_mark", mSpread.dayMark},
        {"day_button_01", mSpread.dayButtons[0]},
        {"photo_briefing", mSpread.photoBriefing},
        {"cafe1_button", mCafeTabs[0]},
        {"cafe2_button", mCafeTabs[1]},
        {"cafe3_button", mCafeTabs[2]},
        {"reset_button", mResetButton},
        {"current_day", mCurrentDay},
        {"comix", mComics},
        {"comix/next_button", mComicNext},
    };
    for (const auto& [name, control] : bound) {
        if (!control)
            EngineLog("career_menu: no control \"%s\"", name);
    }
}

TMBoard_Career::~TMBoard_Career()
{
    mPicture.Release();
    mCafePicture.Release();
}

TMEngine3* TMBoard_Career::Game() const
{
    return dynamic_cast<TMEngine3*>(mApp);
}

ProfileRecord* TMBoard_Career::Profile() const
{
    TMEngine3* game = Game();
    return game && game->GetPref().IsProfileLoaded() ? game->GetPref().GetProfile() : nullptr;
}

int TMBoard_Career::FurthestLevel() const
{
    // A damaged player file may hold anything here: days below 1 or past the last level index nothing.
    const ProfileRecord* profile = Profile();
    return profile ? std::clamp(profile->furthestLevel, 1, kLastLevel + 1) : 1;
}

void TMBoard_Career::AddChild(const std::string& name, TMCandyWidget* child)
{
    if (name == "career_dlg") {
        mBook = child;
        BindSpread(child, mSpread, true);
        mBackButton = ChildOf(ChildOf(child, "left_page"), "back_button");
        TMCandyWidget* right = ChildOf(child, "right_page");
        mRestartButton = ChildOf(right, "restart_button");
        mNextButton = ChildOf(right, "next_button");
        mPlayButton = ChildOf(right, "play_button");
    } else if (name == "career_dlg_fake") {
        mCopyBook = child;
        BindSpread(child, mCopy, false);
    } else if (name == "cafe1_button" || name == "cafe2_button" || name == "cafe3_button") {
        mCafeTabs[static_cast<size_t>(name[4] - '1')] = child;
    } else if (name == "cafe1_text_big" || name == "cafe2_text_big" || name == "cafe3_text_big") {
        mCafeTitles[static_cast<size_t>(name[4] - '1')] = child;
    } else if (name == "reset_button") {
        mResetButton = child;
    } else if (name == "current_day") {
        mCurrentDay = child;
    } else if (name == "comix") {
        mComics = child;
        mComicNext = ChildOf(child, "next_button");
    }
    TMCandyWidget::AddChild(name, child);
}

// ---- The shown cafe ----------------------------------------------------------------------------------------------

void TMBoard_Career::SetCafe(int cafe)
{
    mShownCafe = std::clamp(cafe, 1, 3);
    mOffset = mShownCafe == 1 ? 0 : mShownCafe == 2 ? 15 : 35;
    mDayCount = mShownCafe == 1 ? 15 : mShownCafe == 2 ? 20 : kMaxDays;
}

void TMBoard_Career::SetCafeOfLevel(int level)
{
    SetCafe(level <= 15 ? 1 : level <= 35 ? 2 : 3);
}

void TMBoard_Career::LoadFromProfile()
{
    const int furthest = FurthestLevel();
    SetCafe(furthest < 16 ? 1 : furthest < 36 ? 2 : 3);
    mSelectedDay = std::min(furthest - mOffset, mDayCount);
    mFurthestDay = mSelectedDay;
}

void TMBoard_Career::ShowCafe(bool resetDay)
{
    if (mComicPage != 0) {
        if (mComics && mComicNext)
            mComics->BringToFront(mComicNext);
        return;
    }
    const int furthest = FurthestLevel();
    for (TMCandyWidget* tab : mCafeTabs)
        SetEnabled(tab, true);
    if (mBook)
        BringToFront(mBook);
    for (int cafe = 1; cafe <= 3; ++cafe) {
        if (cafe != mShownCafe && mCafeTabs[static_cast<size_t>(cafe - 1)])
            BringToFront(mCafeTabs[static_cast<size_t>(cafe - 1)]);
    }
    if (mCurrentDay)
        BringToFront(mCurrentDay);
    if (mResetButton)
        BringToFront(mResetButton);
    SetShown(mCopyBook, false);
    if (furthest < 36)
        SetEnabled(mCafeTabs[2], false);
    if (furthest < 16)
        SetEnabled(mCafeTabs[1], false);
    SetCafe(mShownCafe);
    if (resetDay) {
        // A cafe beyond the furthest level still opens on a day of its own.
        mSelectedDay = furthest < mOffset + mDayCount ? std::max(furthest - mOffset, 1) : mDayCount;
        mFurthestDay = mSelectedDay;
    }
    const std::string cafeName = Numbered("cafe_%d", mShownCafe);
    if (cafeName != mCafePictureName) {
        mCafePictureName = cafeName;
        mCafePicture.Release();
        mCafePicture = FindTexture(cafeName);
        mCafePicture.Acquire();
        GiveTexture(mSpread.photoCafe, mCafePicture);
    }
    if (TextVars* vars = Vars())
        vars->SetNumber("cafe", mShownCafe);
}

void TMBoard_Career::ShowCafeTabs()
{
    for (int cafe = 1; cafe <= 3; ++cafe) {
        const auto i = static_cast<size_t>(cafe - 1);
        if (cafe == mShownCafe) {
            SetShown(mCafeTitles[i], true);
            if (mCafeTitles[i])
                BringToFront(mCafeTitles[i]);
        } else {
            SetShown(mCafeTabs[i], true);
        }
    }
    SetShown(mResetButton, true);
    SetShown(mCurrentDay, true);
}

// ---- The selected day --------------------------------------------------------------------------------------------

void TMBoard_Career::PlaceDayMark(const Spread& spread)
{
    if (!spread.dayMark || mSelectedDay < 1 || mSelectedDay > kMaxDays)
        return;
    // The copy has no buttons of its own: it stands where the book's do.
    const TMCandyWidget* button = mSpread.dayButtons[static_cast<size_t>(mSelectedDay - 1)];
    if (!button)
        return;
    const int x = button->mX + button->mWidth / 2 - spread.dayMark->mWidth / 2 - 2;
    const int y = button->mY + button->mHeight / 2 - spread.dayMark->mHeight / 2 - 4;
    SetShown(spread.dayMark, false);
    spread.dayMark->Move(x, y);
    spread.dayMark->RewindAnimations();
    spread.dayMark->Show();
}

std::wstring TMBoard_Career::BriefText(int level) const
{
    const std::string key = level == FurthestLevel() ? "breif_qq" : "breif_l" + std::to_string(level);
    return TMEngine::GetLocText(key);
}

void TMBoard_Career::ShowStoredResult(Spread& spread, int level)
{
    for (TMCandyWidget* widget : {spread.photoExpert, spread.photoGoal, spread.photoStar, spread.achPrize})
        SetShown(widget, false);
    for (size_t k = 0; k < 4; ++k) {
        SetShown(spread.achIcons[k], false);
        SetShown(spread.achBackgrounds[k], false);
    }
    const ProfileRecord* profile = Profile();
    if (!profile || level < 1 || level > kLastLevel || level > FurthestLevel() ||
        profile->bestMoney[static_cast<size_t>(level)] < 1)
        return;
    TMCandyWidget* photo = profile->expert[static_cast<size_t>(level)] ? spread.photoExpert : spread.photoGoal;
    SetShown(photo, true);
    Message(photo, "onshow");
    int iconX = 40;
    for (size_t k = 0; k < 4; ++k) {
        if (!profile->achievements[ProfileRecord::kAchievementsPerLevel * static_cast<size_t>(level) + k])
            continue;
        for (TMCandyWidget* widget : {spread.achIcons[k], spread.achBackgrounds[k]}) {
            if (widget) {
                widget->Move(iconX, 0);
                SetShown(widget, true);
            }
        }
        iconX += 40;
    }
    if (profile->achievements[ProfileRecord::kAchievementsPerLevel * static_cast<size_t>(level) + 4])
        SetShown(spread.achPrize, true);
}

void TMBoard_Career::RefreshDay(bool animate, bool levelDone)
{
    const int level = mOffset + mSelectedDay;
    const ProfileRecord* profile = Profile();
    PlaceDayMark(mSpread);
    for (int i = 1; i <= kMaxDays; ++i) {
        const auto at = static_cast<size_t>(i - 1);
        TMCandyWidget* button = mSpread.dayButtons[at];
        TMCandyWidget* text = mSpread.dayTexts[at];
        SetShown(button, i <= mDayCount);
        SetShown(text, i <= mDayCount);
        SetShown(mSpread.goals[at], false);
        SetShown(mSpread.experts[at], false);
        const bool open = i <= mFurthestDay;
        SetEnabled(button, open);
        SetEnabled(text, open);
        const auto dayLevel = static_cast<size_t>(mOffset + i);
        if (!open || !profile || dayLevel > static_cast<size_t>(kLastLevel) || profile->bestMoney[dayLevel] == 0)
            continue;
        TMCandyWidget* sign = profile->expert[dayLevel] ? mSpread.experts[at] : mSpread.goals[at];
        SetShown(sign, true);
        if (animate)
            Message(sign, "onshow");
        if (levelDone && i == mFurthestDay)
            Message(sign, "onleveldone");
    }
    TextVars* vars = Vars();
    if (vars) {
        vars->SetNumber("day", mSelectedDay);
        vars->Set("brief_debrief", BriefText(level));
    }
    Message(mSpread.briefDebrief, "onshow");
    ShowStoredResult(mSpread, level);
    if (vars)
        vars->SetNumber("score", profile && level >= 1 && level <= kLastLevel ? profile->bestMoney[size_t(level)] : 0);

    const std::string picture = level == FurthestLevel() ? "briefing_qq" : Numbered("briefing_%02d", level);
    if (picture != mPictureName) {
        mPictureName = picture;
        mPicture.Release();
        mPicture = FindTexture(picture);
        if (!mPicture.GetRecord())
            mPicture = FindTexture("briefing_00");
        mPicture.Acquire();
        GiveTexture(mSpread.photoBriefing, mPicture);
        Message(mSpread.photoBriefing, "onshow");
    }
}

void TMBoard_Career::TurnToCafe(int cafe)
{
    cafe = std::clamp(cafe, 1, 3);
    const bool backwards = cafe < mShownCafe;
    const auto shown = static_cast<size_t>(mShownCafe - 1);
    SetShown(mCafeTitles[shown], false);
    SetShown(mCafeTabs[shown], true);

    // The copy holds the present page while the book turns to the new cafe.
    const int level = mOffset + mSelectedDay;
    if (TextVars* vars = Vars()) {
        vars->SetNumber("selectedday", mSelectedDay);
        vars->Set("brief_debrief_fake", BriefText(level));
    }
    GiveTexture(mCopy.photoBriefing, mPicture);
    GiveTexture(mCopy.photoCafe, mCafePicture);
    PlaceDayMark(mCopy);
    const ProfileRecord* profile = Profile();
    for (size_t at = 0; at < kMaxDays; ++at) {
        if (TMCandyWidget* text = mCopy.dayTexts[at]; text && mSpread.dayTexts[at]) {
            SetShown(text, mSpread.dayTexts[at]->mVisible);
            text->SetDisabled(mSpread.dayTexts[at]->mDisabled);
        }
        const auto dayLevel = static_cast<size_t>(mOffset) + at + 1;
        const bool passed = profile && static_cast<int>(at) < mFurthestDay && dayLevel <= kLastLevel &&
                            profile->bestMoney[dayLevel] != 0;
        SetShown(mCopy.goals[at], passed && !profile->expert[dayLevel]);
        SetShown(mCopy.experts[at], passed && profile->expert[dayLevel]);
    }
    ShowStoredResult(mCopy, level);

    SetCafe(cafe);
    SetEnabled(mNextButton, false);
    SetShown(mNextButton, false);
    SetEnabled(mPlayButton, true);
    SetShown(mPlayButton, true);
    if (mCopyBook)
        BringToFront(mCopyBook);
    ShowCafe(true);
    RefreshDay(true, false);
    SetShown(mCopyBook, true);
    if (TMEngine3* game = Game(); game && game->mMainMenuBoard)
        game->mMainMenuBoard->TurnPage(mBook, backwards, TMBoard_MainMenu::kTargetCareer);
}

// ---- Starting a day ----------------------------------------------------------------------------------------------

void TMBoard_Career::StartDay(int level)
{
    mResultRunning = false;
    level = std::clamp(level, 1, kLastLevel);
    mLevelToStart = level;
    SetCafeOfLevel(level);
    mSelectedDay = level - mOffset;
    switch (level) {
    case 1:
        mComicPage = 1;
        break;
    case 6:
        mComicPage = 4;
        break;
    case 16:
        mComicPage = 5;
        break;
    case 26:
        mComicPage = 6;
        break;
    case 36:
        mComicPage = 7;
        break;
    case 46:
        mComicPage = 8;
        break;
    default:
        break;
    }
    if (mComicPage != 0) {
        SetShown(mComics, true);
        ShowComic(true);
        return;
    }
    StartLevelLoad();
}

void TMBoard_Career::StartLevelLoad()
{
    SetShown(mComics, false);
    SetShown(this, false);
    TMEngine3* game = Game();
    if (!game || !game->mGameBoard) {
        EngineLog("career: no game board to play level %d on", mLevelToStart);
        return;
    }
    if (game->mWidgetManager && game->mGameBoard->mWidgetManager)
        game->mWidgetManager->BringToFront(game->mGameBoard);
    game->mGameBoard->StartLoadThread(mLevelToStart, false);
}

void TMBoard_Career::ShowComic(bool show)
{
    if (!show || mComicPage < 1 || mComicPage > kEndingComic)
        return;
    TMCandyWidget* page = ChildOf(mComics, kComicPages[mComicPage]);
    if (!page) {
        // No page to turn to: go on as its next button would.
        EngineLog("career: comic page \"%s\" missing; skipped", kComicPages[mComicPage]);
        if (mComicPage == kEndingComic) {
            mResultRunning = false;
            mComicPage = 0;
            SetShown(this, false);
            if (TMEngine3* game = Game(); game && game->mMainMenuBoard)
                game->mMainMenuBoard->Show();
        } else {
            mComicPage = 0;
            StartLevelLoad();
        }
        return;
    }
    page->Show();
    page->ShowChildren();
    if (TMEngine3* game = Game(); game && game->mMainMenuBoard)
        game->mMainMenuBoard->TurnPage(page, false, TMBoard_MainMenu::kTargetCareer);
    if (mComics) {
        BringToFront(mComics);
        if (mComicNext) {
            mComics->BringToFront(mComicNext);
            mComicNext->RewindAnimations();
            mComicNext->Show();
        }
    }
}

// ---- A finished day ----------------------------------------------------------------------------------------------

void TMBoard_Career::ShowLevelResult(int money, int result, int level)
{
    TMEngine::PlaySound("debriefing_money");
    mResultTime = 0.0f;
    mResultMoney = money;
    mResultRunning = true;
    for (TMCandyWidget* button : {mPlayButton, mNextButton}) {
        SetEnabled(button, false);
        SetShown(button, false);
    }
    for (size_t k = 0; k < 4; ++k) {
        SetShown(mSpread.achIcons[k], false);
        SetShown(mSpread.achBackgrounds[k], false);
    }
    SetShown(mSpread.achPrize, false);
    level = std::clamp(level, 1, kLastLevel);
    SetCafeOfLevel(level);
    if (mSelectedDay < 1 || mSelectedDay > mDayCount)
        mSelectedDay = level - mOffset; // a day not started from the book
    const auto flagLevel = static_cast<size_t>(std::clamp(mOffset + mSelectedDay, 1, kLastLevel));

    ProfileRecord* profile = Profile();
    const char* splashName = result == 0 ? "expert_splash" : result == 1 ? "goal_splash" : "fail_splash";
    mSplash = FindChild(splashName);
    SetShown(mSplash, false);
    if (result == 0 && profile)
        profile->expert[flagLevel] = 1;

    TMEngine3* game = Game();
    const bool passed = result == 0 || result == 1;
    if (passed && profile) {
        if (level == profile->furthestLevel)
            ++profile->furthestLevel;
        if (level == kLastLevel) {
            SetShown(mComics, true);
            mComicPage = kEndingComic;
            ShowComic(true);
        }
        std::array<uint8_t, 5> flags{};
        int earned = 0;
        if (TMBoard_Game3* board = game ? game->mGameBoard : nullptr) {
            const TMBoard_Game3::AchParams& targets = board->GetAchParams();
            const auto counter = [board](int index) { return board->GetAchievementCounter(index); };
            const struct {
                int index;
                bool won;
            } tests[] = {
                {1, counter(TMBoard_Game3::kAchClean) != 0 && counter(TMBoard_Game3::kAchClean) >= targets.clean},
                {0, counter(TMBoard_Game3::kAchIce) != 0 && counter(TMBoard_Game3::kAchIce) >= targets.freeze},
                {2, counter(TMBoard_Game3::kAchHappy) != 0 && counter(TMBoard_Game3::kAchHappy) >= targets.candy},
                {3, counter(TMBoard_Game3::kAchBroke) == 0 && targets.noBroke == 1},
            };
            mIconX = 40;
            for (const auto& test : tests) {
                if (!test.won)
                    continue;
                const auto k = static_cast<size_t>(test.index);
                for (TMCandyWidget* widget : {mSpread.achBackgrounds[k], mSpread.achIcons[k]}) {
                    if (widget) {
                        widget->Move(mIconX, 0);
                        SetShown(widget, true);
                    }
                }
                mIconX += 40;
                mResultMoney += targets.bonusCash;
                flags[k] = 1;
                ++earned;
            }
            if (earned >= targets.bonusSuper) {
                SetShown(mSpread.achPrize, true);
                mResultMoney += targets.bonusSuperCash;
                flags[4] = 1;
            }
        }
        const auto slot = static_cast<size_t>(level);
        if (profile->bestMoney[slot] < mResultMoney) {
            profile->bestMoney[slot] = mResultMoney;
            std::copy(flags.begin(), flags.end(),
                      profile->achievements.begin() +
                          static_cast<ptrdiff_t>(ProfileRecord::kAchievementsPerLevel * slot));
            // The sum can pass what the record table holds: it is kept within its range.
            int64_t total = 0;
            const int last = std::clamp(profile->furthestLevel, 1, kLastLevel);
            for (int l = 1; l <= last; ++l)
                total += profile->bestMoney[static_cast<size_t>(l)];
            total = std::clamp<int64_t>(total, 0, std::numeric_limits<int32_t>::max());
            game->GetPref().InsertHiScore(false, profile->Name(), static_cast<int>(total));
        }
    }
    const bool next = profile && level < profile->furthestLevel;
    SetShown(next ? mNextButton : mPlayButton, true);

    if (game && game->mMainMenuBoard) {
        if (game->mWidgetManager && game->mMainMenuBoard->mWidgetManager)
            game->mWidgetManager->BringToFront(game->mMainMenuBoard);
        SetShown(game->mMainMenuBoard, true);
    }
    if (mWidgetManager) {
        mWidgetManager->SetFocus(this);
        mWidgetManager->BringToFront(this);
    }
    const int selected = mSelectedDay;
    ShowCafe(true);
    mSelectedDay = selected;
    RefreshDay(false, true);
}

void TMBoard_Career::Update()
{
    if (mVisible && mResultRunning && mComicPage == 0) {
        mResultTime += static_cast<float>((mApp ? mApp->mUpdateInterval : 10) / 1000.0);
        if (mResultTime > 1.0f && mSplash && !mSplash->mVisible) {
            BringToFront(mSplash);
            mSplash->Show();
            mSplash->ShowChildren();
        }
        const int shown = mResultTime > kCountSeconds
                              ? mResultMoney
                              : static_cast<int>(static_cast<float>(mResultMoney) * mResultTime * 0.5f);
        if (TextVars* vars = Vars())
            vars->SetNumber("score", shown);
        if (mResultTime > kCountSeconds)
            mResultRunning = false;
    } else {
        mResultRunning = false;
        SetEnabled(mPlayButton, true);
        SetEnabled(mNextButton, true);
    }
    TMDialog::Update();
}

// ---- Showing -----------------------------------------------------------------------------------------------------

void TMBoard_Career::OnShow()
{
    TMDialog::OnShow();
    for (size_t i = 0; i < 3; ++i) {
        SetShown(mCafeTabs[i], false);
        SetShown(mCafeTitles[i], false);
    }
    if (mComicPage == kEndingComic)
        SetShown(mComics, false);
    if (mSelectedDay == -1)
        LoadFromProfile();
    RefreshDay(true, false);
    if (mSpread.dayMark)
        mSpread.dayMark->Show();
    TMEngine::PlaySound("briefing_show");
    if (TMEngine3* game = Game(); game && game->mMainMenuBoard && mBook)
        game->mMainMenuBoard->TurnPage(mBook, false, TMBoard_MainMenu::kTargetCareer);
}

void TMBoard_Career::OnHide()
{
    TMDialog::OnHide();
    mResultRunning = false;
}

// ---- Commands ----------------------------------------------------------------------------------------------------

void TMBoard_Career::OnControl(intptr_t controlId)
{
    if (controlId == 0)
        return;
    TMEngine3* game = Game();
    if (controlId == IdOf(mBackButton)) {
        mResultRunning = false;
        if (game && game->mGameBoard)
            SetShown(game->mGameBoard, false);
        if (game && game->mMainMenuBoard)
            game->mMainMenuBoard->TurnPage(nullptr, true, TMBoard_MainMenu::kTargetMainMenu);
        for (size_t i = 0; i < 3; ++i) {
            SetShown(mCafeTabs[i], false);
            SetShown(mCafeTitles[i], false);
        }
        return;
    }
    if (controlId == IdOf(mComicNext)) {
        if (mComicPage == 1 || mComicPage == 2) {
            ++mComicPage;
            ShowComic(true);
        } else if (mComicPage == kEndingComic) {
            mResultRunning = false;
            SetShown(this, false);
            mComicPage = 0;
            if (game && game->mMainMenuBoard)
                game->mMainMenuBoard->Show();
        } else if (mComicPage >= 3) {
            mComicPage = 0;
            StartLevelLoad();
        }
        return;
    }
    if (controlId == IdOf(mPlayButton)) {
        StartDay(mOffset + mSelectedDay);
        return;
    }
    if (controlId == IdOf(mNextButton)) {
        StartDay(std::min(mOffset + mSelectedDay + 1, kLastLevel));
        return;
    }
    if (controlId == IdOf(mResetButton)) {
        if (ShowConfirmDialog2("delcareer") != 1 || !game)
            return;
        mResultRunning = false;
        game->GetPref().ResetProfile();
        // Kept only in memory, the reset would come back after a restart.
        if (!game->GetPref().Save())
            EngineLog("career: the reset could not be saved");
        SetShown(mNextButton, false);
        SetShown(mPlayButton, true);
        LoadFromProfile();
        ShowCafe(true);
        RefreshDay(false, false);
        return;
    }
    for (int cafe = 1; cafe <= 3; ++cafe) {
        if (controlId == IdOf(mCafeTabs[static_cast<size_t>(cafe - 1)])) {
            TurnToCafe(cafe);
            return;
        }
    }
    if (controlId == IdOf(mCurrentDay)) {
        mResultRunning = false;
        SetShown(mNextButton, false);
        SetShown(mPlayButton, true);
        const int before = mShownCafe;
        LoadFromProfile();
        if (mShownCafe == before) {
            ShowCafe(false);
            RefreshDay(false, false);
        } else {
            const int target = mShownCafe;
            SetCafe(before);
            TurnToCafe(target);
        }
        return;
    }
    for (int day = 1; day <= kMaxDays; ++day) {
        if (controlId != IdOf(mSpread.dayButtons[static_cast<size_t>(day - 1)]))
            continue;
        mSelectedDay = day;
        RefreshDay(false, false);
        SetShown(mPlayButton, true);
        SetShown(mNextButton, false);
        mResultRunning = false;
        return;
    }
}
