// The board's level loading: the hand-over to the level-loading thread, the load itself in its fixed order, and
// the main thread's end of it.
#include "engine/EngineLog.h"
#include "engine/PathGraph.h"
#include "engine/TMBoard_Game.h"
#include "engine/TMEngine.h"
#include "engine/TMItem.h"
#include "engine/XmlConfig.h"
#include "engine/ZOrder.h"
#include "shell/ProcessExit.h"
#include "shell/PyxoAppBase.h"

#include <cstdarg>
#include <cstdio>
#include <exception>
#include <string>
#include <system_error>

namespace {

/// The longest scene document path the level file may name.
constexpr size_t kSceneNameSize = 260;

} // namespace

void TMBoard_Game::StartLoadThread(int level, bool survival)
{
    if (mWaitingForLoad) {
        EngineLog("level %d: a level load is already under way; the request is refused", level);
        return;
    }
    // The main thread lets go of the level before the loading thread tears it down.
    StopLevel();
    JoinLoadThread();
    // The level's parts go to the builder of the board that loads it.
    gZOrder = mZOrder.get();
    mLoadRequest.level = level;
    mLoadRequest.survival = survival;
    mLoadAbandoned = false;
    mWaitingForLoad = true;
    if (mApp)
        mApp->mLoadingThreadCompleted = false;
    Hide();
    if (TMEngine* engine = TMEngine::GetEngine())
        engine->ShowLoadingScreen();
    mLoadingInProgress = true;

    const std::lock_guard lock(mLoadThreadLock);
    try {
        mLoadThread = std::thread([this] { RunLoadThread(); });
    } catch (const std::system_error& error) {
        // Handed over as an abandoned load, so the load screen still goes away.
        EngineLog("level %d: the level-loading thread could not start: %s", level, error.what());
        mLoadAbandoned = true;
        if (mApp)
            mApp->mLoadingThreadCompleted = true;
        return;
    }
    mLoadStopperTicket = Pyxo::AddThreadStopper([this] { JoinLoadThread(); });
}

void TMBoard_Game::RunLoadThread()
{
    try {
        LoadLevel(mLoadRequest.level, mLoadRequest.survival);
    } catch (const std::exception& error) {
        AbandonLoad("level %d: the load failed: %s", mLoadRequest.level.load(), error.what());
    }
    // Last: the main thread may finish the load from here on.
    if (mApp)
        mApp->mLoadingThreadCompleted = true;
}

void TMBoard_Game::JoinLoadThread()
{
    std::thread thread;
    int ticket = 0;
    {
        // Taken out under the lock and joined without it: an exit on the loading thread itself runs this too, and
        // must not wait for a lock that a joining main thread holds.
        const std::lock_guard lock(mLoadThreadLock);
        if (!mLoadThread.joinable() || mLoadThread.get_id() == std::this_thread::get_id())
            return;
        thread = std::move(mLoadThread);
        ticket = mLoadStopperTicket;
        mLoadStopperTicket = 0;
    }
    thread.join();
    Pyxo::RemoveThreadStopper(ticket);
}

void TMBoard_Game::AbandonLoad(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    EngineContentWarning("%s; the level is not loaded", text);
    mSceneDoc.reset();
    mLevelDoc.reset();
    // The torn-down level's sheets are not kept for a level that will not come.
    FlushDeferredReleases();
    mLoadAbandoned = true;
}

void TMBoard_Game::LoadLevel(int level, bool survival)
{
    TeardownLevel();
    mLevel = level;
    mSurvival = survival;

    char fileName[32];
    std::snprintf(fileName, sizeof fileName, survival ? "cfg\\e%d.xml" : "cfg\\l%d.xml", level);
    std::string why;
    mLevelDoc = XmlOpenDocument(fileName, &why);
    if (!mLevelDoc)
        return AbandonLoad("%s: %s", fileName, why.c_str());
    const pugi::xml_node levelNode = XmlSelectNode(*mLevelDoc, "level");
    if (!levelNode)
        return AbandonLoad("%s: no element \"level\"", fileName);
    std::string sceneName;
    if (!XmlGetAttrString(levelNode, "doc", sceneName, kSceneNameSize) || sceneName.empty())
        return AbandonLoad("%s: \"level\" names no scene document (\"doc\")", fileName);
    mSceneDoc = XmlOpenDocument(sceneName, &why);
    if (!mSceneDoc)
        return AbandonLoad("%s: %s", sceneName.c_str(), why.c_str());
    const pugi::xml_node root = XmlSelectNode(*mSceneDoc, "root");
    if (!root)
        return AbandonLoad("%s: no element \"root\"", sceneName.c_str());

    LoadLevelObjects(root);
    ApplyLevelObjectStates(levelNode);
    FlushDeferredReleases();
    RegisterLevelObjectsForDrawing();
    if (survival)
        ReadStages(levelNode);
    for (auto& [name, graph] : mGraphs) {
        graph->LoadBaseLayer(root);
        graph->BuildPickLayer();
        graph->LoadLevelLayer(levelNode);
    }
    mEvents.mMode = survival ? EventQueue::kModeGenerated : EventQueue::kModeFixed;
    mEvents.Load(levelNode);
    ReadLevelConfig(root, levelNode);

    mSceneDoc.reset();
    mLevelDoc.reset();
}

void TMBoard_Game::ReadStages(pugi::xml_node level)
{
    for (const pugi::xpath_node& selected : XmlSelectNodes(level, "stages/stage")) {
        LevelStage& stage = mStages.emplace_back();
        stage.num = XmlReadInt(selected.node(), "num");
        for (const pugi::xml_node object : selected.node().children("object")) {
            const std::string name = XmlReadString(object, "name");
            if (TMItem* item = TMItem::FindByName(name))
                stage.objects.push_back(item);
            else
                EngineContentWarning("stage %d: no level object \"%s\"; skipped", stage.num, name.c_str());
        }
    }
    mStageCursor = mStages.begin();
}

void TMBoard_Game::FinishLevelLoad()
{
    JoinLoadThread();
    mLoadingInProgress = false;
    if (TMEngine* engine = TMEngine::GetEngine())
        engine->HideLoadingScreen();
    if (mLoadAbandoned.exchange(false)) {
        // The board stays hidden and empty: an empty level begun would end as finished and be scored.
        mWaitingForLoad = false;
        if (mApp)
            mApp->mLoadingThreadCompleted = true;
        OnLevelLoadFailed();
        return;
    }
    Show();
    BeginLevel();
    mWaitingForLoad = false;
    if (mApp)
        mApp->mLoadingThreadCompleted = true;
}
