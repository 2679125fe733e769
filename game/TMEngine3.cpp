#include "game/TMEngine3.h"

#include "engine/EngineLog.h"
#include "engine/ItemFactory.h"
#include "engine/TMLocTable.h"
#include "engine/TMPickItem.h"
#include "engine/XmlConfig.h"
#include "game/ConfirmDialogs.h"
#include "game/DialogEffectFunctions.h"
#include "game/ItemEffectFunctions.h"
#include "game/ParticleEffectFunctions.h"
#include "game/StatusIndicators.h"
#include "game/TMBoard_Career.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoard_Help.h"
#include "game/TMBoard_HiScores.h"
#include "game/TMBoard_LoadScreen.h"
#include "game/TMBoard_MainMenu.h"
#include "game/TMBoard_Menu.h"
#include "game/TMBoard_Options.h"
#include "game/TMBoard_Splash.h"
#include "game/TMBoard_Survival.h"
#include "game/TMBoss.h"
#include "game/TMClient.h"
#include "game/TMItemBonus.h"
#include "game/TMPeriodItem.h"
#include "game/TMTrash.h"
#include "game/TMTray.h"
#include "game/TMWorker.h"
#include "shell/WidgetManager.h"

TMEngine3* gApp = nullptr;

ProfileRecord* CurrentProfile()
{
    auto* game = dynamic_cast<TMEngine3*>(TMEngine::GetEngine());
    return game ? game->GetPref().GetProfile() : nullptr;
}

TMEngine3::TMEngine3(const std::filesystem::path& workingFolder) : TMEngine(workingFolder), mPref(this)
{
    mProductName = "Ilvane Cafe";
    mTitle.clear(); // the localised "app_title" once Init has run
    mProductVersion = "1.0";
    mRegKey = "Ostrel Games\\Ilvane Cafe";
    // In a window until the player file's screen setting decides.
    mWindowedRequested = true;

    // The game's named effect functions, its item factory rows, its named item slots and its place-occupant
    // lookup are registered here, before Init reads the effect library.
    RegisterDialogEffectFunctions();
    RegisterItemEffectFunctions();
    RegisterParticleEffectFunctions();
    RegisterItemFactory("item", [] { return new TMItem(); });
    RegisterItemFactory("pickable", []() -> TMItem* { return new TMPickItem(); });
    RegisterItemFactory("boss", []() -> TMItem* { return new TMBoss(); });
    RegisterItemFactory("worker", []() -> TMItem* { return new TMWorker(); });
    RegisterItemFactory("tray", []() -> TMItem* { return new TMTray(); });
    RegisterItemFactory("status_bubble", []() -> TMItem* { return new TMStatus_Bubble(); });
    RegisterItemFactory("trash_bin", []() -> TMItem* { return new TMTrash(); });
    RegisterItemFactory("status_hp_worker", []() -> TMItem* { return new TMStatus_HP_Worker(); });
    RegisterItemFactory("status_hp_client", []() -> TMItem* { return new TMStatus_HP_Client(); });
    RegisterItemFactory("period_item", []() -> TMItem* { return new TMPeriodItem(); });
    RegisterItemFactory("client", []() -> TMItem* { return new TMClientStand(); });
    RegisterItemFactory("client_sit", []() -> TMItem* { return new TMClientSit(); });
    RegisterItemFactory("item_bonus", []() -> TMItem* { return new TMItemBonus(); });
    RegisterNamedItemSlot("boss", &gBoss);
    RegisterNamedItemSlot("bonus", &gBonusItem);
    SetPlaceOccupantLookup(&FindGamePlaceOccupant);
}

TMEngine3::~TMEngine3()
{
    WaitForLoadingThread();
    if (mGameBoard)
        mGameBoard->ReleaseLevel();
    mGameBoard = nullptr;
    mMenuBoard = nullptr;
    mMainMenuBoard = nullptr;
    mOptionsBoard = nullptr;
    mHelpBoard = nullptr;
    mHiScoresBoard = nullptr;
    mCareerBoard = nullptr;
    mSurvivalBoard = nullptr;
    mSplashBoard = nullptr;
    mLoadScreenBoard = nullptr;
}

void TMEngine3::Init()
{
    mAutoEnable3D = true;
    mVSyncUpdates = true;
    GetLocTable()->Load();
    mTitle = GetLocTable()->GetText("app_title");
    mPref.Load();
    TMEngine::Init();
}

void TMEngine3::LoadContent()
{
    TMEngine::LoadContent();

    std::string why;
    const auto document = XmlOpenDocument("cfg\\ui.xml", &why);
    pugi::xml_node root;
    if (document)
        root = XmlSelectNode(*document, "root");
    else
        EngineContentWarning("cfg\\ui.xml: %s; the screens stay empty", why.c_str());

    CreateConfirmDialogs(this, root);
    mGameBoard = new TMBoard_Game3(this, root);
    mGameBoard->LoadConfig();
    mLoadScreenBoard = new TMBoard_LoadScreen(this, root);
    mMenuBoard = new TMBoard_Menu(this, root);
    mMainMenuBoard = new TMBoard_MainMenu(this, root);
    mOptionsBoard = new TMBoard_Options(this, root);
    mHelpBoard = new TMBoard_Help(this, root);
    mHiScoresBoard = new TMBoard_HiScores(this, root);
    mCareerBoard = new TMBoard_Career(this, root);
    mSurvivalBoard = new TMBoard_Survival(this, root);
    mSplashBoard = new TMBoard_Splash(this, root);

    // Off the main thread the tree queues these and the main thread adds them at its next update, in this order:
    // the later a board is added, the higher it stands.
    for (Pyxo::Widget* board :
         std::initializer_list<Pyxo::Widget*>{mMenuBoard, mLoadScreenBoard, mMainMenuBoard, mOptionsBoard, mHelpBoard,
                                              mHiScoresBoard, mCareerBoard, mSurvivalBoard, mGameBoard, mSplashBoard})
        mWidgetManager->AddWidget(board);
}

void TMEngine3::OnLoadingFinished()
{
    TMEngine::OnLoadingFinished();
    // The boards the loader queued join the tree at the next update; the splash takes the focus as it shows, which
    // a board outside the tree cannot hold.
    mWidgetManager->ApplyQueuedChanges();
    if (mSplashBoard)
        mSplashBoard->Show();
}

void TMEngine3::ShowLoadingScreen()
{
    if (!mLoadScreenBoard)
        return;
    mWidgetManager->SetFocus(mLoadScreenBoard);
    mWidgetManager->BringToFront(mLoadScreenBoard);
    mLoadScreenBoard->Show();
}

void TMEngine3::HideLoadingScreen()
{
    if (mLoadScreenBoard)
        mLoadScreenBoard->Hide();
}
