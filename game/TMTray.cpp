#include "game/TMTray.h"

#include "engine/EngineLog.h"
#include "engine/XmlConfig.h"
#include "game/TMBoard_Game3.h"
#include "game/TutorialScript.h"

namespace {

constexpr size_t kProductSize = 260;

/// Shared by every tray: playing "idle" may end at once and report back into OnAnimationEnd.
bool gTrayRunning = false;

} // namespace

void TMTray::Activate(bool on)
{
    TMPickItem::Activate(on);
    if (!on || gTrayRunning)
        return;
    gTrayRunning = true;
    SetAnimation("idle", false);
    mPlaying = false;
    gTrayRunning = false;
}

void TMTray::OnAnimationEnd(TMItemPart* part, const std::string& animation)
{
    TMPickItem::OnAnimationEnd(part, animation);
    if (gTrayRunning)
        return;
    gTrayRunning = true;
    SetAnimation("idle", false);
    mPlaying = false;
    gTrayRunning = false;
}

void TMTray::Load(pugi::xml_node node)
{
    TMPickItem::Load(node);
    if (!XmlGetAttrString(node, "thing", mValue, kProductSize) || mValue.empty())
        EngineLog("tray \"%s\": no \"thing\"; it offers no product", mName.c_str());
}

bool TMTray::Interact(TMItem* by, bool checkOnly, int32_t* /*extra*/)
{
    // The boss takes the product itself; the tray only confirms and tells the tutorial.
    if (!by || by != gBoss)
        return false;
    if (checkOnly)
        return true;
    if (gGameBoard)
        if (TutorialScript* tutorial = gGameBoard->GetTutorial())
            tutorial->OnEvent(5);
    return false;
}
