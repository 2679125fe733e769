#pragma once

#include "engine/TMCountdown.h"
#include "engine/TMItem.h"
#include "game/TIStatSrc.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <string>

class TMItemPart;
struct TimePoint;

/// The tuning of one client type: a "clients/client" element of cfg\cfg.xml. A level may override the patience
/// speed, the money values and the start patience for one level (the game board remembers and restores them).
struct ClientConfig {
    int32_t idleStopFrame = 0;     // "idle_stop_frame"
    float idleRestartMin = 0.0f;   // "idle_restart_time_min"
    float idleRestartMax = 0.0f;   // "idle_restart_time_max"
    float patienceSpeed = 0.0f;    // "client_patience_speed": points lost per second
    float decisionTimeout = 0.0f;  // "client_decision_timeout"
    float eatingTime = 0.0f;       // "client_eating_time"
    int32_t money01G = 0;          // "client_money01_g": payment per product in the green mood
    int32_t money01Y = 0;          // "client_money01_y"
    int32_t money01R = 0;          // "client_money01_r"
    int32_t money02G = 0;          // "client_money02_g": kept, unused
    int32_t money02Y = 0;          // "client_money02_y"
    int32_t money02R = 0;          // "client_money02_r"
    int32_t lossesMoney = 0;       // "client_losses_money"
    float scandalLevel = 0.0f;     // "client_scandal_level"
    float scandalTimeout = 0.0f;   // "client_scandal_timeout"
    float bonusTimeout = 0.0f;     // "client_bonus_timeout"
    float bonusTimeEffect = 0.0f;  // "client_bonus_time_effect"
    bool hasStartPatience = false; // set by a level override
    float startPatience = 100.0f;  // level override "client_start_stamina"

    /// Reads the keys the element has; a missing key leaves its field as it is.
    void Load(pugi::xml_node node);
};

/// The game-wide client values: attributes of the "clients" element.
struct ClientTuning {
    float patienceGLevel = 0.0f;       // "patience_g_level": above it the client is green
    float patienceYLevel = 0.0f;       // "patience_y_level"
    float patienceRLevel = 0.0f;       // "patience_r_level"
    float patienceCritical = 0.0f;     // "patience_critical": kept, unused
    float scandalEffect = 0.0f;        // "scandal_effect"
    float jukeBoxEffect = 0.0f;        // "client_juke_box_effect": kept, unused
    float reminderTimeout = 0.0f;      // "client_reminder_timeout": kept, unused
    float alphaBlendTime = 0.0f;       // "client_alpha_blend_time": kept, unused
    float juiceCupEffect = 0.0f;       // "juice_cup_effect": kept, unused
    float scandalBubblePresent = 0.0f; // "client_scandal_bubble_present"
};

/// A customer of the cafe: a level item at a fixed spot, idle and hidden until the board seats it with an order
/// (a TimePoint: type = the client kind and skin, params = the order entries, product masks or "sit"). It waits
/// with falling patience, is served by the boss, pays by its mood and leaves. The wanted product is mValue.
/// States: 0 away, 1 ready, 2 deciding (standing) or eating (seated), 3 wants a seat (standing). Main thread.
class TMClient : public TMItem, public TIStatSrc {
public:
    /// What NextOrderEntry found.
    static constexpr int kEntryNone = 0;
    static constexpr int kEntryProduct = 1;
    static constexpr int kEntrySit = 2;

    TMClient();
    ~TMClient() override;

    // TMItem
    /// Hiding a client present in the level first unregisters it (it returns to its pool).
    void SetVisible(bool visible) override;
    void Activate(bool on) override;
    void OnAnimationEnd(TMItemPart* part, const std::string& animation) override;
    [[nodiscard]] bool IsBusy() const override { return mState == 2; }
    void SetMouseOver(Pyxo::Point point, bool over) override;
    void Load(pugi::xml_node node) override;
    void Unload() override;
    void Update() override;
    bool Interact(TMItem* by, bool checkOnly, int32_t* extra) override;

    // TIStatSrc
    bool GetStatValue(float& value) override;
    bool GetStatAnimName(std::string& name) override;
    bool GetStatIconName(std::string& name) override;
    [[nodiscard]] bool IsStatActive() override { return mState != 0; }
    [[nodiscard]] bool IsStatBusy() override { return IsBusy(); }

    /// Changes the state under the class level's re-entry flag: a call while one of the same level runs is
    /// ignored. The subclass level ends by calling this base level.
    virtual void SetState(int state);
    /// Joins gClients (and leaves its pool).
    virtual void Register();
    /// Leaves gClients and returns to its pool (once: the pool holds each client at most once).
    virtual void Unregister();
    /// The place item named by the client's number, or null.
    [[nodiscard]] virtual TMItem* GetPlace() const;

    /// Takes the order (one reference more) from the entry at the cursor, registers the client and gives it the
    /// patience and the order's kind as its skin; the caller then sets the state. False (logged) for an order of
    /// a kind without configuration.
    bool Seat(TimePoint* order, size_t cursor, float patience);
    /// The entry under the order cursor: kEntryNone at the end, kEntryProduct (unless peeking it becomes the wish),
    /// kEntrySit; unless peeking, the cursor then moves on.
    virtual int NextOrderEntry(bool peek);
    /// Books the visit's money by the mood (or the loss and a life for a client out of patience) and shows it.
    void Pay();

    /// True when the wanted product equals a or b, or a or b is "super". A client without a wish wants nothing
    /// but "super".
    [[nodiscard]] bool WantsProduct(const std::string& a, const std::string& b) const;
    /// Adds the delta under the tutorial's and the ice reward's rules; returns the new patience.
    float ChangePatience(float delta);
    [[nodiscard]] bool GetMouseOverFlag() const { return mMouseOver; }

    [[nodiscard]] int GetState() const { return mState; }
    [[nodiscard]] float GetPatience() const { return mPatience; }
    [[nodiscard]] bool IsPatient() const { return mPatient; }
    [[nodiscard]] const std::string& GetWantedProduct() const { return mValue; }
    [[nodiscard]] const ClientConfig* GetConfig() const { return mConfig; }
    [[nodiscard]] TimePoint* GetOrder() const { return mOrder; }
    [[nodiscard]] size_t GetOrderCursor() const { return mOrderCursor; }
    [[nodiscard]] bool IsRegistered() const { return mRegistered; }
    [[nodiscard]] bool IsScandalRunning() const { return mScandalCountdown.IsRunning(); }
    [[nodiscard]] bool IsScandalBubbleShown() const { return mScandalBubbleCountdown.IsRunning(); }
    [[nodiscard]] float GetActionRemaining() const { return mActionCountdown.GetRemaining(); }

protected:
    /// Hands the order back once and forgets it.
    void ReleaseOrder();
    /// "idle_green" above the green level, "idle_yellow" above the yellow one, else "discontent".
    void PlayMoodAnimation();
    /// The idle holds of the three mood animations from the record.
    void SetMoodHolds();
    /// The place and its parts (the money part, and the bar of a standing client); missing ones are logged.
    virtual void BindPlace();
    /// Joins its kind's pool unless it is there (a standing client then pauses for the level's "client_pause").
    virtual void JoinPool() {}
    virtual void LeavePool() {}
    /// The order has a "sit" entry at or after the cursor.
    [[nodiscard]] bool SitAhead() const;
    [[nodiscard]] bool EntryIsSit(size_t index) const;

    int32_t mState = 0;
    ClientConfig* mConfig = nullptr; // borrowed from the registry; null while away
    TimePoint* mOrder = nullptr;     // one reference held; null while away
    size_t mOrderCursor = 0;
    TMItem* mPlace = nullptr;         // borrowed from gItems
    TMItemPart* mMoneyPart = nullptr; // borrowed: the place's part "client_money"
    bool mPatient = true;
    float mPatience = 100.0f;
    TMCountdown mActionCountdown;
    TMCountdown mScandalCountdown;
    TMCountdown mScandalBubbleCountdown;
    TMCountdown mBonusCountdown; // started when the client becomes ready; nothing reads it
    bool mRegistered = false;    // in gClients
};

/// A client at the counter (level class "client").
class TMClientStand : public TMClient {
public:
    TMClientStand() = default;
    ~TMClientStand() override;

    void Activate(bool on) override;
    void Load(pugi::xml_node node) override;
    void Unload() override;
    void Update() override;
    bool GetStatAnimName(std::string& name) override;
    bool GetStatIconName(std::string& name) override;
    void SetState(int state) override;
    [[nodiscard]] TMItem* GetPlace() const override;

    [[nodiscard]] bool IsReuseRunning() const { return mReuseCountdown.IsRunning(); }

protected:
    void BindPlace() override;
    void JoinPool() override;
    void LeavePool() override;

    TMItemPart* mBarPart = nullptr; // borrowed: the place's part "bar"
    TMCountdown mReuseCountdown;
};

/// A client at a table (level class "client_sit"). It has no use for "sit" entries and passes over them.
class TMClientSit : public TMClient {
public:
    TMClientSit() = default;
    ~TMClientSit() override;

    void Activate(bool on) override;
    void Load(pugi::xml_node node) override;
    void Unload() override;
    void Update() override;
    bool GetStatIconName(std::string& name) override;
    void SetState(int state) override;
    int NextOrderEntry(bool peek) override;
    [[nodiscard]] TMItem* GetPlace() const override;

protected:
    void JoinPool() override;
    void LeavePool() override;
};

/// The active clients (registered while seated); borrowed from gItems.
extern std::list<TMClient*> gClients;
/// Free clients of each kind, in the order they became free; borrowed.
extern std::list<TMClientStand*> gStandClientPool;
extern std::list<TMClientSit*> gSitClientPool;
/// The clients of the loaded level by item name, all and of each kind; borrowed.
extern std::map<std::string, TMClient*> gClientsByName;
extern std::map<std::string, TMClientStand*> gStandClientsByName;
extern std::map<std::string, TMClientSit*> gSitClientsByName;
/// The client types by name.
extern std::map<std::string, ClientConfig> gClientConfigs;
extern ClientTuning gClientTuning;

/// Reads the "clients" element of cfg\cfg.xml's root: the tuning values, then one record per "client" child with
/// a "name" (the first record of a name stays). Empties the registry first.
void LoadClientsConfig(pugi::xml_node root);
void ClearClientsConfig();
/// The record of the type, or null.
[[nodiscard]] ClientConfig* FindClientConfig(const std::string& name);
/// Some client is active (in gClients).
[[nodiscard]] bool AnyClientActive();
/// Mode 1 raises, mode 2 lowers the patience of every active client by the amount; other modes do nothing.
void ApplyPatienceToAllClients(int mode, float amount);
/// Seats the first pooled standing client for the order, from the entry at the cursor, with that patience; false
/// when none is free (or it still pauses before reuse), and for a kind without configuration (logged).
bool SeatStandClient(TimePoint* order, size_t cursor, float patience);
/// The same for a seated client.
bool SeatSitClient(TimePoint* order, size_t cursor, float patience);
/// The occupant of a place: "table<n>" -> the present worker "worker<n>", "client_place<n>" -> "client<n>",
/// "client_sit_place<n>" -> "client_sit<n>"; null otherwise. Installed as the engine's place-occupant lookup.
[[nodiscard]] TMItem* FindGamePlaceOccupant(TMItem* place);
/// Hands the order back: one reference less; at 0 it is reset and handed to the board's queue for reuse.
void ReleaseClientOrder(TimePoint* order);
