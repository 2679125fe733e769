#include "game/TutorialScript.h"

#include "engine/EngineLog.h"
#include "engine/TMBoard_Game.h"
#include "game/TBoard_Hud.h"
#include "game/TMBoard_Game3.h"
#include "game/TMMiniGame.h"

#include <iterator>

namespace {

using Names = std::array<const char*, 16>;

// The objects of the first day that the tutorial unlocks one by one.
constexpr Names kAllNine{"client_place02", "client_place03", "client_place04", "trash_bin", "tray",
                         "wash_stand",     "table01",        "table03",        "table04"};

// Ids: 1 patience, 2 idle tidiness, 3 work wear, 4 work timer, 5 client events, 6 chain parts.
// Events: 1 seated, 2 click, 3 paid, 4 ready to order, 6 mini-game reward, 8 work finished.
constexpr TutorialStep kDay1Steps[] = {
    /* 0 */ {.lockIds = {1, 6, 4, 3}, .lockNames = kAllNine},
    /* 1 */ {.trigger = 1, .showHint = 1, .lockIds = {5}, .unlockNames = {"client_place02"}},
    /* 2 */ {.trigger = 2, .hideHint = 1, .lockNames = {"client_place02"}},
    /* 3 */ {.trigger = 4, .delay = 3.0f, .showHint = 2},
    /* 4 */ {.showHint = 4, .hideHint = 2, .unlockNames = {"table01"}},
    /* 5 */ {.trigger = 2, .showHint = 5, .hideHint = 4, .lockNames = {"table01"}, .unlockNames = {"table04"}},
    /* 6 */ {.trigger = 2, .showHint = 6, .hideHint = 5, .lockNames = {"table04"}, .unlockNames = {"table03"}},
    /* 7 */
    {.trigger = 2, .delay = 3.0f, .showHint = 7, .hideHint = 6, .unlockIds = {4, 3, 2}, .lockNames = {"table03"}},
    /* 8 */ {.hideHint = 7},
    /* 9 */ {.trigger = 8, .showHint = 8, .unlockNames = {"table01"}},
    /* 10 */
    {.trigger = 2, .showHint = 9, .hideHint = 8, .lockNames = {"table01"}, .unlockNames = {"client_place02"}},
    /* 11 */ {.trigger = 2, .hideHint = 9, .lockNames = {"client_place02"}},
    /* 12 */ {.trigger = 3, .delay = 3.0f, .showHint = 10},
    /* 13 */ {.showHint = 11, .hideHint = 10, .unlockNames = {"wash_stand"}},
    /* 14 */ {.trigger = 2, .showHint = 12, .hideHint = 11, .lockNames = {"wash_stand"}, .unlockNames = {"table01"}},
    /* 15 */ {.trigger = 2, .hideHint = 12, .unlockIds = {5}, .lockNames = {"table01"}},
    /* 16 */ {.trigger = 1, .showHint = 13, .lockIds = {5}, .unlockNames = {"client_place03"}},
    /* 17 */ {.trigger = 2, .hideHint = 13, .lockNames = {"client_place03"}},
    /* 18 */ {.trigger = 4, .delay = 0.1f, .showHint = 14},
    /* 19 */ {.showHint = 15, .unlockNames = {"table04"}},
    /* 20 */ {.trigger = 2, .showHint = 16, .hideHint = 15, .lockNames = {"table04"}, .unlockNames = {"table03"}},
    /* 21 */ {.trigger = 2, .delay = 0.1f, .hideHint = 16, .lockNames = {"table03"}},
    /* 22 */ {.delay = 0.1f, .showHint = 17, .hideHint = 14, .unlockNames = {"client_place03"}},
    /* 23 */ {.showHint = 18},
    /* 24 */ {.trigger = 2, .delay = 0.1f, .hideHint = 17, .lockNames = {"client_place03"}},
    /* 25 */ {.delay = 5.0f, .hideHint = 18, .panel = true},
    /* 26 */ {.unlockIds = {5, 6}, .panel = true},
    /* 27 */ {.trigger = 1, .lockIds = {5}, .panel = true},
    /* 28 */ {.unlockIds = {5}, .panel = true},
    /* 29 */ {.trigger = 1, .lockIds = {5}, .panel = true},
    /* 30 */ {.unlockIds = {5}, .panel = true},
    /* 31 */ {.trigger = 1, .delay = 5.0f, .showHint = 19, .lockIds = {5}, .panel = true},
    /* 32 */ {.showHint = 20, .hideHint = 19, .unlockNames = {"table01"}, .click = "table01", .panel = true},
    /* 33 */ {.trigger = 2, .delay = 0.3f, .lockNames = {"table01"}, .panel = true},
    /* 34 */ {.unlockNames = {"table04"}, .click = "table04", .panel = true},
    /* 35 */ {.trigger = 2, .delay = 0.3f, .lockNames = {"table04"}, .panel = true},
    /* 36 */ {.unlockNames = {"table03"}, .click = "table03", .panel = true},
    /* 37 */ {.trigger = 2, .delay = 0.3f, .lockNames = {"table03"}, .panel = true},
    /* 38 */ {.unlockNames = {"client_place04"}, .click = "client_place04", .panel = true},
    /* 39 */ {.trigger = 2, .delay = 0.3f, .lockNames = {"client_place04"}, .panel = true},
    /* 40 */ {.unlockNames = {"client_place03"}, .click = "client_place03", .panel = true},
    /* 41 */ {.trigger = 2, .delay = 0.3f, .lockNames = {"client_place03"}, .panel = true},
    /* 42 */ {.unlockNames = {"client_place02"}, .click = "client_place02", .panel = true},
    /* 43 */
    {.trigger = 2,
     .delay = 5.0f,
     .showHint = 21,
     .hideHint = 20,
     .lockNames = {"client_place02"},
     .addParts = 4,
     .enable = 2},
    /* 44 */ {.trigger = 6, .delay = 2.0f, .showHint = 22, .hideHint = 21},
    /* 45 */ {.showHint = 23, .hideHint = 22, .enable = 2},
    /* 46 */ {.trigger = 6, .delay = 3.0f, .showHint = 24, .hideHint = 23},
    /* 47 */ {.hideHint = 24, .unlockIds = {2, 5}, .unlockNames = kAllNine},
    /* 48 */ {.trigger = 1},
};
static_assert(std::size(kDay1Steps) == 49);

constexpr int kDay1PartKinds[] = {0, 0, 1, 0, 1, 1, 3, 1};
constexpr bool kDay1PartEnabled[] = {false, false, false, false, false, false, false, false};
static_assert(std::size(kDay1PartKinds) == std::size(kDay1PartEnabled));

constexpr TutorialScriptRow kScripts[] = {
    {1, kDay1Steps, static_cast<int>(std::size(kDay1Steps)), kDay1PartKinds, kDay1PartEnabled,
     static_cast<int>(std::size(kDay1PartKinds))},
};

} // namespace

TutorialScript::TutorialScript(TBoard_Hud* hud) : mHud(hud) {}

TutorialScript::~TutorialScript() = default;

const TutorialScriptRow* TutorialScript::FindRow(int level)
{
    for (const TutorialScriptRow& row : kScripts) {
        if (row.level == level)
            return &row;
    }
    return nullptr;
}

void TutorialScript::Start(int level)
{
    Clear();
    const TutorialScriptRow* row = FindRow(level);
    if (!row)
        return;
    mSteps = row->steps;
    mStepCount = row->stepCount;
    mPartKinds = row->partKinds;
    mPartEnabled = row->partEnabled;
    mPartCount = row->partCount;
    mNextPart = 0;
    // A delay left from an earlier run must not hold back the first step.
    mDelay.Start(0.0f);
    OnEvent(0);
}

void TutorialScript::OnEvent(int id)
{
    if (!IsRunning())
        return;
    const TutorialStep& step = mSteps[mStepIndex];
    if (step.trigger != 0 && step.trigger != id)
        return;
    if (step.trigger == 0 && mDelay.IsRunning())
        return;
    ApplyStep(step);
    // The step may have reached the board, whose hooks can stop the script meanwhile.
    if (!IsRunning())
        return;
    mDelay.Start(step.delay);
    if (++mStepIndex >= mStepCount) {
        mSteps = nullptr;
        mStepCount = 0;
    }
}

void TutorialScript::Update()
{
    if (!IsRunning())
        return;
    if (mDelay.IsRunning()) {
        const bool hintClosed = mLastShownHint != 0 && mHud && !mHud->IsTutorialHintVisible(mLastShownHint);
        if (!hintClosed)
            return;
    }
    mDelay.Start(0.0f);
    OnEvent(0);
}

void TutorialScript::Clear()
{
    mSteps = nullptr;
    mStepCount = 0;
    mStepIndex = 0;
    mLastShownHint = 0;
    mLockedIds.clear();
    mLockedNames.clear();
}

bool TutorialScript::IsIdAllowed(int id) const
{
    return !IsRunning() || !mLockedIds.count(id);
}

bool TutorialScript::IsNameAllowed(const std::string& name) const
{
    return !IsRunning() || !mLockedNames.count(name);
}

int TutorialScript::NextScriptedPart(bool& enabled)
{
    if (!IsRunning() || !mPartKinds || mNextPart >= mPartCount)
        return -1;
    enabled = mPartEnabled[mNextPart];
    return mPartKinds[mNextPart++];
}

bool TutorialScript::IsRunning() const
{
    return mSteps != nullptr;
}

TMMiniGame* TutorialScript::MiniGame() const
{
    return mHud ? dynamic_cast<TMMiniGame*>(mHud->FindChild("minigame")) : nullptr;
}

void TutorialScript::ApplyStep(const TutorialStep& step)
{
    for (int id : step.lockIds) {
        if (id == 0)
            break;
        mLockedIds.insert(id);
    }
    for (int id : step.unlockIds) {
        if (id == 0)
            break;
        mLockedIds.erase(id);
    }
    for (const char* name : step.lockNames) {
        if (!name)
            break;
        mLockedNames.insert(name);
    }
    for (const char* name : step.unlockNames) {
        if (!name)
            break;
        mLockedNames.erase(name);
    }

    mLastShownHint = step.showHint;
    if (mHud) {
        if (step.showHint != 0)
            mHud->ShowTutorialHint(step.showHint, true);
        if (step.hideHint != 0)
            mHud->ShowTutorialHint(step.hideHint, false);
    }

    if (step.click && gCurrentBoard)
        gCurrentBoard->ClickItem(step.click);

    TMMiniGame* miniGame = MiniGame();
    if (step.addParts > 0 && !miniGame)
        EngineLog("tutorial: the HUD has no mini-game; %d scripted parts are not added", step.addParts);
    for (int i = 0; i < step.addParts && miniGame; ++i) {
        bool enabled = true;
        // Chain payouts take scripted parts too once they are unlocked, so fewer may be left than the step asks.
        const int kind = NextScriptedPart(enabled);
        if (kind < 0)
            break;
        miniGame->AddPart(kind, enabled, false);
    }
    if (step.enable != 0 && miniGame)
        miniGame->EnablePartAt(step.enable);

    if (mHud)
        mHud->ShowTutorialPanel(step.panel);
}

bool TutorialAllows(int id)
{
    const TutorialScript* tutorial = gGameBoard ? gGameBoard->GetTutorial() : nullptr;
    return !tutorial || tutorial->IsIdAllowed(id);
}

void TutorialEvent(int id)
{
    if (TutorialScript* tutorial = gGameBoard ? gGameBoard->GetTutorial() : nullptr)
        tutorial->OnEvent(id);
}
