#pragma once

// The content checks on the built data folder: the content checker over the built configuration (every miss named
// with its source file and line), and the game's application object started headless on the same folder.

#include "engine/EngineLog.h"
#include "game/TMEngine3.h"
#include "shell/PathHelpers.h"
#include "tests/engine/EngineTestKit.h"
#include "tools/content/ContentChecker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace CoreContent {

namespace fs = std::filesystem;

inline ContentChecker MakeChecker()
{
    return ContentChecker(ILVANE_DATA_FOLDER, ILVANE_CONTENT_ORIGINS);
}

/// The dialogs of the interface core and the controls the game binds in each, as paths of names below the dialog.
struct DialogNames {
    const char* dialog;
    std::vector<std::string> paths;
};
inline std::vector<DialogNames> CoreDialogs()
{
    std::vector<std::string> hud = {"right_part",
                                    "right_part/goal_bkg",
                                    "right_part/expert_bkg",
                                    "right_part/goal_value",
                                    "right_part/expert_value",
                                    "right_part/goal_text",
                                    "right_part/expert_text",
                                    "right_part/money_goal_value",
                                    "right_part/money_expert_value",
                                    "right_part/money_goal_value_ghost",
                                    "right_part/money_expert_value_ghost",
                                    "menu_btn",
                                    "left_part",
                                    "left_part/clock",
                                    "left_part/alarm",
                                    "left_part/closed",
                                    "achievments",
                                    "left_survival_part",
                                    "left_survival_part/clock",
                                    "left_survival_part/upgrade_back",
                                    "left_survival_part/upgrade_btn",
                                    "goal_splash",
                                    "expert_splash",
                                    "survival_life",
                                    "globalclean",
                                    "globalclean/globalcleaning",
                                    "freeze",
                                    "tutor_bg"};
    for (int kind = 1; kind <= 4; ++kind)
        hud.push_back("achievments/ach_" + std::to_string(kind));
    for (int kind = 1; kind <= 3; ++kind) {
        for (int level = 1; level <= 5; ++level)
            hud.push_back("achievments/ach_" + std::to_string(kind) + "_0" + std::to_string(level));
    }
    for (int life = 0; life <= 3; ++life)
        hud.push_back("survival_life/life_" + std::to_string(life));
    for (int step = 1; step <= 3; ++step)
        hud.push_back("freeze/step_" + std::to_string(step));
    for (int hint = 1; hint <= 24; ++hint)
        hud.push_back("tutorial" + std::to_string(hint));

    std::vector<std::string> minigame;
    for (int i = 1; i <= 16; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        minigame.push_back("tray" + number);
        minigame.push_back("effect_ele" + number);
    }
    std::vector<std::string> upgrade = {"upgrade_dialog", "upgrade_dialog/upgrade",
                                        "upgrade_dialog/upgrade_description", "upgrade_dialog/upgrade_photo",
                                        "upgrade_dialog/upgrade_medal"};
    for (int tray = 1; tray <= 4; ++tray) {
        const std::string name = "upgrade_tray" + std::to_string(tray);
        upgrade.insert(upgrade.end(), {name, name + "/button", name + "/select"});
    }
    return {
        {"hud", hud},
        {"minigame", minigame},
        {"briefing_dialog", {"start", "goal_text", "expert_text", "settings_text", "picture"}},
        {"upgrade_menu", upgrade},
        {"dialogbox_2button", {"btn_yes", "btn_no", "text1", "text2", "icon"}},
        {"dialogbox_1button", {"btn_yes", "text1", "text2", "icon"}},
        {"load_screen", {"picture", "loading"}},
    };
}

/// The texture ids the game asks the texture table for by name.
inline std::vector<std::string> CodeTextureIds()
{
    std::vector<std::string> ids = {"fx_goal_star_small", "fx_goal_star_big", "fx_work_smoke", "briefing_00"};
    char id[32];
    for (int frame = 0; frame < 20; ++frame) {
        std::snprintf(id, sizeof id, "hud_watch%02d", frame);
        ids.push_back(id);
    }
    for (int frame = 0; frame < 10; ++frame) {
        std::snprintf(id, sizeof id, "hud_upgrade_%02d", frame);
        ids.push_back(id);
    }
    for (int kind = 1; kind <= 5; ++kind) {
        for (const char* suffix : {"", "_s", "_e"}) {
            std::snprintf(id, sizeof id, "bonus%02d00%s", kind, suffix);
            ids.push_back(id);
        }
    }
    for (const char* key : {"restlvl", "exitmenu", "delprof", "delcareer", "upgrade"})
        ids.push_back(std::string("db01_icon_") + key);
    return ids;
}

/// The game on the headless back-end over the built data folder, with the fixture's clock, registry, log and a
/// scratch application-data folder (the player file goes there, never into the data folder).
class DataFolderFixture : public EngineTest::EngineFixture {
protected:
    void SetUp() override
    {
        EngineTest::EngineFixture::SetUp();
        Pyxo::SetAppDataFolder((mFolder / "appdata").string() + "/");
    }

    EngineTest::Headless<TMEngine3>& MakeGame()
    {
        mApp.reset();
        auto game = std::make_unique<EngineTest::Headless<TMEngine3>>(fs::path(ILVANE_DATA_FOLDER));
        EngineTest::Headless<TMEngine3>& made = *game;
        mApp = std::move(game);
        return made;
    }

    /// The game after Init and the engine's own content loading (tables, fonts, cursors; no boards).
    EngineTest::Headless<TMEngine3>& StartedGame()
    {
        EngineTest::Headless<TMEngine3>& game = MakeGame();
        EXPECT_EQ(InitExitCode(game), -1);
        game.TMEngine::LoadContent();
        return game;
    }

    /// The log lines of content faults so far.
    std::vector<std::string> ContentWarnings()
    {
        const std::lock_guard lock(mLogLock);
        std::vector<std::string> found;
        const std::string prefix = std::string(kContentLogArea) + ": ";
        for (const std::string& line : mLog) {
            if (line.compare(0, prefix.size(), prefix) == 0)
                found.push_back(line);
        }
        return found;
    }
};

inline std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace CoreContent
