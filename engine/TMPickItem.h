#pragma once

#include "engine/PolygonRegion.h"
#include "engine/TMItem.h"

#include <array>
#include <map>
#include <string>
#include <vector>

/// A scene item the player can click (a table, a tray, the trash bin): a polygon click area, the points where
/// characters stand to use it, items that share its mouse-over highlight, pick items in front of it that take
/// clicks away from it, a click counter, and two "checkmark" parts that show how many walks to it are pending.
/// Load runs on the level-loading thread, everything else on the main thread.
class TMPickItem : public TMItem {
public:
    /// Where a character stands to use the object, and which way it then faces.
    struct PickPoint {
        std::string owner;
        std::string direction;
        int32_t x = 0;
        int32_t y = 0;
    };

    TMPickItem() = default;
    ~TMPickItem() override = default;

    // TMItem
    void Activate(bool on) override;
    void SetMouseOver(Pyxo::Point point, bool over) override;
    void LoadLevelState(pugi::xml_node node) override;
    void ReleaseLevelState() override;
    void Load(pugi::xml_node node) override;
    void Unload() override;

    virtual void IncClickCount() { ++mClickCount; }
    virtual void ResetClickCount() { mClickCount = 0; }
    [[nodiscard]] virtual bool IsPickable(bool allowed) const { return mPresent && mVisible && allowed; }

    /// Inside the click area and not taken by a present, visible blocker in front.
    [[nodiscard]] bool HitTest(Pyxo::Point point) const;
    void ShowNextCheckmark();
    void ReleaseCheckmark();
    /// The first pick point of that owner.
    bool GetPickPoint(const std::string& owner, Pyxo::Point& position, std::string& direction) const;
    [[nodiscard]] static TMPickItem* FindPickItem(const std::string& name);

    [[nodiscard]] int32_t GetClickCount() const { return mClickCount; }
    [[nodiscard]] const PolygonRegion& GetRegion() const { return mRegion; }
    [[nodiscard]] const std::vector<PickPoint>& GetPickPoints() const { return mPicks; }
    [[nodiscard]] const std::vector<TMItem*>& GetPairItems() const { return mPairItems; }
    [[nodiscard]] const std::vector<TMPickItem*>& GetBlockerItems() const { return mBlockerItems; }
    [[nodiscard]] TMItemPart* GetCheckmark(int i) const { return mCheckmarks[static_cast<size_t>(i)]; }
    [[nodiscard]] bool IsCheckmarkInUse(int i) const { return mCheckmarkInUse[static_cast<size_t>(i)]; }

private:
    bool HitTest(Pyxo::Point point, std::vector<const TMPickItem*>& asked) const;

    std::array<TMItemPart*, 2> mCheckmarks{}; // borrowed from the parts
    std::array<bool, 2> mCheckmarkInUse{};
    std::vector<std::string> mPairNames;
    std::vector<TMItem*> mPairItems; // borrowed
    std::vector<std::string> mBlockerNames;
    std::vector<TMPickItem*> mBlockerItems; // borrowed
    int32_t mClickCount = 0;
    std::vector<PickPoint> mPicks; // document order
    PolygonRegion mRegion;
};

/// The loaded pick items by name (the first of each name), walked in name order by the board's mouse handling.
extern std::map<std::string, TMPickItem*> gPickItems;
