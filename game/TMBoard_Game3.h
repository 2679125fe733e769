#pragma once

#include "engine/TMBoard_Game.h"

#include <pugixml.hpp>

/// The cafe's playing field: the board base's hooks filled with the game's rules (career and survival modes,
/// upgrades, the chain bonus, the mini-game, the tutorial, the HUD and the level results). One game board, made by
/// the application's content loading and published in gGameBoard. Main thread.
class TMBoard_Game3 : public TMBoard_Game {
public:
    TMBoard_Game3(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Game3() override;

    void StartLevel() override;
    void OnLevelFinished() override;
    void ResetLevel() override;
    void ReadLevelConfig(pugi::xml_node root, pugi::xml_node level) override;
    void ReleaseLevelActors() override;
    void OnObjectClicked(TMPickItem* item) override;
    void UpdateLevel() override;
    void LoadActorConfigs(pugi::xml_node root) override;
    void ClearActorConfigs() override;
    void OnMoneyChanged() override;
    void UpdateDayLabel() override;
    bool TryDispatchEvent(TimePoint* point) override;
    void OnPause() override;
    void OnResume() override;
};

/// The game board; set by its constructor, cleared by its destructor.
extern TMBoard_Game3* gGameBoard;
