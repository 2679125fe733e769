#include "game/TutorialScript.h"

#include "engine/NotBuiltYet.h"

TutorialScript::TutorialScript(TBoard_Hud* hud) : mHud(hud) {}

TutorialScript::~TutorialScript() = default;

void TutorialScript::Start(int /*level*/)
{
    ENGINE_NOT_BUILT_YET();
    Clear();
}

void TutorialScript::OnEvent(int /*id*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TutorialScript::Update()
{
    ENGINE_NOT_BUILT_YET();
}

void TutorialScript::Clear()
{
    mLockedIds.clear();
    mLockedNames.clear();
}

bool TutorialScript::IsIdAllowed(int id) const
{
    return !mLockedIds.count(id);
}

bool TutorialScript::IsNameAllowed(const std::string& name) const
{
    return !mLockedNames.count(name);
}

int TutorialScript::NextScriptedPart(bool& enabled)
{
    ENGINE_NOT_BUILT_YET();
    enabled = true;
    return -1;
}

bool TutorialScript::IsRunning() const
{
    return false;
}
