#include "game/TMBoard_Briefing.h"

#include "engine/EngineLog.h"
#include "engine/TMBoard_Game.h"
#include "engine/TMEngine.h"
#include "engine/TMLocTable.h"
#include "engine/TMText.h"
#include "engine/TextVars.h"
#include "engine/TextureTable.h"
#include "shell/WidgetManager.h"

#include <cstdio>

namespace {

std::wstring Localised(const std::string& id)
{
    return TMEngine::GetLocText(id);
}

/// The localised text of the number; the number itself where the localisation has none, so that the HUD's
/// cafe and day never go blank.
std::wstring NumberText(int number)
{
    std::wstring text = Localised(std::to_string(number));
    return text.empty() ? std::to_wstring(number) : text;
}

} // namespace

TMBoard_Briefing::TMBoard_Briefing(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "briefing_dialog");
    const std::pair<const char*, const void*> bound[] = {
        {"start", mStartButton},
        {"goal_text", mGoalText},
        {"expert_text", mExpertText},
        {"settings_text", mSettingsText},
    };
    for (const auto& [name, control] : bound) {
        if (!control)
            EngineLog("briefing_dialog: no control \"%s\"", name);
    }
}

TMBoard_Briefing::~TMBoard_Briefing() = default;

void TMBoard_Briefing::AddChild(const std::string& name, TMCandyWidget* child)
{
    if (name == "start")
        mStartButton = child;
    else if (name == "goal_text")
        mGoalText = dynamic_cast<TMText*>(child);
    else if (name == "expert_text")
        mExpertText = dynamic_cast<TMText*>(child);
    else if (name == "settings_text")
        mSettingsText = dynamic_cast<TMText*>(child);
    TMCandyWidget::AddChild(name, child);
}

void TMBoard_Briefing::OnShow()
{
    TMDialog::OnShow();
    TMBoard_Game* board = gCurrentBoard;
    if (!board)
        return;
    Fill(*board);
    // One pause at most: a second Show of the open card must not leave the board paused after it closes.
    if (mPausedBoard != board) {
        if (mPausedBoard)
            mPausedBoard->Resume();
        board->Pause();
        mPausedBoard = board;
    }
}

void TMBoard_Briefing::OnHide()
{
    TMDialog::OnHide();
    // Hiding a closed card resumes nothing: the pause it would undo belongs to another screen.
    if (mPausedBoard && mPausedBoard == gCurrentBoard)
        mPausedBoard->Resume();
    mPausedBoard = nullptr;
}

void TMBoard_Briefing::Fill(TMBoard_Game& board)
{
    const int level = board.mLevel;
    const bool survival = board.mSurvival;
    TMCandyWidget* picture = FindChild("picture");

    char pictureName[32];
    char introKey[32];
    std::snprintf(pictureName, sizeof pictureName, survival ? "ebriefing_%02d" : "briefing_%02d", level);
    std::snprintf(introKey, sizeof introKey, survival ? "ebreif_text_l%02d" : "breif_text_l%02d", level);
    const char* goalKey = survival ? "mn04_endless_goal" : "mn04_goal";
    const char* expertKey = survival ? "mn04_endless_expert" : "mn04_expert";
    const char* settingsKey = survival ? "mn04_endless_ready" : "mn04_ready";

    if (mGoalText)
        mGoalText->SetText(Localised(goalKey));
    if (mExpertText)
        mExpertText->SetText(Localised(expertKey));
    if (mSettingsText)
        mSettingsText->SetText(Localised(settingsKey));

    TMEngine* engine = TMEngine::GetEngine();
    TextVars* vars = engine ? engine->GetTextVars() : nullptr;
    if (vars)
        vars->Set("level_briefing", Localised(introKey));

    mPictureName = pictureName;
    if (engine && engine->GetTextureTable()) {
        TextureHandle texture = engine->GetTextureTable()->Find(mPictureName);
        if (!texture.GetRecord())
            texture = engine->GetTextureTable()->Find("briefing_00");
        if (auto* pictureText = dynamic_cast<TMText*>(picture))
            pictureText->SetTextureAll(texture);
    }

    // Career: the cafe and its day of the level. Survival: the cafe is the level and the day is the stage reached.
    int cafe = 0;
    int day = 0;
    if (survival) {
        cafe = level;
        day = board.GetStageCounter();
    } else if (level <= 15) {
        cafe = 1;
        day = level;
    } else if (level <= 35) {
        cafe = 2;
        day = level - 15;
    } else {
        cafe = 3;
        day = level - 35;
    }
    if (vars) {
        const std::wstring cafeText = NumberText(cafe);
        const std::wstring dayText = NumberText(day);
        vars->Set("currentcafe", cafeText);
        vars->Set("cafe", cafeText);
        vars->Set("currentday", dayText);
        vars->Set("day", dayText);
    }
}

void TMBoard_Briefing::Activate()
{
    TMDialog::Activate();
    if (mParent)
        mParent->BringToFront(this);
    if (!mModalRegistered)
        PushModal();
    if (mWidgetManager)
        mWidgetManager->SetFocus(this);
}

void TMBoard_Briefing::Deactivate()
{
    TMDialog::Deactivate();
    if (mParent)
        mParent->BringToBack(this);
    if (mModalRegistered)
        PopModal();
    if (mWidgetManager && gCurrentBoard && gCurrentBoard->mWidgetManager)
        mWidgetManager->SetFocus(gCurrentBoard);
}

void TMBoard_Briefing::OnControl(intptr_t controlId)
{
    if (mStartButton && controlId == reinterpret_cast<intptr_t>(mStartButton))
        Hide();
}
