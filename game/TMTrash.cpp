#include "game/TMTrash.h"

#include "game/TMBoss.h"

namespace {

/// Shared by every bin: a played animation may end at once and report back into OnAnimationEnd.
bool gTrashRunning = false;

/// Either hand of the character holds a product; an item that is no boss carries only its first hand.
bool HoldsSomething(const TMItem* by)
{
    if (!by->mValue.empty())
        return true;
    const auto* boss = dynamic_cast<const TMBoss*>(by);
    return boss && !boss->GetSecondHand().empty();
}

} // namespace

void TMTrash::Activate(bool on)
{
    TMPickItem::Activate(on);
    if (!on || gTrashRunning)
        return;
    gTrashRunning = true;
    SetAnimation("idle", false);
    mPlaying = false;
    gTrashRunning = false;
}

void TMTrash::OnAnimationEnd(TMItemPart* part, const std::string& animation)
{
    TMPickItem::OnAnimationEnd(part, animation);
    if (gTrashRunning)
        return;
    gTrashRunning = true;
    SetAnimation("idle", false);
    mPlaying = false;
    gTrashRunning = false;
}

bool TMTrash::Interact(TMItem* by, bool checkOnly, int32_t* /*extra*/)
{
    // Only the boss bins, and only when it carries something; the boss empties its own hands.
    if (!by || by->GetName() != "boss" || !HoldsSomething(by))
        return false;
    if (checkOnly)
        return true;
    if (!gTrashRunning) {
        gTrashRunning = true;
        SetAnimation("activation", false);
        mPlaying = true;
        gTrashRunning = false;
    }
    return false;
}
