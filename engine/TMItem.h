#pragma once

#include "engine/EffectTargetList.h"
#include "engine/TMIEffect.h"
#include "engine/TMIUpgrade.h"
#include "graphics/Rect.h"

#include <pugixml.hpp>

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TMEffect;
class TMItemPart;

/// A named object of the level's scene (a table, a tray, the boss, a client, a decoration): a position, a list
/// of drawable parts that carry skins and animations, an optional effect, idle-animation holds and a one-shot
/// delayed event. Items are made only by the level loader through the item factory (engine/ItemFactory.h) and
/// live in gItems until the level is torn down. Created and loaded on the level-loading thread while the board
/// does not step; everything else on the main thread.
class TMItem : public TMIEffect, public TMIUpgrade {
public:
    /// An idle hold: after the animation reaches the frame, it stands there for a random time.
    struct AnimationPause {
        std::string animation;
        int32_t frame = 0;
        float minHold = 0.0f;
        float maxHold = 0.0f;
    };

    TMItem();
    ~TMItem() override;
    TMItem(const TMItem&) = delete;
    TMItem& operator=(const TMItem&) = delete;

    // TMIEffect
    void SetAlpha(float) override {}
    void SetScale(float) override {}
    void SetVisible(bool visible) override;
    void SetScalePointX(int) override {}
    void SetScalePointY(int) override {}
    void SetOffsetX(int x) override { mOffsX = x; }
    void SetOffsetY(int y) override { mOffsY = y; }

    // TMIUpgrade
    bool ApplyUpgrade(const std::string& skin) override;

    virtual void Activate(bool on);
    [[nodiscard]] virtual bool IsMoveItem() const { return false; }
    virtual void OnDelayedEvent(int /*code*/) {}
    /// A part's player reached the end of its sequence: arms the hold of that animation.
    virtual void OnAnimationEnd(TMItemPart* part, const std::string& animation);
    [[nodiscard]] virtual bool IsMoving() const { return false; }
    [[nodiscard]] virtual bool IsBusy() const { return false; }
    virtual void SetMouseOver(Pyxo::Point point, bool over);
    [[nodiscard]] virtual bool IsMouseOver() const { return mMouseOver; }
    /// Applies the level's object entry (skin, animation, "stop").
    virtual void LoadLevelState(pugi::xml_node node);
    virtual void ReleaseLevelState();
    /// Reads the object description; derived classes call it first, then read their own keys.
    virtual void Load(pugi::xml_node node);
    virtual void Unload();
    virtual void Update();
    /// Forwards to the occupant of the place this item stands for; false without one.
    virtual bool Interact(TMItem* by, bool checkOnly, int32_t* extra);
    virtual void SwitchAnimation(const std::string& animation);

    /// "onshow"/"onhide" to the effect; without an effect that takes it, SetVisible and every part's Show.
    void Show(bool show);
    void SendEffectMessage(const std::string& message);
    void SetSkin(const std::string& skin, bool toParts);
    void SetOrientation(const std::string& orientation, bool toParts);
    /// Re-applies skin and orientation to every part and starts the animation; longest (when given) receives the
    /// longest sequence duration, -1 when none. True when any part started.
    bool ApplyAnimation(const std::string& animation, float* longest);
    void SetAnimation(const std::string& animation, bool reorient);
    void PlayToFrame(int frame);
    void PauseAnimation(bool pause);
    void SetAnimationPause(const std::string& animation, int frame, float minHold, float maxHold);
    void RemoveAnimationPause(const std::string& animation);
    void PostDelayedEvent(float seconds, int code);
    [[nodiscard]] bool IsDelayPending() const { return mDelay != 0.0f; }
    /// The n-th part (from 0) of that name, or null.
    [[nodiscard]] TMItemPart* FindPart(const std::string& name, int n = 0) const;
    [[nodiscard]] bool NameStartsWith(const std::string& prefix) const;
    /// The first loaded item of that name, or null.
    [[nodiscard]] static TMItem* FindByName(const std::string& name);

    /// Appends the part's entry to the list handed to the item's effect; ignored once the list is full.
    void RegisterEffectTarget(const EffectTarget& target) { mTargets.Register(target); }
    [[nodiscard]] const EffectTargetList& GetEffectTargets() const { return mTargets; }
    [[nodiscard]] TMEffect* GetEffect() const { return mEffect.get(); }
    [[nodiscard]] const std::list<std::unique_ptr<TMItemPart>>& GetParts() const { return mParts; }
    [[nodiscard]] const std::string& GetName() const { return mName; }
    [[nodiscard]] const std::string& GetSkin() const { return mSkin; }
    [[nodiscard]] const std::string& GetOrientation() const { return mOrientation; }
    [[nodiscard]] const std::string& GetCurrentAnimation() const { return mCurrentAnimation; }
    [[nodiscard]] bool IsVisible() const { return mVisible; }
    [[nodiscard]] bool IsPresent() const { return mPresent; }
    [[nodiscard]] bool IsPauseActive() const { return mPauseActive; }
    [[nodiscard]] float GetPauseTime() const { return mPauseTime; }
    [[nodiscard]] const std::string& GetPauseAnimation() const { return mPauseAnimation; }

    /// A free string the engine neither sets nor reads (the game keeps a product in it).
    std::string mValue;
    bool mPresent = false;
    int32_t mPosX = 0;
    int32_t mPosY = 0;
    int32_t mOffsX = 0;
    int32_t mOffsY = 0;

protected:
    /// Arms the hold of the animation when it has a record, and runs every part up to the record's frame.
    void ArmPause(const std::string& animation);
    [[nodiscard]] const AnimationPause* FindPause(const std::string& animation) const;

    std::string mName;
    std::string mSkin;
    std::string mOrientation;
    std::string mCurrentAnimation;
    std::list<std::unique_ptr<TMItemPart>> mParts; // load order
    std::vector<AnimationPause> mPauses;
    std::string mPauseAnimation;
    bool mPauseActive = false;
    float mPauseTime = 0.0f;
    std::unique_ptr<TMEffect> mEffect;
    EffectTargetList mTargets;
    bool mVisible = true;
    bool mMouseOver = false;
    float mDelay = 0.0f;
    int32_t mDelayCode = 0;
};

/// The loaded items of the level, in load order; owned (ClearLevelObjects deletes them).
extern std::list<TMItem*> gItems;
/// The first loaded item of each name.
extern std::map<std::string, TMItem*> gItemsByName;
/// The items of the named slots "boss" and "bonus" (any class); null between levels.
extern TMItem* gBoss;
extern TMItem* gBonusItem;

/// Level-wide operations over gItems, called by the level loader and the board.
/// Creates, loads and registers the items of "objects/object" under the scene's root.
void LoadLevelObjects(pugi::xml_node root);
/// Applies each item's entry under the level node; an item without one is hidden and absent.
void ApplyLevelObjectStates(pugi::xml_node level);
void ActivateLevelObjects(bool on);
void UpdateLevelObjects();
void ReleaseLevelObjects();
/// Hands every part of every item to the z-order builder (gZOrder) and builds the order: parts named "held_items"
/// are skipped, "zover" parts go to its over layer, the others go in with their item's mover flag.
void RegisterLevelObjectsForDrawing();
/// Unloads and deletes every item, empties the registries and clears the named slots.
void ClearLevelObjects();
