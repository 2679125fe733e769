#pragma once

#include "engine/TMItem.h"

#include <cstdint>
#include <string>

class TIStatSrc;
class TMItemPart;

/// The small scene items that float over the cafe's actors and show their state through TIStatSrc: the status
/// bubble (class "status_bubble"), the client's patience bar ("status_hp_client") and the worker's tidiness bar
/// ("status_hp_worker"). Each binds itself to its actor by name when the level state loads ("status_bubble_worker2"
/// to "worker2", "status_hp_client_sit1" to "client_sit1", ...) and stands at the actor's position. An indicator
/// whose name leads to no actor stays hidden and does nothing. They never change the actors they show. Made by the
/// level loader; main thread.

/// The bubble over a worker or a client: what the actor wants or makes, shaking during a scandal and highlighted
/// while the boss holds the wanted product.
class TMStatus_Bubble : public TMItem {
public:
    TMStatus_Bubble() = default;
    ~TMStatus_Bubble() override = default;

    void Activate(bool on) override;
    void LoadLevelState(pugi::xml_node node) override;
    void Update() override;

    [[nodiscard]] TMItem* GetSource() const { return mSource; }
    [[nodiscard]] bool IsShown() const { return mShown; }
    [[nodiscard]] bool IsShaking() const { return mShaking; }
    [[nodiscard]] bool IsHighlighted() const { return mHighlighted; }
    [[nodiscard]] const std::string& GetLastWish() const { return mLastWish; }
    /// The icon and product animations last asked of the two parts (kept even when a part lacks the sequence).
    [[nodiscard]] const std::string& GetShownIcon() const { return mShownIcon; }
    [[nodiscard]] const std::string& GetShownProduct() const { return mShownProduct; }

private:
    void ShowStatus(const std::string& wish);
    void HideBubble();

    TMItem* mSource = nullptr;          // borrowed from gItems
    TIStatSrc* mStat = nullptr;         // the source's status interface
    TMItemPart* mIconPart = nullptr;    // borrowed: "status_bubble"
    TMItemPart* mProductPart = nullptr; // borrowed: "status_production"
    bool mShown = false;
    bool mShaking = false;
    bool mHighlighted = false;
    std::string mLastWish;
    std::string mShownIcon;
    std::string mShownProduct;
};

/// The client's patience bar with its mood face: seven frames over the green, yellow and red patience levels.
class TMStatus_HP_Client : public TMItem {
public:
    TMStatus_HP_Client() = default;
    ~TMStatus_HP_Client() override = default;

    void Activate(bool on) override;
    void LoadLevelState(pugi::xml_node node) override;
    void Update() override;

    [[nodiscard]] TMItem* GetSource() const { return mSource; }
    [[nodiscard]] int32_t GetLastFrame() const { return mLastFrame; }
    [[nodiscard]] const std::string& GetLastMood() const { return mLastMood; }
    /// The bar part's colour (0xAARRGGBB), 0 without a bar part.
    [[nodiscard]] uint32_t GetBarColor() const;

private:
    TMItem* mSource = nullptr;    // borrowed from gItems
    TIStatSrc* mStat = nullptr;   // the source's status interface
    TMItemPart* mBar = nullptr;   // borrowed: "status_hp_client"
    TMItemPart* mBack = nullptr;  // borrowed: "status_hp_client_back"
    TMItemPart* mSmile = nullptr; // borrowed: "status_hp_client_smile"
    bool mShowing = false;
    float mLastValue = 100.0f;
    int32_t mLastFrame = -1;
    std::string mLastMood;
};

/// The worker's tidiness bar: thirteen frames from 0 to 100.
class TMStatus_HP_Worker : public TMItem {
public:
    TMStatus_HP_Worker() = default;
    ~TMStatus_HP_Worker() override = default;

    void Activate(bool on) override;
    void LoadLevelState(pugi::xml_node node) override;
    void Update() override;

    [[nodiscard]] TMItem* GetSource() const { return mSource; }
    [[nodiscard]] int32_t GetLastFrame() const { return mLastFrame; }
    /// The bar part's colour (0xAARRGGBB), 0 without a bar part.
    [[nodiscard]] uint32_t GetBarColor() const;

private:
    TMItem* mSource = nullptr;   // borrowed from gItems
    TIStatSrc* mStat = nullptr;  // the source's status interface
    TMItemPart* mBar = nullptr;  // borrowed: "status_hp_worker"
    TMItemPart* mBack = nullptr; // borrowed: "status_hp_worker_back"
    float mLastValue = 0.0f;
    int32_t mLastFrame = -1;
};
