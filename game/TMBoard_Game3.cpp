#include "game/TMBoard_Game3.h"

#include "engine/EngineLog.h"
#include "engine/EventQueue.h"
#include "engine/PersInfo.h"
#include "engine/TMEngine.h"
#include "engine/TMMoveItem.h"
#include "engine/TMMusicPlayer.h"
#include "engine/TMPickItem.h"
#include "engine/TMSoundManager.h"
#include "engine/TextVars.h"
#include "engine/XmlConfig.h"
#include "game/ConfirmDialogs.h"
#include "game/TBoard_Hud.h"
#include "game/TMBoard_Briefing.h"
#include "game/TMBoard_Career.h"
#include "game/TMBoard_EscapeMenu.h"
#include "game/TMBoard_HiScores.h"
#include "game/TMBoard_Survival.h"
#include "game/TMBoard_Upgrade.h"
#include "game/TMBoss.h"
#include "game/TMClient.h"
#include "game/TMEngine3.h"
#include "game/TMMiniGame.h"
#include "game/TMPeriodItem.h"
#include "game/TMWorker.h"
#include "game/TutorialScript.h"
#include "shell/WidgetManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

TMBoard_Game3* gGameBoard = nullptr;

namespace {

constexpr int kEscapeKey = 27;
constexpr size_t kNameSize = 128;
/// The worker numbers that have owned flags of their own.
constexpr int kMaxWorkerNumber = 6;

TMEngine3* Game()
{
    return dynamic_cast<TMEngine3*>(TMEngine::GetEngine());
}

TextVars* Vars()
{
    TMEngine* engine = TMEngine::GetEngine();
    return engine ? engine->GetTextVars() : nullptr;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

} // namespace

// ---- Construction ------------------------------------------------------------------------------------------------

TMBoard_Game3::TMBoard_Game3(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMBoard_Game(app)
{
    gGameBoard = this;
    mHud = new TBoard_Hud(this, app, root);
    mEscapeMenu = new TMBoard_EscapeMenu(app, root);
    mUpgradeScreen = new TMBoard_Upgrade(app, root);
    mMiniGame = new TMMiniGame(this, app, root);
    mBriefing = new TMBoard_Briefing(app, root);

    AddChild("hud", mHud);
    mHud->AddChild("minigame", mMiniGame);
    if (app && app->mWidgetManager) {
        app->mWidgetManager->AddWidget(mEscapeMenu);
    } else {
        EngineLog("game board: no widget manager; the escape menu is not made");
        delete mEscapeMenu;
        mEscapeMenu = nullptr;
    }
    AddChild("upgrade", mUpgradeScreen);
    AddChild("briefingdlg", mBriefing);
    mTutorial = std::make_unique<TutorialScript>(mHud);
}

TMBoard_Game3::~TMBoard_Game3()
{
    // The loading thread calls this board's hooks: it is joined and the level let go of while they still exist.
    ReleaseLevel();
    if (gGameBoard == this)
        gGameBoard = nullptr;
    mTutorial.reset();
}

// ---- Widget ------------------------------------------------------------------------------------------------------

void TMBoard_Game3::KeyUp(int key)
{
    TMBoard_Game::KeyUp(key);
    if (key != kEscapeKey)
        return;
    const bool menuShown = mEscapeMenu && mEscapeMenu->mVisible;
    const bool briefingShown = mBriefing && mBriefing->mVisible;
    if (!menuShown && !briefingShown) {
        if (mEscapeMenu)
            mEscapeMenu->Show();
        return;
    }
    if (menuShown)
        mEscapeMenu->Hide();
    // Only a shown card is hidden: hiding resumes the board, which a hidden card never paused.
    if (briefingShown)
        mBriefing->Hide();
}

void TMBoard_Game3::OnShow()
{
    TMBoard_Game::OnShow();
    const int cafe = GetCafeIndex();
    TMEngine* engine = TMEngine::GetEngine();
    if (cafe < 1 || cafe > 3 || !engine || !engine->GetMusicPlayer())
        return;
    char name[16];
    std::snprintf(name, sizeof name, "level%d", cafe);
    engine->GetMusicPlayer()->Play(name);
}

// ---- The level's course ------------------------------------------------------------------------------------------

bool TMBoard_Game3::IsLevelOver()
{
    if (mSurvival)
        return mLives < 0;
    return !AnyClientActive() && mEvents.IsFinished();
}

void TMBoard_Game3::StartLevel()
{
    mGoalSplashShown = false;
    mExpertSplashShown = false;
    mDroppedEventLogs.clear();
    mChainBonus.OnAction(0, nullptr);
    mHud->SetMode(mSurvival);
    mMiniGame->Clear();
    mHud->SetAchievementPos(TBoard_Hud::kFirstAchievementPos);

    TextVars* vars = Vars();
    if (mSurvival) {
        if (vars)
            vars->SetNumber("normal", mEvents.GetMoneyGoal());
        mPendingUpgrades.clear();
        mUpgradeStageCursor = 0;
        mSurvivalFlags.fill(0);
        mLives = kSurvivalLives;
        mHud->SetLives(kSurvivalLives);
    } else {
        if (vars) {
            vars->SetNumber("normal", mNormalGoal);
            vars->SetNumber("expert", mExpertGoal);
        }
        mTutorial->Start(mLevel);
        mAchCounters.fill(0);
    }
    if (vars)
        vars->SetNumber("cafe", GetCafeIndex());
    SetDayLabel();
    mHud->Show();
    mBriefing->Show();
}

void TMBoard_Game3::OnLevelFinished()
{
    TMEngine3* game = Game();
    const bool offers = !mSurvival && mLevelUpgradeKind != kUpgradeNone && game &&
                        mLevel == game->GetPref().GetProfile()->furthestLevel && mMoney >= mNormalGoal;
    if (!offers) {
        FinishLevel();
        return;
    }
    // Announcing an offer that holds nothing would open an empty screen.
    if (CountCareerOffers() == 0) {
        EngineLog("level %d: every upgrade of its kind is owned; no offer", mLevel);
        FinishLevel();
        return;
    }
    ShowConfirmDialog1("upgrade");
    mUpgradeScreen->Show();
}

void TMBoard_Game3::ResetLevel()
{
    mHud->Hide();
    mHud->Reset();
    mTutorial->Clear();
    mPendingUpgrades.clear();
}

void TMBoard_Game3::ReleaseLevelActors()
{
    gBoss = nullptr;
    gBonusItem = nullptr;
    RestoreOverrides();
    ClearWorkerBindings();
}

void TMBoard_Game3::OnObjectClicked(TMPickItem* item)
{
    if (!item || !mTutorial->IsNameAllowed(item->GetName()))
        return;
    TMBoss* boss = GetBoss();
    if (!boss)
        return;
    boss->AddTarget(item);
    mTutorial->OnEvent(2);
}

void TMBoard_Game3::UpdateLevel()
{
    mChainBonus.Update();
    mTutorial->Update();
}

void TMBoard_Game3::OnMoneyChanged()
{
    if (mSurvival)
        return;
    if (!mGoalSplashShown) {
        if (mMoney >= mNormalGoal) {
            mHud->ShowGoalSplash();
            mGoalSplashShown = true;
        }
    } else if (!mExpertSplashShown && mMoney >= mExpertGoal) {
        mHud->ShowExpertSplash();
        mExpertSplashShown = true;
    }
}

void TMBoard_Game3::UpdateDayLabel()
{
    mHud->ShowGoalSplash();
    SetDayLabel();
    if (!mSurvival || mUpgradeStageCursor >= mUpgradeStages.size())
        return;
    const UpgradeStage& stage = mUpgradeStages[mUpgradeStageCursor];
    if (stage.num != GetStageCounter())
        return;
    mPendingUpgrades.push_back(stage.kind);
    mHud->ShowUpgradeButton(true);
    ++mUpgradeStageCursor;
}

bool TMBoard_Game3::TryDispatchEvent(TimePoint* point)
{
    if (!point)
        return false;
    // Time points no client can serve are taken and dropped: declined, they would stop the queue for good.
    if (point->event != "client") {
        LogDroppedEvent(point->event.empty() ? "an empty time point" : "event \"" + point->event + "\"");
        return true;
    }
    if (!FindClientConfig(point->type)) {
        LogDroppedEvent("client kind \"" + point->type + "\" without configuration");
        return true;
    }
    if (point->params.empty()) {
        LogDroppedEvent("a client event without an order");
        return true;
    }
    if (!mTutorial->IsIdAllowed(5) || !SeatStandClient(point, 0, 100.0f))
        return false;
    mTutorial->OnEvent(1);
    return true;
}

void TMBoard_Game3::OnPause() {}

void TMBoard_Game3::OnResume() {}

void TMBoard_Game3::OnLevelLoadFailed()
{
    TMEngine3* game = Game();
    EngineLog("%s %d: the level could not be loaded; back to the %s", mSurvival ? "survival cafe" : "career day",
              mLevel, mSurvival ? "survival screen" : "career book");
    if (!game)
        return;
    TMDialog* screen =
        mSurvival ? static_cast<TMDialog*>(game->mSurvivalBoard) : static_cast<TMDialog*>(game->mCareerBoard);
    if (screen)
        screen->Show();
}

void TMBoard_Game3::LoseLife()
{
    if (!mSurvival)
        return;
    --mLives;
    if (mLives >= 0)
        mHud->SetLives(mLives);
}

void TMBoard_Game3::FinishLevel()
{
    Hide();
    TMEngine3* game = Game();
    if (!game) {
        EngineLog("level %d: no game application; the result is not recorded", mLevel);
        return;
    }
    TMPref& pref = game->GetPref();
    if (mSurvival) {
        mLastPlace = pref.InsertHiScore(true, pref.GetProfile()->Name(), mMoney);
        TMDialog* screen = mLastPlace < TMPref::kNotPlaced ? static_cast<TMDialog*>(game->mHiScoresBoard)
                                                           : static_cast<TMDialog*>(game->mSurvivalBoard);
        if (screen)
            screen->Show();
        else
            EngineLog("survival cafe %d: no screen to show the result on", mLevel);
    } else {
        mLastResult = mMoney >= mExpertGoal ? 0 : mMoney >= mNormalGoal ? 1 : 2;
        if (game->mCareerBoard) {
            game->mCareerBoard->ShowLevelResult(mMoney, mLastResult, mLevel);
            game->mCareerBoard->Show();
        } else {
            EngineLog("career day %d: no career book to show the result on", mLevel);
        }
    }
    if (!pref.Save())
        EngineLog("level %d: the player file could not be saved", mLevel);
}

void TMBoard_Game3::OnChainBonus(int stage)
{
    if (!mTutorial->IsIdAllowed(6))
        return;
    bool enabled = true;
    const int kind = mTutorial->NextScriptedPart(enabled);
    if (kind >= 0)
        mMiniGame->AddPart(kind, enabled, false);
    else
        mMiniGame->AddRandomPart(stage);
}

void TMBoard_Game3::ApplyMiniGameBonus(int kind, int amount)
{
    mTutorial->OnEvent(6);
    switch (kind) {
    case 0: {
        const int perAmount = IsUpgradeOwned("bonus", "money") ? mLevelBonus.bonusCashUpgrade : mLevelBonus.bonusCash;
        AddMoney(amount * perAmount);
        PlaySound("minigame_coin");
        break;
    }
    case 1:
        CleanAllWorkers(1, static_cast<float>(amount) * mLevelBonus.workerStamina);
        PlaySound("minigame_clean");
        mHud->ShowCleanEffect();
        AwardAchievement(2, mAchParams.clean, kAchClean, amount);
        break;
    case 2: {
        const float seconds = static_cast<float>(amount) * mLevelBonus.iceTimeout;
        mIceCountdown.Start(seconds);
        PlaySound("minigame_ice");
        mHud->ShowFreezeBar(seconds);
        AwardAchievement(1, mAchParams.freeze, kAchIce, amount);
        break;
    }
    case 3:
        ApplyPatienceToAllClients(1, static_cast<float>(amount) * mLevelBonus.clientStamina);
        PlaySound("minigame_happy");
        AwardAchievement(3, mAchParams.candy, kAchHappy, amount);
        break;
    case 4:
        mSpeedCountdown.Start(static_cast<float>(amount) * mLevelBonus.speedTimeout);
        PlaySound("minigame_speed");
        break;
    default:
        break;
    }
}

void TMBoard_Game3::AwardAchievement(int hudKind, int target, int counterIndex, int amount)
{
    if (target == 0)
        return;
    mHud->ShowAchievementIcon(hudKind, true);
    int& counter = mAchCounters[static_cast<size_t>(counterIndex)];
    const int n = counter + amount;
    if (n > 0) {
        mHud->HideAchievementLevels(hudKind);
        if (counter == 0) {
            const int x = mHud->GetAchievementPos();
            mHud->MoveAchievementRow(hudKind, x);
            mHud->SetAchievementPos(x + 40);
        }
        const int level = static_cast<int>(std::trunc(n * 5.0 / target));
        mHud->ShowAchievementLevel(hudKind, std::clamp(level, 1, 5));
    }
    ++counter;
}

int TMBoard_Game3::GetCafeIndex() const
{
    if (mSurvival)
        return mLevel;
    if (mLevel < 16)
        return 1;
    if (mLevel <= 35)
        return 2;
    if (mLevel <= 59)
        return 3;
    return 0;
}

int TMBoard_Game3::GetDayOfLevel() const
{
    if (mSurvival)
        return GetStageCounter();
    if (mLevel < 16)
        return mLevel;
    if (mLevel <= 35)
        return mLevel - 15;
    if (mLevel <= 59)
        return mLevel - 35;
    return 0;
}

int TMBoard_Game3::GetAchievementCounter(int index) const
{
    if (index < 0 || index >= kAchCounterCount)
        return 0;
    return mAchCounters[static_cast<size_t>(index)];
}

void TMBoard_Game3::SetDayLabel()
{
    if (TextVars* vars = Vars())
        vars->SetNumber("day", GetDayOfLevel());
}

std::string TMBoard_Game3::LevelFileName() const
{
    char name[32];
    std::snprintf(name, sizeof name, mSurvival ? "cfg\\e%d.xml" : "cfg\\l%d.xml", mLevel);
    return name;
}

void TMBoard_Game3::LogDroppedEvent(const std::string& reason)
{
    if (mDroppedEventLogs.insert(reason).second)
        EngineLog("level %d: %s cannot be served; dropped", mLevel, reason.c_str());
}

void TMBoard_Game3::PlaySound(const char* name) const
{
    TMEngine::PlaySound(name);
}

// ---- Actor configuration -----------------------------------------------------------------------------------------

void TMBoard_Game3::LoadActorConfigs(pugi::xml_node root)
{
    if (!root)
        EngineLog("cfg\\cfg.xml: no element \"root\"; the actors keep no configuration");
    TMMoveItem::LoadPerses(root);
    LoadWorkersConfig(root);
    LoadClientsConfig(root);
    LoadPeriodConfig(root);
    LoadPersConfig(root);
    ReadLevelBonusParams(root);
    ReadUpgradeCatalogue(root);
    mChainBonus.Load(root);
}

void TMBoard_Game3::ClearActorConfigs()
{
    TMMoveItem::ClearPerses();
    ClearWorkersConfig();
    ClearClientsConfig();
    ClearPeriodConfig();
    ClearPersConfig();
}

void TMBoard_Game3::ReadLevelBonusParams(pugi::xml_node root)
{
    const pugi::xml_node level = root.child("level");
    if (!level) {
        EngineLog("cfg\\cfg.xml: no element \"level\"; the mini-game rewards stay 0");
        return;
    }
    XmlGetAttrInt(level, "bonus_cash", mLevelBonus.bonusCash);
    XmlGetAttrInt(level, "bonus_cash_upgrade", mLevelBonus.bonusCashUpgrade);
    XmlGetAttrFloat(level, "bonus_wstamina", mLevelBonus.workerStamina);
    XmlGetAttrFloat(level, "bonus_cstamina", mLevelBonus.clientStamina);
    XmlGetAttrFloat(level, "bonus_iceagetimeout", mLevelBonus.iceTimeout);
    XmlGetAttrFloat(level, "bonus_iceagetimeout", mLevelBonus.speedTimeout);
    XmlGetAttrFloat(level, "client_pause", mLevelBonus.clientPause);
}

void TMBoard_Game3::ReadUpgradeCatalogue(pugi::xml_node root)
{
    mFunctionalUpgrades.clear();
    mVisualUpgrades.clear();
    const pugi::xml_node upgrade = root.child("upgrade");
    if (!upgrade) {
        EngineLog("cfg\\cfg.xml: no element \"upgrade\"; no upgrade is offered");
        return;
    }
    ReadCatalogueList(upgrade, kUpgradeFunctional, mFunctionalUpgrades);
    ReadCatalogueList(upgrade, kUpgradeVisual, mVisualUpgrades);
}

void TMBoard_Game3::ReadCatalogueList(pugi::xml_node upgrade, int type, std::vector<UpgradeEntry>& out)
{
    const char* element = type == kUpgradeFunctional ? "functional" : "visual";
    for (const pugi::xml_node node : upgrade.children(element)) {
        UpgradeEntry entry;
        entry.type = type;
        XmlGetAttrString(node, "name", entry.name, kNameSize);
        XmlGetAttrString(node, "object", entry.object, kNameSize);
        XmlGetAttrInt(node, "min_level", entry.minLevel);
        XmlGetAttrInt(node, "max_level", entry.maxLevel);
        if (entry.name.empty() || entry.object.empty()) {
            EngineLog("cfg\\cfg.xml: upgrade/%s without object or name; dropped", element);
            continue;
        }
        if (entry.minLevel < 1 || entry.minLevel > 3) {
            EngineLog("cfg\\cfg.xml: upgrade/%s \"%s\" \"%s\": min_level %d is not a cafe (1 to 3); dropped", element,
                      entry.object.c_str(), entry.name.c_str(), entry.minLevel);
            continue;
        }
        if (type == kUpgradeVisual) {
            for (const pugi::xml_node object : node.children("object")) {
                std::string name;
                if (XmlGetAttrString(object, "name", name, kNameSize) && !name.empty())
                    entry.objects.push_back(name);
            }
        } else if (entry.object != "bonus" && entry.object != "boss") {
            if (!FindWorkerConfig(entry.object)) {
                EngineLog("cfg\\cfg.xml: upgrade/%s \"%s\" \"%s\": names no worker type; dropped", element,
                          entry.object.c_str(), entry.name.c_str());
                continue;
            }
            entry.workerTarget = true;
        }
        entry.flagIndex = FlagIndexFor(entry);
        if (entry.flagIndex < 0) {
            EngineLog("cfg\\cfg.xml: upgrade/%s \"%s\" \"%s\": has no owned flag; dropped", element,
                      entry.object.c_str(), entry.name.c_str());
            continue;
        }
        out.push_back(std::move(entry));
    }
}

int TMBoard_Game3::FlagIndexFor(const UpgradeEntry& entry) const
{
    if (entry.type == kUpgradeFunctional) {
        if (entry.object == "bonus")
            return entry.name == "money" ? 13 : -1;
        if (entry.object == "boss")
            return entry.name == "speed" ? 12 : -1;
        const WorkerConfig* config = FindWorkerConfig(entry.object);
        if (!config)
            return -1;
        const int w = config->sequence;
        // Higher worker numbers would share the flags of the boss, the bonus and the visual upgrades.
        if (w < 1 || w > kMaxWorkerNumber) {
            EngineLog("cfg\\cfg.xml: worker type \"%s\" is number %d; only 1 to %d have upgrade flags",
                      entry.object.c_str(), w, kMaxWorkerNumber);
            return -1;
        }
        if (entry.name == "speed")
            return 6 + w - 1;
        if (entry.name == "tidiness")
            return w - 1;
        return -1;
    }
    // min_level 1 to 3 keeps the index inside the 29 flags, clear of the functional ones.
    const int base = 5 * entry.minLevel;
    static constexpr const char* kPrefixes[] = {"floor", "worker_table", "bar", "decor", "client_table"};
    for (int row = 0; row < 5; ++row) {
        if (StartsWith(entry.object, kPrefixes[row]))
            return base + 9 + row;
    }
    return -1;
}

// ---- Level configuration -----------------------------------------------------------------------------------------

void TMBoard_Game3::ReadLevelConfig(pugi::xml_node root, pugi::xml_node level)
{
    if (mSurvival)
        mSurvivalFlags.fill(0);
    ReadSkinParams(root);
    ReadGoalParams(level);
    ReadUpgradeStages(level);
    ReadLevelOverrides(level);
    if (!mSurvival)
        ReadAchParams(level);
    mMiniGame->LoadParts(level);
}

void TMBoard_Game3::ReadSkinParams(pugi::xml_node sceneRoot)
{
    const pugi::xml_node param = sceneRoot.child("param");
    XmlGetAttrString(param, "upgrade_skin", mUpgradeSkin, kNameSize);
    XmlGetAttrString(param, "default_skin", mDefaultSkin, kNameSize);
}

void TMBoard_Game3::ReadGoalParams(pugi::xml_node level)
{
    const pugi::xml_node params = level.child("params");
    if (!params) {
        EngineLog("%s: no element \"params\"; not supported, the goals stay %d and %d", LevelFileName().c_str(),
                  mNormalGoal, mExpertGoal);
        return;
    }
    XmlGetAttrInt(params, "normal", mNormalGoal);
    XmlGetAttrInt(params, "expert", mExpertGoal);
}

void TMBoard_Game3::ReadAchParams(pugi::xml_node level)
{
    mAchParams = AchParams{};
    const pugi::xml_node ach = level.child("achparams");
    if (!ach) {
        mAchParams.bonusSuper = 4;
        return;
    }
    XmlGetAttrInt(ach, "freeze", mAchParams.freeze);
    XmlGetAttrInt(ach, "candy", mAchParams.candy);
    XmlGetAttrInt(ach, "clean", mAchParams.clean);
    XmlGetAttrInt(ach, "no_broke", mAchParams.noBroke);
    XmlGetAttrInt(ach, "bonus_cash", mAchParams.bonusCash);
    XmlGetAttrInt(ach, "bonus_super", mAchParams.bonusSuper);
    XmlGetAttrInt(ach, "bonus_super_cash", mAchParams.bonusSuperCash);
}

int TMBoard_Game3::UpgradeKindFromText(const std::string& text)
{
    if (text == "func")
        return kUpgradeFunctional;
    if (text == "vis")
        return kUpgradeVisual;
    return kUpgradeNone;
}

void TMBoard_Game3::ReadUpgradeStages(pugi::xml_node level)
{
    if (mSurvival) {
        mUpgradeStages.clear();
        mUpgradeStageCursor = 0;
        mLevelUpgradeKind = kUpgradeNone;
        for (const pugi::xpath_node& selected : XmlSelectNodes(level, "stages/stage")) {
            const int kind = UpgradeKindFromText(XmlReadString(selected.node(), "upgrade"));
            if (kind != kUpgradeNone)
                mUpgradeStages.push_back({XmlReadInt(selected.node(), "num"), kind});
        }
    } else {
        mLevelUpgradeKind = UpgradeKindFromText(XmlReadString(level, "upgrade"));
    }
    ApplyLevelUpgrades();
}

void TMBoard_Game3::ReadLevelOverrides(pugi::xml_node level)
{
    const std::string fileName = LevelFileName();
    const char* file = fileName.c_str();

    for (const pugi::xpath_node& selected : XmlSelectNodes(level, "override_workers/worker")) {
        const pugi::xml_node node = selected.node();
        const std::string name = XmlReadString(node, "name", kNameSize);
        WorkerConfig* config = FindWorkerConfig(name);
        if (!config) {
            EngineLog("%s: override_workers/worker names no worker type \"%s\"; skipped", file, name.c_str());
            continue;
        }
        mSavedWorkers.try_emplace(name, SavedWorker{config->workTime, config->tidinessUp, config->tidinessDown});
        XmlGetAttrFloat(node, "work_time", config->workTime);
        XmlGetAttrFloat(node, "tidiness_up", config->tidinessUp);
        XmlGetAttrFloat(node, "tidiness_down", config->tidinessDown);
        config->startTidiness = 100.0f;
        XmlGetAttrFloat(node, "worker_start_stamina", config->startTidiness);
        config->hasStartTidiness = true;
        mStartTidinessSet.insert(name);
    }

    for (const pugi::xpath_node& selected : XmlSelectNodes(level, "override_clients/client")) {
        const pugi::xml_node node = selected.node();
        const std::string name = XmlReadString(node, "name", kNameSize);
        ClientConfig* config = FindClientConfig(name);
        if (!config) {
            EngineLog("%s: override_clients/client names no client type \"%s\"; skipped", file, name.c_str());
            continue;
        }
        mSavedClients.try_emplace(name,
                                  SavedClient{config->patienceSpeed,
                                              {config->money01G, config->money01Y, config->money01R, config->money02G,
                                               config->money02Y, config->money02R, config->lossesMoney}});
        XmlGetAttrFloat(node, "client_patience_speed", config->patienceSpeed);
        XmlGetAttrInt(node, "client_money01_g", config->money01G);
        XmlGetAttrInt(node, "client_money01_y", config->money01Y);
        XmlGetAttrInt(node, "client_money01_r", config->money01R);
        XmlGetAttrInt(node, "client_money02_g", config->money02G);
        XmlGetAttrInt(node, "client_money02_y", config->money02Y);
        XmlGetAttrInt(node, "client_money02_r", config->money02R);
        XmlGetAttrInt(node, "client_losses_money", config->lossesMoney);
        config->startPatience = 100.0f;
        XmlGetAttrFloat(node, "client_start_stamina", config->startPatience);
        config->hasStartPatience = true;
        mStartPatienceSet.insert(name);
    }

    float bossSpeed = 0.0f;
    if (XmlGetAttrFloat(level, "override_boss_speed", bossSpeed)) {
        const auto boss = gPersByName.find("boss");
        if (boss == gPersByName.end()) {
            EngineLog("%s: override_boss_speed without a \"boss\" description; ignored", file);
        } else {
            if (!mBossSpeedSaved) {
                mSavedBossSpeed = boss->second.moveSpeed;
                mBossSpeedSaved = true;
            }
            boss->second.moveSpeed = bossSpeed;
        }
    }
}

void TMBoard_Game3::RestoreOverrides()
{
    for (const auto& [name, saved] : mSavedWorkers) {
        if (WorkerConfig* config = FindWorkerConfig(name)) {
            config->workTime = saved.workTime;
            config->tidinessUp = saved.tidinessUp;
            config->tidinessDown = saved.tidinessDown;
        }
    }
    for (const std::string& name : mStartTidinessSet) {
        if (WorkerConfig* config = FindWorkerConfig(name)) {
            config->hasStartTidiness = false;
            config->startTidiness = 100.0f;
        }
    }
    for (const auto& [name, saved] : mSavedClients) {
        if (ClientConfig* config = FindClientConfig(name)) {
            config->patienceSpeed = saved.patienceSpeed;
            config->money01G = saved.money[0];
            config->money01Y = saved.money[1];
            config->money01R = saved.money[2];
            config->money02G = saved.money[3];
            config->money02Y = saved.money[4];
            config->money02R = saved.money[5];
            config->lossesMoney = saved.money[6];
        }
    }
    for (const std::string& name : mStartPatienceSet) {
        if (ClientConfig* config = FindClientConfig(name)) {
            config->hasStartPatience = false;
            config->startPatience = 100.0f;
        }
    }
    if (mBossSpeedSaved) {
        if (const auto boss = gPersByName.find("boss"); boss != gPersByName.end())
            boss->second.moveSpeed = mSavedBossSpeed;
    }
    mSavedWorkers.clear();
    mSavedClients.clear();
    mStartTidinessSet.clear();
    mStartPatienceSet.clear();
    mBossSpeedSaved = false;
}

// ---- Upgrades ----------------------------------------------------------------------------------------------------

uint8_t* TMBoard_Game3::OwnedFlags() const
{
    if (mSurvival)
        return const_cast<uint8_t*>(mSurvivalFlags.data());
    TMEngine3* game = Game();
    return game ? game->GetPref().GetProfile()->upgrades.data() : nullptr;
}

bool TMBoard_Game3::ResolveUpgradeFlag(const UpgradeEntry& entry) const
{
    const uint8_t* flags = OwnedFlags();
    if (!flags || entry.flagIndex < 0 || entry.flagIndex >= static_cast<int>(kUpgradeFlagCount))
        return false;
    return flags[entry.flagIndex] != 0;
}

bool TMBoard_Game3::IsUpgradeOwned(const std::string& object, const std::string& name) const
{
    for (const std::vector<UpgradeEntry>* list : {&mFunctionalUpgrades, &mVisualUpgrades}) {
        for (const UpgradeEntry& entry : *list) {
            if (entry.object == object && entry.name == name)
                return ResolveUpgradeFlag(entry);
        }
    }
    return false;
}

void TMBoard_Game3::ApplyLevelUpgrades()
{
    const int cafe = GetCafeIndex();
    for (const UpgradeEntry& entry : mVisualUpgrades) {
        if (!ResolveUpgradeFlag(entry) || cafe < entry.minLevel || cafe > entry.maxLevel)
            continue;
        for (const std::string& name : entry.objects) {
            if (TMItem* item = TMItem::FindByName(name))
                item->ApplyUpgrade(mUpgradeSkin);
        }
    }
}

void TMBoard_Game3::ApplyUpgradeEntry(UpgradeEntry& entry, bool owned)
{
    if (uint8_t* flags = OwnedFlags();
        flags && entry.flagIndex >= 0 && entry.flagIndex < static_cast<int>(kUpgradeFlagCount))
        flags[entry.flagIndex] = owned ? 1 : 0;
    if (entry.type == kUpgradeFunctional) {
        if (!entry.workerTarget)
            return;
        const WorkerConfig* config = FindWorkerConfig(entry.object);
        if (config && config->boundWorker)
            static_cast<TMItem*>(config->boundWorker)->ApplyUpgrade("");
        return;
    }
    for (const std::string& name : entry.objects) {
        TMItem* item = TMItem::FindByName(name);
        if (!item)
            continue;
        item->ApplyUpgrade(owned ? mUpgradeSkin : mDefaultSkin);
        item->SendEffectMessage(owned ? "on_upgrade" : "on_downgrade");
    }
}

int TMBoard_Game3::CountCareerOffers() const
{
    const std::vector<UpgradeEntry>* list = mLevelUpgradeKind == kUpgradeFunctional ? &mFunctionalUpgrades
                                            : mLevelUpgradeKind == kUpgradeVisual   ? &mVisualUpgrades
                                                                                    : nullptr;
    if (!list)
        return 0;
    const int cafe = GetCafeIndex();
    int count = 0;
    for (const UpgradeEntry& entry : *list) {
        if (count == static_cast<int>(kMaxOffers))
            break;
        if (!ResolveUpgradeFlag(entry) && entry.minLevel <= cafe && cafe <= entry.maxLevel)
            ++count;
    }
    return count;
}

int TMBoard_Game3::OfferUpgrades(std::vector<UpgradeEntry*>& out)
{
    out.clear();
    if (mSurvival) {
        // With no earned upgrade left there is nothing to offer.
        if (mPendingUpgrades.empty())
            return 0;
        mLevelUpgradeKind = mPendingUpgrades.front();
        mPendingUpgrades.pop_front();
        if (mPendingUpgrades.empty())
            mHud->ShowUpgradeButton(false);
    }
    std::vector<UpgradeEntry>* list = mLevelUpgradeKind == kUpgradeFunctional ? &mFunctionalUpgrades
                                      : mLevelUpgradeKind == kUpgradeVisual   ? &mVisualUpgrades
                                                                              : nullptr;
    if (!list)
        return 0;
    const int cafe = GetCafeIndex();
    for (UpgradeEntry& entry : *list) {
        if (out.size() == kMaxOffers)
            break;
        if (!ResolveUpgradeFlag(entry) && entry.minLevel <= cafe && cafe <= entry.maxLevel)
            out.push_back(&entry);
    }
    return static_cast<int>(out.size());
}
