#pragma once

#include "engine/TMEngine.h"
#include "game/TMPref.h"

#include <filesystem>

class TMBoard_Career;
class TMBoard_Game3;
class TMBoard_Help;
class TMBoard_HiScores;
class TMBoard_LoadScreen;
class TMBoard_MainMenu;
class TMBoard_Menu;
class TMBoard_Options;
class TMBoard_Splash;
class TMBoard_Survival;

/// The cafe game's application object: the product's identity, the player file, and the ten screens, created by
/// the content loading and shown as the game goes (the splash once loading has finished, the load screen around
/// each level load). The program's entry makes the one instance, runs it and deletes it.
class TMEngine3 : public TMEngine {
public:
    explicit TMEngine3(const std::filesystem::path& workingFolder = Platform::ExecutableFolder());
    /// Waits for the content-loading thread before anything it builds is torn down. A class derived from this one
    /// waits in its own destructor first, since the loader makes virtual calls on the application.
    ~TMEngine3() override;

    /// Localisation and the window title from "app_title", the player file, then the engine's start-up.
    void Init() override;
    /// The engine's content, then the confirmation boxes and the boards, which join the widget tree on the main
    /// thread in their stacking order (the splash on top). Resource-loading thread.
    void LoadContent() override;
    /// Shows the splash, once the boards the loader queued stand in the tree.
    void OnLoadingFinished() override;
    void ShowLoadingScreen() override;
    void HideLoadingScreen() override;

    [[nodiscard]] TMPref& GetPref() { return mPref; }

    // The boards: null until the content loading made them; owned by the widget manager.
    TMBoard_Game3* mGameBoard = nullptr;
    TMBoard_Menu* mMenuBoard = nullptr;
    TMBoard_MainMenu* mMainMenuBoard = nullptr;
    TMBoard_Options* mOptionsBoard = nullptr;
    TMBoard_Help* mHelpBoard = nullptr;
    TMBoard_HiScores* mHiScoresBoard = nullptr;
    TMBoard_Career* mCareerBoard = nullptr;
    TMBoard_Survival* mSurvivalBoard = nullptr;
    TMBoard_Splash* mSplashBoard = nullptr;
    TMBoard_LoadScreen* mLoadScreenBoard = nullptr;

private:
    TMPref mPref;
};

/// The object the program's entry made; only the entry reads it.
extern TMEngine3* gApp;

/// The current player's profile record; null while no game application runs.
[[nodiscard]] ProfileRecord* CurrentProfile();
