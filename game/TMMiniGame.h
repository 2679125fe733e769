#pragma once

#include "engine/TMDialog.h"
#include "engine/TextureHandle.h"

#include <pugixml.hpp>

#include <array>
#include <deque>
#include <map>
#include <vector>

class TMBoard_Game3;
class TMButton;

/// The tray of bonus parts in the HUD (dialog "minigame", the HUD's child "minigame"): chain-bonus payouts add
/// parts of five kinds (0 coin, 1 clean, 2 ice, 3 happy, 4 speed); three or more alike in a row pay the game
/// board's ApplyMiniGameBonus. Main thread, except LoadParts (the level-loading thread).
class TMMiniGame : public TMDialog {
public:
    /// The most parts the tray holds.
    static constexpr int kMaxParts = 16;
    static constexpr int kKindCount = 5;
    static constexpr int kStageCount = 40;
    /// Parts stand on this line; the first rests at kFirstX, each next one at the previous x + width - 1.
    static constexpr int kPartY = 54;
    static constexpr int kFirstX = 15;
    /// RemovePart modes: 0 pushed out or cleared, 1 clicked, 2 + kind paid in a run.
    static constexpr int kRemoveQuiet = 0;
    static constexpr int kRemoveClick = 1;
    static constexpr int kRemoveChain = 2;

    TMMiniGame(TMBoard_Game3* board, Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMMiniGame() override;

    // Pyxo::Widget and TMDialog
    void Update() override;
    void Activate() override;
    void Deactivate() override;
    /// A "tray..." child joins the part widgets, an "effect_ele..." child the effect elements, in element order.
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    void OnControl(intptr_t controlId) override;

    /// Reads the level element's "partparams" (weights per stage and kind, the slide speed) and finds the part
    /// textures. Runs on the level-loading thread: the tray itself is cleared by the board's level start.
    virtual void LoadParts(pugi::xml_node level);
    void AddPart(int kind, bool enabled, bool atFront);
    /// A part drawn by the weights of the chain-bonus stage; nothing without weights.
    void AddRandomPart(int stage);
    /// Enables the part at the 0-based tray position.
    void EnablePartAt(int position);
    /// The part whose widget that is leaves with "onclick" and the sound "minigame_hit".
    void OnPartClicked(intptr_t widget);
    /// Removes every part and forgets the pushed-out kinds.
    void Clear();
    [[nodiscard]] int GetPartCount() const;

    // What tests and the HUD read.
    [[nodiscard]] std::vector<int> GetPartKinds() const;
    /// The widget of the part at that position, or null.
    [[nodiscard]] TMButton* GetPartWidget(int position) const;
    [[nodiscard]] const std::deque<int>& GetPendingKinds() const { return mPending; }
    /// The five normalised weights of the stage, or null.
    [[nodiscard]] const std::array<float, kKindCount>* GetStageWeights(int stage) const;
    [[nodiscard]] float GetSpeed() const { return mSpeed; }

protected:
    struct Part {
        float position = 0.0f;
        TMButton* widget = nullptr;            // borrowed from the pool
        std::array<TextureHandle, 3> textures; // normal, "_s", "_e"
        int kind = 0;
        TMCandyWidget* effect = nullptr; // borrowed from the pool
    };

    void PlacePart(Part part, bool enabled, bool atFront);
    void RemovePart(size_t index, int mode);
    void PlaySound(const char* name) const;
    /// True while the board hands the level to the loading thread, whose LoadParts writes what the tray reads.
    [[nodiscard]] bool IsBoardLoading() const;

    TMBoard_Game3* mBoard;                                          // borrowed
    std::vector<Part> mTray;                                        // front (left, oldest) to back
    std::deque<TMButton*> mWidgetPool;                              // borrowed children
    std::deque<TMCandyWidget*> mEffectPool;                         // borrowed children
    std::deque<int> mPending;                                       // kinds pushed out of a full tray, oldest first
    std::array<std::array<TextureHandle, kKindCount>, 3> mTextures; // normal, "_s", "_e" per kind
    std::array<bool, kKindCount> mTexturesLoaded{};
    bool mTexturesAcquired = false;
    std::map<int, std::array<float, kKindCount>> mWeights; // by stage index
    float mSpeed = 0.0f;                                   // pixels per second
    bool mPoolEmptyLogged = false;
};
