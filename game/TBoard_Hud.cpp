#include "game/TBoard_Hud.h"

#include "engine/ControlDrawing.h"
#include "engine/EngineLog.h"
#include "engine/TMBoard_Game.h"
#include "engine/TMButton.h"
#include "engine/TMEngine.h"
#include "engine/TMSoundManager.h"
#include "engine/TMText.h"
#include "engine/TMTexture.h"
#include "engine/TextureTable.h"
#include "game/TMBoard_EscapeMenu.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoard_Upgrade.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kTopLevelNames[] = {"right_part",         "menu_btn",    "left_part",     "achievments",
                                          "left_survival_part", "goal_splash", "expert_splash", "survival_life",
                                          "globalclean",        "freeze",      "tutor_bg"};
constexpr const char* kHintPrefix = "tutorial";
/// The clean effect and the freeze bar play their effects four times as large.
constexpr float kRewardEffectScale = 4.0f;

void ShowWidget(TMCandyWidget* widget)
{
    if (widget)
        widget->Show();
}

void HideWidget(TMCandyWidget* widget)
{
    if (widget)
        widget->Hide();
}

void ShowWithChildren(TMCandyWidget* widget)
{
    if (!widget)
        return;
    widget->Show();
    widget->ShowChildren();
}

void HideWithChildren(TMCandyWidget* widget)
{
    if (!widget)
        return;
    widget->HideChildren();
    widget->Hide();
}

/// The frame for progress p of n frames (n > 0): trunc(p x (n - 1)), kept within the list, as survival progress
/// may pass 1.
int FrameFor(float progress, size_t count)
{
    const double frame = std::trunc(static_cast<double>(progress) * static_cast<double>(count - 1));
    return static_cast<int>(std::clamp(frame, 0.0, static_cast<double>(count - 1)));
}

} // namespace

TBoard_Hud::TBoard_Hud(TMBoard_Game3* board, Pyxo::PyxoAppBase* app, pugi::xml_node root)
    : TMDialog(board, app), mBoard(board)
{
    LoadByName(root, "hud");
    for (const char* name : kTopLevelNames) {
        if (!FindChild(name))
            LogMissing(name);
    }
    mClockFrames = LoadFrames("hud_watch%02d");
    mUpgradeFrames = LoadFrames("hud_upgrade_%02d");
    mAchievementPos = kFirstAchievementPos;
    mLastFrame = -1;
}

TBoard_Hud::~TBoard_Hud() = default;

std::vector<TextureHandle> TBoard_Hud::LoadFrames(const char* format)
{
    std::vector<TextureHandle> frames;
    TMEngine* engine = TMEngine::GetEngine();
    TextureTable* table = engine ? engine->GetTextureTable() : nullptr;
    if (!table)
        return frames;
    for (int i = 0;; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, format, i);
        TextureHandle frame = table->Find(name);
        if (!frame.GetRecord())
            break;
        frames.push_back(frame);
    }
    return frames;
}

void TBoard_Hud::LogMissing(const std::string& name)
{
    if (mLoggedMissing.insert(name).second)
        EngineLog("hud: no child \"%s\"; what it shows is left out", name.c_str());
}

TMCandyWidget* TBoard_Hud::BindChild(TMCandyWidget* parent, const std::string& parentName, const std::string& name)
{
    TMCandyWidget* child = parent->FindChild(name);
    if (!child)
        LogMissing(parentName + "/" + name);
    return child;
}

// ---- Binding ------------------------------------------------------------------------------------------------------

void TBoard_Hud::AddChild(const std::string& name, TMCandyWidget* child)
{
    Bound& b = mBound;
    const auto bind = [&](const std::string& childName) { return BindChild(child, name, childName); };
    if (!child) {
        TMDialog::AddChild(name, child);
        return;
    }
    if (name == "right_part") {
        b.rightPart = child;
        b.goalBkg = bind("goal_bkg");
        b.expertBkg = bind("expert_bkg");
        b.goalValue = bind("goal_value");
        b.expertValue = bind("expert_value");
        b.goalText = bind("goal_text");
        b.expertText = bind("expert_text");
        b.moneyGoalValue = bind("money_goal_value");
        b.moneyExpertValue = bind("money_expert_value");
        b.moneyGoalGhost = bind("money_goal_value_ghost");
        b.moneyExpertGhost = bind("money_expert_value_ghost");
    } else if (name == "menu_btn") {
        b.menuButton = child;
    } else if (name == "left_part") {
        b.leftPart = child;
        b.clock = bind("clock");
        b.alarm = bind("alarm");
        b.closed = bind("closed");
    } else if (name == "achievments") {
        b.achievements = child;
        char childName[32];
        for (int kind = 1; kind <= 4; ++kind) {
            std::snprintf(childName, sizeof childName, "ach_%01d", kind);
            b.achIcons[size_t(kind - 1)] = bind(childName);
        }
        for (int kind = 1; kind <= 3; ++kind) {
            for (int level = 1; level <= 5; ++level) {
                std::snprintf(childName, sizeof childName, "ach_%d_%02d", kind, level);
                b.achLevels[size_t(kind - 1)][size_t(level - 1)] = bind(childName);
            }
        }
    } else if (name == "left_survival_part") {
        b.leftSurvivalPart = child;
        b.upgradeClock = bind("clock");
        b.upgradeBack = bind("upgrade_back");
        b.upgradeButton = bind("upgrade_btn");
    } else if (name == "goal_splash") {
        b.goalSplash = child;
    } else if (name == "expert_splash") {
        b.expertSplash = child;
    } else if (name == "survival_life") {
        b.survivalLife = child;
        for (int i = 0; i < 4; ++i)
            b.lives[size_t(i)] = bind("life_" + std::to_string(i));
    } else if (name == "globalclean") {
        b.globalClean = child;
        b.globalCleaning = bind("globalcleaning");
        if (b.globalCleaning)
            b.globalCleaning->SetScale(kRewardEffectScale);
    } else if (name == "freeze") {
        b.freeze = child;
        for (int i = 0; i < 3; ++i) {
            TMCandyWidget* step = bind("step_" + std::to_string(i + 1));
            b.freezeSteps[size_t(i)] = step;
            if (step)
                step->SetScale(kRewardEffectScale);
        }
    } else if (name == "tutor_bg") {
        b.tutorBg = child;
    } else if (name.rfind(kHintPrefix, 0) == 0) {
        const std::string digits = name.substr(std::char_traits<char>::length(kHintPrefix));
        if (!digits.empty() && std::isdigit(static_cast<unsigned char>(digits[0])))
            mHints.emplace(std::atoi(digits.c_str()), child); // the first of a name stays, as in the dialog
        else
            EngineLog("hud: \"%s\" has no number after \"%s\"; it is no tutorial hint", name.c_str(), kHintPrefix);
    }
    TMDialog::AddChild(name, child);
}

// ---- Widget -------------------------------------------------------------------------------------------------------

void TBoard_Hud::OnShow()
{
    if (mParent)
        mParent->BringToFront(this);
}

void TBoard_Hud::Activate()
{
    TMDialog::Activate();
    mAcquiredFrames = mSurvival ? &mUpgradeFrames : &mClockFrames;
    for (TextureHandle& frame : *mAcquiredFrames)
        frame.Acquire();
    if (mSurvival) {
        HideWidget(mBound.achievements);
        return;
    }
    HideWidget(mBound.closed);
    for (TMCandyWidget* icon : mBound.achIcons)
        HideWidget(icon);
    if (mBoard && mBoard->GetAchParams().noBroke != 0)
        ShowWidget(mBound.achIcons[3]);
    for (auto& row : mBound.achLevels) {
        for (TMCandyWidget* icon : row)
            HideWidget(icon);
    }
}

void TBoard_Hud::Deactivate()
{
    TMDialog::Deactivate();
    if (mAcquiredFrames) {
        for (TextureHandle& frame : *mAcquiredFrames)
            frame.Release();
        mAcquiredFrames = nullptr;
    }
}

void TBoard_Hud::OnControl(intptr_t controlId)
{
    const auto* control = reinterpret_cast<const TMCandyWidget*>(controlId);
    if (!mBoard || !control)
        return;
    if (control == mBound.menuButton) {
        if (TMBoard_EscapeMenu* menu = mBoard->GetEscapeMenu())
            menu->Show();
    } else if (control == mBound.upgradeButton) {
        if (TMBoard_Upgrade* screen = mBoard->GetUpgradeScreen())
            screen->Show();
    }
}

void TBoard_Hud::Update()
{
    TMDialog::Update();
    if (!mVisible || !mBoard)
        return;
    if (mBound.clock && mBound.clock->mVisible) {
        const float progress = mBoard->GetProgress();
        const std::vector<TextureHandle>& frames = mSurvival ? mUpgradeFrames : mClockFrames;
        // Without frames there is nothing to index: the indicator stays as it is.
        if (frames.empty()) {
            if (!mNoFramesLogged) {
                mNoFramesLogged = true;
                EngineLog("hud: no %s frames; the indicator is left as it is",
                          mSurvival ? "\"hud_upgrade_%02d\"" : "\"hud_watch%02d\"");
            }
        } else if (mSurvival) {
            const int frame = FrameFor(progress, frames.size());
            if (mBoard->GetPendingUpgrades().empty()) {
                if (frame != mLastFrame) {
                    mLastFrame = frame;
                    if (mBound.upgradeClock) {
                        ControlDrawing::SetTexture(mBound.upgradeClock, frames[size_t(frame)]);
                        mBound.upgradeClock->SetVisible(true);
                    }
                }
            } else if (mBound.upgradeClock) {
                mBound.upgradeClock->SetVisible(false);
            }
        } else {
            const int frame = FrameFor(progress, frames.size());
            const int last = static_cast<int>(frames.size()) - 1;
            if (frame != mLastFrame) {
                mLastFrame = frame;
                ControlDrawing::SetTexture(mBound.clock, frames[size_t(frame)]);
            }
            if (frame == last && mAlarmArmed) {
                ShowWidget(mBound.alarm);
                ShowWidget(mBound.closed);
                mAlarmArmed = false;
            } else if (frame != last) {
                HideAlarm();
            }
        }
    }
    if (mBound.freeze && mBound.freeze->mVisible && !mFreezeCountdown.IsRunning())
        HideWithChildren(mBound.freeze);
}

void TBoard_Hud::HideAlarm()
{
    TMCandyWidget* alarm = mBound.alarm;
    if (alarm && ((alarm->mVisible && !alarm->IsHiding()) || alarm->IsShowing()))
        alarm->Hide();
}

void TBoard_Hud::PlaySound(const char* name) const
{
    TMEngine::PlaySound(name);
}

// ---- Modes and panels ---------------------------------------------------------------------------------------------

void TBoard_Hud::SetMode(bool survival)
{
    mSurvival = survival;
    mLastFrame = -1;
    mAlarmArmed = true;
    ShowWidget(mBound.goalBkg);
    ShowWidget(mBound.goalText);
    ShowWidget(mBound.goalValue);
    ShowWidget(mBound.moneyGoalValue);
    ShowWidget(mBound.moneyGoalGhost);
    ShowWidget(mBound.rightPart);
    if (survival) {
        ShowWidget(mBound.survivalLife);
        ShowWidget(mBound.leftSurvivalPart);
    } else {
        ShowWidget(mBound.leftPart);
    }
}

void TBoard_Hud::Reset()
{
    for (size_t i = 0; i < 3; ++i)
        HideWidget(mBound.lives[i]);
    mShownLives = 0;
    HideWidget(mBound.leftPart);
    HideWidget(mBound.leftSurvivalPart);
    HideWithChildren(mBound.goalSplash);
    HideWithChildren(mBound.expertSplash);
    for (TMCandyWidget* panel :
         {mBound.goalBkg, mBound.expertBkg, mBound.goalValue, mBound.expertValue, mBound.goalText, mBound.expertText,
          mBound.moneyGoalValue, mBound.moneyExpertValue, mBound.moneyGoalGhost, mBound.moneyExpertGhost})
        HideWidget(panel);
    HideWidget(mBound.survivalLife);
    ShowUpgradeButton(false);
    HideWidget(mBound.rightPart);
    for (auto& [id, hint] : mHints)
        hint->Hide();
}

void TBoard_Hud::ShowGoalSplash()
{
    ShowWithChildren(mBound.goalSplash);
    PlaySound("goal");
    if (mSurvival)
        return;
    for (TMCandyWidget* panel :
         {mBound.goalBkg, mBound.goalValue, mBound.goalText, mBound.moneyGoalValue, mBound.moneyGoalGhost})
        HideWidget(panel);
    for (TMCandyWidget* panel :
         {mBound.expertBkg, mBound.expertValue, mBound.expertText, mBound.moneyExpertValue, mBound.moneyExpertGhost})
        ShowWidget(panel);
}

void TBoard_Hud::ShowExpertSplash()
{
    ShowWithChildren(mBound.expertSplash);
    PlaySound("expert");
}

void TBoard_Hud::SetLives(int lives)
{
    if (lives < 0 || lives > 3) {
        EngineLog("hud: %d lives cannot be shown (0 to 3); the lives stay at %d", lives, mShownLives);
        return;
    }
    if (lives == mShownLives)
        return;
    HideWidget(mBound.lives[size_t(mShownLives)]);
    ShowWidget(mBound.lives[size_t(lives)]);
    mShownLives = lives;
}

void TBoard_Hud::ShowUpgradeButton(bool show)
{
    if (show) {
        ShowWidget(mBound.upgradeButton);
        ShowWidget(mBound.upgradeBack);
    } else {
        HideWidget(mBound.upgradeButton);
        HideWidget(mBound.upgradeBack);
    }
}

void TBoard_Hud::ShowCleanEffect()
{
    ShowWithChildren(mBound.globalCleaning);
}

void TBoard_Hud::ShowFreezeBar(float seconds)
{
    mFreezeCountdown.Start(seconds);
    ShowWithChildren(mBound.freeze);
}

void TBoard_Hud::ShowTutorialHint(int id, bool show)
{
    const auto found = mHints.find(id);
    if (found == mHints.end())
        return;
    if (show)
        found->second->Show();
    else
        found->second->Hide();
}

bool TBoard_Hud::IsTutorialHintVisible(int id) const
{
    const auto found = mHints.find(id);
    if (found == mHints.end())
        return false;
    // A hint whose effect is still bringing it in counts as open, or the script would skip the step's delay.
    const TMCandyWidget* hint = found->second;
    return (hint->mVisible && !hint->IsHiding()) || hint->IsShowing();
}

void TBoard_Hud::ShowTutorialPanel(bool show)
{
    if (show)
        ShowWidget(mBound.tutorBg);
    else
        HideWidget(mBound.tutorBg);
}

// ---- Achievements -------------------------------------------------------------------------------------------------

void TBoard_Hud::ShowAchievementIcon(int kind, bool show)
{
    if (kind < 1 || kind > 4)
        return;
    if (show)
        ShowWidget(mBound.achIcons[size_t(kind - 1)]);
    else
        HideWidget(mBound.achIcons[size_t(kind - 1)]);
}

void TBoard_Hud::HideAchievementLevels(int kind)
{
    if (kind < 1 || kind > 3)
        return;
    for (TMCandyWidget* icon : mBound.achLevels[size_t(kind - 1)])
        HideWidget(icon);
}

void TBoard_Hud::MoveAchievementRow(int kind, int x)
{
    if (kind < 1 || kind > 3)
        return;
    if (TMCandyWidget* icon = mBound.achIcons[size_t(kind - 1)])
        icon->Move(x, 0);
    for (TMCandyWidget* level : mBound.achLevels[size_t(kind - 1)]) {
        if (level)
            level->Move(x, 0);
    }
}

void TBoard_Hud::ShowAchievementLevel(int kind, int level)
{
    if (kind < 1 || kind > 3 || level < 1 || level > 5)
        return;
    ShowWidget(mBound.achLevels[size_t(kind - 1)][size_t(level - 1)]);
}
