#include "engine/TMItem.h"

#include "engine/EffectLibrary.h"
#include "engine/EngineLog.h"
#include "engine/EngineRandom.h"
#include "engine/GameClock.h"
#include "engine/ItemFactory.h"
#include "engine/TMEffect.h"
#include "engine/TMItemPart.h"
#include "engine/XmlConfig.h"
#include "engine/ZOrder.h"

std::list<TMItem*> gItems;
std::map<std::string, TMItem*> gItemsByName;
TMItem* gBoss = nullptr;
TMItem* gBonusItem = nullptr;

TMItem::TMItem()
{
    mTargets.present = &mPresent;
}

TMItem::~TMItem() = default;

void TMItem::SetVisible(bool visible)
{
    mVisible = visible;
    mMouseOver = false;
}

bool TMItem::ApplyUpgrade(const std::string& skin)
{
    SetSkin(skin, true);
    return ApplyAnimation(mCurrentAnimation, nullptr);
}

void TMItem::Activate(bool on)
{
    if (on)
        Show(true);
}

const TMItem::AnimationPause* TMItem::FindPause(const std::string& animation) const
{
    for (const AnimationPause& pause : mPauses) {
        if (pause.animation == animation)
            return &pause;
    }
    return nullptr;
}

void TMItem::OnAnimationEnd(TMItemPart* /*part*/, const std::string& animation)
{
    if (const AnimationPause* pause = FindPause(animation)) {
        mPauseActive = true;
        mPauseTime = RandFloatRange(pause->minHold, pause->maxHold);
        mPauseAnimation = pause->animation;
    }
}

void TMItem::ArmPause(const std::string& animation)
{
    const AnimationPause* pause = FindPause(animation);
    if (!pause)
        return;
    mPauseActive = true;
    mPauseTime = RandFloatRange(pause->minHold, pause->maxHold);
    mPauseAnimation = pause->animation;
    for (const auto& part : mParts)
        part->PlayToFrame(pause->frame);
}

void TMItem::SetMouseOver(Pyxo::Point /*point*/, bool over)
{
    mMouseOver = over;
}

void TMItem::LoadLevelState(pugi::xml_node node)
{
    const std::string skin = XmlReadString(node, "skin");
    const std::string animation = XmlReadString(node, "anim");
    SetSkin(skin, true);
    ApplyAnimation("", nullptr);
    if (!animation.empty())
        SetAnimation(animation, false);
    bool stop = false;
    if (XmlGetAttrBool(node, "stop", stop) && stop) {
        SetVisible(false);
        mPresent = false;
    } else {
        mPresent = true;
    }
}

void TMItem::ReleaseLevelState()
{
    for (const auto& part : mParts)
        part->ReleaseImages();
}

void TMItem::Load(pugi::xml_node node)
{
    mName = XmlReadString(node, "name");
    std::string orientation;
    if (XmlGetAttrString(node, "orient", orientation))
        mOrientation = orientation;
    mPosX = XmlReadInt(node, "pos_x");
    mPosY = XmlReadInt(node, "pos_y");
    mOffsX = XmlReadInt(node, "offs_x");
    mOffsY = XmlReadInt(node, "offs_y");

    mEffect.reset();
    const std::string effect = XmlReadString(node, "effect");
    if (!effect.empty()) {
        mEffect.reset(CreateEffect(effect.c_str()));
        if (mEffect) {
            mEffect->SetParam(256, &mTargets);
            mEffect->SetParam(257, &mVisible);
            mEffect->SetTarget(this);
        }
    }

    for (pugi::xml_node child = node.child("part"); child; child = child.next_sibling("part")) {
        auto part = std::make_unique<TMItemPart>(this);
        part->Load(child);
        mParts.push_back(std::move(part));
    }
}

void TMItem::Unload()
{
    mParts.clear();
    // The entries pointed into the parts just deleted.
    mTargets.count = 0;
    mEffect.reset();
}

void TMItem::Update()
{
    if (mEffect)
        mEffect->Update(gFrameDelta);
    if (!mPresent || !mVisible)
        return;
    for (const auto& part : mParts)
        part->Update();

    if (mPauseActive) {
        mPauseTime -= gFrameDelta;
        if (mPauseTime <= 0.0f) {
            // A hold whose record went away stays armed and does nothing until a record of its name returns.
            if (const AnimationPause* pause = FindPause(mPauseAnimation)) {
                const int32_t frame = pause->frame;
                SwitchAnimation(mPauseAnimation);
                PlayToFrame(frame);
                for (const auto& part : mParts)
                    part->Resume();
                mPauseActive = false;
            }
        }
    }

    if (mDelay > 0.0f) {
        mDelay -= gFrameDelta;
        if (mDelay <= 0.0f) {
            mDelay = 0.0f;
            OnDelayedEvent(mDelayCode);
        }
    }
}

bool TMItem::Interact(TMItem* by, bool checkOnly, int32_t* extra)
{
    TMItem* occupant = FindPlaceOccupant(this);
    // An occupant that is the place itself would forward to itself without end.
    if (!occupant || occupant == this)
        return false;
    return occupant->Interact(by, checkOnly, extra);
}

void TMItem::SwitchAnimation(const std::string& animation)
{
    for (const auto& part : mParts)
        part->SwitchAnimation(animation);
}

void TMItem::Show(bool show)
{
    if (mEffect && mEffect->SendMessage(show ? "onshow" : "onhide"))
        return;
    SetVisible(show);
    for (const auto& part : mParts)
        part->Show(show);
}

void TMItem::SendEffectMessage(const std::string& message)
{
    if (mEffect)
        mEffect->SendMessage(message.c_str());
    for (const auto& part : mParts)
        part->SendEffectMessage(message);
}

void TMItem::SetSkin(const std::string& skin, bool toParts)
{
    if (toParts) {
        for (const auto& part : mParts)
            part->SetSkin(skin);
    }
    mSkin = skin;
}

void TMItem::SetOrientation(const std::string& orientation, bool toParts)
{
    mOrientation = orientation;
    if (toParts) {
        for (const auto& part : mParts)
            part->SetOrientation(orientation, true);
    }
}

bool TMItem::ApplyAnimation(const std::string& animation, float* longest)
{
    if (longest)
        *longest = -1.0f;
    bool started = false;
    for (const auto& part : mParts) {
        part->SetSkin(mSkin);
        part->SetOrientation(mOrientation, false);
        part->AcquireSkinImages();
        started |= part->PlayAnimation(animation, false);
        if (longest && part->GetDuration() > *longest)
            *longest = part->GetDuration();
    }
    if (started) {
        mCurrentAnimation = animation;
        mPauseActive = false;
        ArmPause(animation);
    }
    return started;
}

void TMItem::SetAnimation(const std::string& animation, bool reorient)
{
    for (const auto& part : mParts) {
        if (reorient)
            part->SetOrientation(mOrientation, false);
        if (part->PlayAnimation(animation, false)) {
            mCurrentAnimation = animation;
            mPauseActive = false;
            ArmPause(animation);
        }
    }
}

void TMItem::PlayToFrame(int frame)
{
    for (const auto& part : mParts)
        part->PlayToFrame(frame);
}

void TMItem::PauseAnimation(bool pause)
{
    for (const auto& part : mParts) {
        if (pause)
            part->Pause();
        else
            part->Resume();
    }
}

void TMItem::SetAnimationPause(const std::string& animation, int frame, float minHold, float maxHold)
{
    for (AnimationPause& pause : mPauses) {
        if (pause.animation == animation) {
            pause.frame = frame;
            pause.minHold = minHold;
            pause.maxHold = maxHold;
            return;
        }
    }
    mPauses.push_back({animation, frame, minHold, maxHold});
}

void TMItem::RemoveAnimationPause(const std::string& animation)
{
    std::erase_if(mPauses, [&](const AnimationPause& pause) { return pause.animation == animation; });
    for (const auto& part : mParts)
        part->RunOnIfPlaying(animation);
    mPauseActive = true;
}

void TMItem::PostDelayedEvent(float seconds, int code)
{
    mDelay = seconds;
    mDelayCode = code;
}

TMItemPart* TMItem::FindPart(const std::string& name, int n) const
{
    for (const auto& part : mParts) {
        if (part->GetName() == name && n-- == 0)
            return part.get();
    }
    return nullptr;
}

bool TMItem::NameStartsWith(const std::string& prefix) const
{
    return mName.compare(0, prefix.size(), prefix) == 0;
}

TMItem* TMItem::FindByName(const std::string& name)
{
    const auto found = gItemsByName.find(name);
    return found != gItemsByName.end() ? found->second : nullptr;
}

void LoadLevelObjects(pugi::xml_node root)
{
    for (const pugi::xpath_node& selected : XmlSelectNodes(root, "objects/object")) {
        const pugi::xml_node element = selected.node();
        const std::string className = XmlReadString(element, "class");
        const std::string name = XmlReadString(element, "name");
        TMItem* item = CreateItemOfClass(className);
        if (!item)
            continue;
        // Stored before loading, so that the item's own loading can already find itself there.
        if (TMItem** slot = FindNamedItemSlot(name))
            *slot = item;
        item->Load(element);
        gItemsByName.emplace(name, item);
        gItems.push_back(item);
    }
}

void ApplyLevelObjectStates(pugi::xml_node level)
{
    for (TMItem* item : gItems) {
        const pugi::xml_node entry = XmlSelectNode(level, "objects//object[@name=$name]", {{"name", item->GetName()}});
        if (entry) {
            item->LoadLevelState(entry);
        } else {
            item->SetVisible(false);
            item->mPresent = false;
        }
    }
}

void ActivateLevelObjects(bool on)
{
    for (TMItem* item : gItems) {
        if (item->mPresent)
            item->Activate(on);
    }
}

void UpdateLevelObjects()
{
    for (TMItem* item : gItems) {
        if (item->mPresent)
            item->Update();
    }
}

void ReleaseLevelObjects()
{
    for (TMItem* item : gItems) {
        if (item->mPresent)
            item->ReleaseLevelState();
    }
}

void RegisterLevelObjectsForDrawing()
{
    if (!gZOrder) {
        EngineLog("RegisterLevelObjectsForDrawing: no z-order builder");
        return;
    }
    for (TMItem* item : gItems) {
        for (const std::unique_ptr<TMItemPart>& part : item->GetParts()) {
            // Carried things are drawn through the carrier's part links instead.
            if (part->GetName() == "held_items")
                continue;
            if (part->mOwnDepth)
                gZOrder->AddOverPart(part.get());
            else
                gZOrder->AddPart(part.get(), item->IsMoveItem());
        }
    }
    gZOrder->Build();
}

void ClearLevelObjects()
{
    for (TMItem* item : gItems) {
        item->Unload();
        delete item;
    }
    gItemsByName.clear();
    gItems.clear();
    // The slots would otherwise point at deleted items until a level that has them loads.
    for (const NamedItemSlot& slot : NamedItemSlots()) {
        if (slot.global)
            *slot.global = nullptr;
    }
    gBoss = nullptr;
    gBonusItem = nullptr;
}
