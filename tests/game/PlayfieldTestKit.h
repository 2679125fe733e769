#pragma once

// The playing field's test harness: the game's application object on the headless back-end with a fixture
// interface description, the game board built from it and put in the widget tree, level files written at test
// time, and clicks posted as window messages to the engine's real loop step.

#include "engine/GameClock.h"
#include "engine/TMButton.h"
#include "engine/TMEngine.h"
#include "engine/TMSound.h"
#include "engine/TMSoundManager.h"
#include "engine/TextureTable.h"
#include "engine/XmlConfig.h"
#include "game/TBoard_Hud.h"
#include "game/TMBoard_Briefing.h"
#include "game/TMBoard_Game3.h"
#include "game/TMEngine3.h"
#include "game/TMMiniGame.h"
#include "platform/window/WindowSystem.h"
#include "shell/WidgetManager.h"
#include "tests/engine/EngineTestKit.h"
#include "tests/engine/SoundTestKit.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <thread>

namespace PlayfieldTest {

using namespace EngineTest;

/// Widgets hidden until shown: "v" makes one visible from the start.
inline std::string Text(const std::string& name, int x, int y, int w, int h, const std::string& more = "")
{
    return "<element type=\"tmtext\" name=\"" + name + "\" x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
           "\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" " + more +
           "><texture id=\"normal\" texture=\"none\"/></element>";
}

inline std::string Button(const std::string& name, int x, int y, int w, int h, const std::string& more = "")
{
    return "<element type=\"tmbutton\" name=\"" + name + "\" x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
           "\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" " + more +
           "><texture id=\"normal\" texture=\"none\"/><texture id=\"over\" texture=\"none\"/></element>";
}

inline std::string Dialog(const std::string& name, const std::string& children, const std::string& more = "",
                          const std::string& type = "tmdialog")
{
    return "<element type=\"" + type + "\" name=\"" + name + "\" x=\"0\" y=\"0\" width=\"800\" height=\"600\" " + more +
           ">" + children + "</element>";
}

/// The HUD with every bound child; "menu_btn" at (700, 10) and "upgrade_btn" at (20, 60) on the screen.
inline std::string HudXml(const std::string& extra = "", const std::string& hintAttributes = "")
{
    std::string right;
    for (const char* name : {"goal_bkg", "expert_bkg", "expert_value", "goal_text", "expert_text", "money_expert_value",
                             "money_goal_value_ghost", "money_expert_value_ghost"})
        right += Text(name, 0, 0, 50, 20);
    right += Text("goal_value", 0, 0, 80, 20, "label=\"hud_goal\"");
    right += Text("money_goal_value", 0, 0, 80, 20, "label=\"hud_money\"");
    std::string ach;
    for (int kind = 1; kind <= 4; ++kind)
        ach += Text("ach_" + std::to_string(kind), 0, 0, 30, 30);
    for (int kind = 1; kind <= 3; ++kind) {
        for (int level = 1; level <= 5; ++level) {
            char name[32];
            std::snprintf(name, sizeof name, "ach_%d_%02d", kind, level);
            ach += Text(name, 0, 0, 30, 30);
        }
    }
    std::string lives;
    for (int i = 0; i < 4; ++i)
        lives += Text("life_" + std::to_string(i), 0, 0, 30, 30);
    std::string hints;
    for (int id = 1; id <= 24; ++id)
        hints += Text("tutorial" + std::to_string(id), 300, 300, 100, 50, hintAttributes);
    return Dialog("hud",
                  Dialog("right_part", right, "mousevisible=\"false\"") +
                      Button("menu_btn", 700, 10, 80, 30, "visible=\"true\"") +
                      Dialog("left_part",
                             Text("clock", 0, 0, 40, 40, "visible=\"true\"") + Text("alarm", 0, 0, 40, 40) +
                                 Text("closed", 0, 0, 40, 40),
                             "mousevisible=\"false\"") +
                      Dialog("achievments", ach, "mousevisible=\"false\"") +
                      Dialog("left_survival_part",
                             Text("clock", 0, 0, 40, 40) + Text("upgrade_back", 0, 0, 40, 40) +
                                 Button("upgrade_btn", 20, 60, 40, 40),
                             "mousevisible=\"false\"") +
                      Dialog("goal_splash", Text("goal_splash_text", 0, 0, 10, 10), "mousevisible=\"false\"") +
                      Dialog("expert_splash", Text("expert_splash_text", 0, 0, 10, 10), "mousevisible=\"false\"") +
                      Dialog("survival_life", lives, "mousevisible=\"false\"") +
                      Dialog("globalclean", Text("globalcleaning", 0, 0, 10, 10), "mousevisible=\"false\"") +
                      Dialog("freeze",
                             Text("step_1", 0, 0, 10, 10) + Text("step_2", 0, 0, 10, 10) + Text("step_3", 0, 0, 10, 10),
                             "mousevisible=\"false\"") +
                      Text("tutor_bg", 0, 0, 10, 10) + hints + extra,
                  "mousevisible=\"false\"");
}

/// The tray at (0, 500): parts rest on its line y = 54, so their screen y is 554; parts are 32 wide.
inline std::string MiniGameXml(int pool = TMMiniGame::kMaxParts)
{
    std::string children;
    char name[32];
    for (int i = 0; i < pool; ++i) {
        std::snprintf(name, sizeof name, "tray%02d", i);
        children += Button(name, 0, 0, 32, 32);
        std::snprintf(name, sizeof name, "effect_ele%02d", i);
        children += Text(name, 0, 0, 50, 50);
    }
    return "<element type=\"tmdialog\" name=\"minigame\" x=\"0\" y=\"500\" width=\"600\" height=\"100\" "
           "visible=\"true\" mousevisible=\"false\">" +
           children + "</element>";
}

/// Four trays at y 100 with their buttons at x 100, 200, 300, 400 (40 x 40); "upgrade" at (600, 500).
inline std::string UpgradeXml()
{
    std::string trays;
    for (int i = 0; i < 4; ++i) {
        const std::string x = std::to_string(100 * (i + 1));
        trays += "<element type=\"tmdialog\" name=\"upgrade_tray" + std::to_string(i + 1) + "\" x=\"" + x +
                 "\" y=\"100\" width=\"40\" height=\"40\" mousevisible=\"false\">" + Button("button", 0, 0, 40, 40) +
                 Text("select", 0, 0, 40, 40) + "</element>";
    }
    return Dialog("upgrade_menu",
                  trays + Dialog("upgrade_dialog",
                                 Button("upgrade", 600, 500, 100, 40, "visible=\"true\"") +
                                     Text("upgrade_description", 0, 0, 200, 40, "visible=\"true\"") +
                                     Text("upgrade_photo", 0, 0, 100, 100, "visible=\"true\"") +
                                     Text("upgrade_medal", 0, 0, 40, 40, "visible=\"true\""),
                                 "mousevisible=\"false\""),
                  "mousevisible=\"false\"");
}

/// The notice box of the confirmation dialogs, its button at (360, 360) on the screen.
inline constexpr const char* kNoticeBox = R"(
  <element name="dialogbox_1button" type="tmdialog" x="200" y="150" width="400" height="300">
    <element type="tmtext" name="text1" x="50" y="10" width="300" height="20" visible="true"/>
    <element type="tmbutton" name="btn_yes" x="150" y="200" width="100" height="40" visible="true"/>
  </element>
  <element name="dialogbox_2button" type="tmdialog" x="200" y="150" width="400" height="300">
    <element type="tmtext" name="text1" x="50" y="10" width="300" height="20" visible="true"/>
    <element type="tmbutton" name="btn_yes" x="50" y="200" width="100" height="40" visible="true"/>
    <element type="tmbutton" name="btn_no" x="250" y="200" width="100" height="40" visible="true"/>
  </element>)";

/// The game on the headless back-end with a player file under the test's folder, and the game board built from a
/// fixture interface description.
class PlayfieldFixture : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        mData = mFolder / "appdata";
        const char* previous = std::getenv("XDG_DATA_HOME");
        mPreviousData = previous ? previous : "";
        mHadData = previous != nullptr;
        setenv("XDG_DATA_HOME", mData.c_str(), 1);
        WriteMinimalContent();
        WriteXml(mFolder / "cfg" / "loc.xml", R"(<root><loc id="app_title" text="Fixture Cafe"/>
            <loc id="hud_money" text="%money%"/><loc id="hud_goal" text="%normal%"/>
            <loc id="db01_text1_upgrade" text="New!"/><loc id="db01_btnyes_upgrade" text="Fine"/>
            <loc id="mn09_desc_money_bonus" text="Cash rain"/></root>)");
        ImageLib::Image picture(4, 4);
        ASSERT_TRUE(ImageLib::WritePNGImage((mFolder / "images" / "t.png").string(), picture));
        // The game's sounds go to a library that records what is played.
        mPreviousLibrary = Platform::SetSoundLibrary(&mSoundLibrary);
        mGame = &MakeEngine<Headless<TMEngine3>>();
        ASSERT_EQ(InitExitCode(*mGame), -1);
        mGame->mRunning = true;
        mGame->mActive = true;
        mGame->mDeferredMessages.clear();
        gFrameDelta = 0.0f;
        ResetGameTime();
    }

    void TearDown() override
    {
        gFrameDelta = 0.0f;
        ResetGameTime();
        mApp.reset();
        Platform::SetSoundLibrary(mPreviousLibrary);
        if (mHadData)
            setenv("XDG_DATA_HOME", mPreviousData.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        EngineFixture::TearDown();
    }

    /// Registers the textures (all drawn from one small picture) and builds the board from the description's
    /// elements; the board joins the widget tree, which deletes it with the engine.
    void MakeBoard(const std::string& elements, const std::vector<std::string>& textures = {})
    {
        std::string table = "<root>";
        for (const std::string& id : textures)
            table += "<texture id=\"" + id + "\" file=\"images\\t.png\"/>";
        table += "</root>";
        pugi::xml_document textureDocument;
        ASSERT_TRUE(textureDocument.load_string(table.c_str()));
        mGame->GetTextureTable()->Load(textureDocument.child("root"));
        ASSERT_TRUE(mUi.load_string(("<root>" + elements + "</root>").c_str()));
        mBoard = new TMBoard_Game3(mGame, mUi.child("root"));
        mGame->mGameBoard = mBoard;
        mGame->mWidgetManager->AddWidget(mBoard);
        mHud = mBoard->GetHud();
        mMini = mBoard->GetMiniGame();
    }

    void MakeStandardBoard(const std::vector<std::string>& textures = {})
    {
        MakeBoard(HudXml() + MiniGameXml() + UpgradeXml(), textures);
    }

    /// Level files under cfg\ and the scene they name.
    void WriteLevel(int level, bool survival, const std::string& body, const std::string& attributes = "")
    {
        const std::string name = (survival ? "e" : "l") + std::to_string(level) + ".xml";
        WriteXml(mFolder / "cfg" / name, "<level doc=\"scene\\s1.xml\" " + attributes +
                                             "><params normal=\"100\" expert=\"200\"/>" + body + "</level>");
    }
    void WriteScene(const std::string& objects, const std::string& more = "")
    {
        WriteXml(mFolder / "scene" / "s1.xml", "<root><objects>" + objects + "</objects>" + more + "</root>");
    }
    void WriteConfig(const std::string& body) { WriteXml(mFolder / "cfg" / "cfg.xml", "<root>" + body + "</root>"); }

    /// Loads the level on its thread and hands it over as the loop does; the board is then shown and running.
    void Load(int level, bool survival = false)
    {
        mBoard->StartLoadThread(level, survival);
        while (mBoard->IsWaitingForLoad()) {
            if (mGame->mLoadingThreadCompleted)
                mBoard->FinishLevelLoad();
            else
                std::this_thread::yield();
        }
        mBoard->Show();
        // The briefing card stands between the load and the play; the tests play at once.
        mBoard->GetBriefing()->Hide();
        ASSERT_TRUE(mBoard->mRunning);
    }

    /// One widget update of the whole tree, as the loop runs it.
    void Frame(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            mGame->mWidgetManager->UpdateFrame();
    }

    void Click(int x, int y)
    {
        Platform::PostMessage(mGame->mMainWindow, Platform::WM_LBUTTONDOWN, Platform::MK_LBUTTON,
                              Platform::MakeLParam(x, y));
        Platform::PostMessage(mGame->mMainWindow, Platform::WM_LBUTTONUP, 0, Platform::MakeLParam(x, y));
        // A step takes one message; a few more let the pointer settle.
        for (int i = 0; i < 4; ++i)
            mGame->RunLoopStep(nullptr);
    }

    /// Loop steps until the condition holds.
    void StepUntil(const std::function<bool()>& done, int limit = 3000)
    {
        for (int guard = 0; guard < limit && !done(); ++guard)
            mGame->RunLoopStep(nullptr);
        ASSERT_TRUE(done()) << "the loop never got there";
    }

    [[nodiscard]] TMCandyWidget* Child(TMCandyWidget* parent, const std::string& path)
    {
        TMCandyWidget* widget = parent;
        size_t start = 0;
        while (widget && start <= path.size()) {
            const size_t slash = path.find('/', start);
            widget = widget->FindChild(path.substr(start, slash - start));
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
        return widget;
    }
    [[nodiscard]] bool Visible(const std::string& path) { return Visible(mHud, path); }
    [[nodiscard]] bool Visible(TMCandyWidget* parent, const std::string& path)
    {
        TMCandyWidget* widget = Child(parent, path);
        EXPECT_NE(widget, nullptr) << path;
        return widget && widget->mVisible;
    }

    /// Registers the sounds (made in memory) in the game's sound registry.
    void LoadSounds(const std::vector<std::string>& names)
    {
        std::string xml = "<root><sounds>";
        for (const std::string& name : names)
            xml += "<sound name=\"" + name + "\" group=\"game\" path=\"snd\\" + name + ".wav\"/>";
        xml += "</sounds></root>";
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(xml.c_str()));
        mGame->GetSoundRegistry()->Load(document.child("root"));
        mSoundNames = names;
        mSoundLibrary.TakeCalls();
    }

    /// How often each sound was started since the last call.
    [[nodiscard]] std::map<std::string, int> TakePlayed()
    {
        std::map<std::string, std::string> byPrefix;
        for (const std::string& name : mSoundNames) {
            if (TMSound* sound = mGame->GetSoundRegistry()->Find(name))
                byPrefix["SamplePlay " + std::to_string(sound->GetSample().value) + " "] = name;
        }
        std::map<std::string, int> played;
        for (const std::string& call : mSoundLibrary.TakeCalls()) {
            for (const auto& [prefix, name] : byPrefix) {
                if (call.rfind(prefix, 0) == 0)
                    ++played[name];
            }
        }
        return played;
    }

    [[nodiscard]] fs::path PrefPath() const { return mData / "Ostrel Games" / "Ilvane" / "pref.dat"; }

    TMEngine3* mGame = nullptr;
    pugi::xml_document mUi;
    TMBoard_Game3* mBoard = nullptr; // owned by the widget tree
    TBoard_Hud* mHud = nullptr;
    TMMiniGame* mMini = nullptr;
    fs::path mData;
    Platform::AudioMixer mMixer;
    SoundTest::RecordingLibrary mSoundLibrary{mMixer};
    std::vector<std::string> mSoundNames;

private:
    Platform::SoundLibrary* mPreviousLibrary = nullptr;
    std::string mPreviousData;
    bool mHadData = false;
};

} // namespace PlayfieldTest
