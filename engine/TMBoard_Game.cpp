#include "engine/TMBoard_Game.h"

#include "engine/CursorTable.h"
#include "engine/EngineLog.h"
#include "engine/GameClock.h"
#include "engine/ParticleSystemTable.h"
#include "engine/PathGraph.h"
#include "engine/TMEngine.h"
#include "engine/TMItem.h"
#include "engine/TMItemPart.h"
#include "engine/TMPickItem.h"
#include "engine/TMSoundManager.h"
#include "engine/TextVars.h"
#include "engine/XmlConfig.h"
#include "engine/ZOrder.h"
#include "graphics/raster/SoftwareTriangle.h"
#include "shell/PyxoAppBase.h"

TMBoard_Game* gCurrentBoard = nullptr;

namespace {

/// The movers that walk a path graph of their own, by item name.
constexpr const char* kGraphNames[] = {"boss"};

TMEngine* Engine()
{
    return TMEngine::GetEngine();
}

void SetTextNumber(const char* name, int value)
{
    if (TMEngine* engine = Engine(); engine && engine->GetTextVars())
        engine->GetTextVars()->SetNumber(name, value);
}

void SetCursor(const char* name)
{
    if (TMEngine* engine = Engine(); engine && engine->GetCursorTable())
        engine->GetCursorTable()->Set(name);
}

} // namespace

TMBoard_Game::TMBoard_Game(Pyxo::PyxoAppBase* app) : TMCandyWidget(nullptr), mApp(app)
{
    for (const char* name : kGraphNames)
        mGraphs.emplace(name, std::make_unique<PathGraph>(name));
    gCurrentBoard = this;
    // The builder's grid waits for the first level, so a board the content loader makes stays small.
    mZOrder = std::make_unique<ZOrder>();
    gZOrder = mZOrder.get();
    Raster::InitSoftwareTriangleTable();
}

TMBoard_Game::~TMBoard_Game()
{
    JoinLoadThread();
    mGraphs.clear();
    if (gZOrder == mZOrder.get())
        gZOrder = nullptr;
    mZOrder.reset();
    if (gCurrentBoard == this)
        gCurrentBoard = nullptr;
    mStages.clear();
}

// ---- Step ----------------------------------------------------------------------------------------------------------

bool TMBoard_Game::CanStep() const
{
    return mRunning && mPauseCount < 1 && (!mApp || mApp->mActive) && mVisible && !mWaitingForLoad;
}

void TMBoard_Game::Update()
{
    TMCandyWidget::Update();
    StepLevel();
}

void TMBoard_Game::StepLevel()
{
    if (!CanStep()) {
        gFrameDelta = 0.0f;
        return;
    }
    gFrameDelta = static_cast<float>((mApp ? mApp->mUpdateInterval : 10) / 1000.0);
    mLevelTime += gFrameDelta;
    mEvents.Advance();
    AdvanceGameTime();
    // A hook that starts a load hands the level to the loading thread: the step goes no further.
    DispatchEvents();
    if (mWaitingForLoad)
        return;
    UpdateLevelObjects();
    if (mWaitingForLoad)
        return;
    UpdateLevel();
    while (!mWaitingForLoad && !mClicked.empty()) {
        TMPickItem* item = mClicked.front();
        mClicked.pop_front();
        OnObjectClicked(item);
    }
    if (!mRunning || mWaitingForLoad)
        return;
    if (!mLevelOverSeen) {
        if (IsLevelOver()) {
            mLevelOverSeen = true;
            mLevelOverDelay.Start(kLevelOverGrace);
        }
        return;
    }
    if (!mLevelOverDelay.IsRunning()) {
        StopLevel();
        OnLevelFinished();
    }
}

void TMBoard_Game::DispatchEvents()
{
    if (mEvents.IsFinished())
        return;
    // A declined time point stays at the head and is offered again next step.
    if (TimePoint* due = mEvents.PeekDue(); due && TryDispatchEvent(due) && !mWaitingForLoad) {
        // A time point the game took without holding it goes back to the pool at once, or it would be lost.
        if (TimePoint* taken = mEvents.TakeDue(); taken && taken->refCount == 0)
            mEvents.Recycle(taken);
    }
}

bool TMBoard_Game::IsLevelOver()
{
    return mEvents.IsFinished();
}

// ---- Drawing and input ---------------------------------------------------------------------------------------------

void TMBoard_Game::Draw(Pyxo::Graphics* g)
{
    DrawItems(g);
}

void TMBoard_Game::DrawItems(Pyxo::Graphics* g)
{
    // The loading thread owns the items and the order until the load is finished.
    if (mWaitingForLoad || !mZOrder)
        return;
    const std::vector<TMItemPart*>& parts = mZOrder->GetDrawList(mOrderDirty);
    mOrderDirty = false;
    for (TMItemPart* part : parts) {
        if (part->GetOwner()->IsVisible() && part->IsVisible())
            part->Draw(g);
    }
}

void TMBoard_Game::KeyUp(int /*key*/) {}

void TMBoard_Game::MouseMove(int x, int y)
{
    TMCandyWidget::MouseMove(x, y);
    UpdateMouseOver(x, y);
}

void TMBoard_Game::UpdateMouseOver(int x, int y)
{
    if (!CanStep())
        return;
    const Pyxo::Point point{x, y};
    TMPickItem* chosen = nullptr;
    // Every item learns whether the pointer is over it, also after one has been chosen.
    for (auto& [name, item] : gPickItems) {
        const bool hit = item->HitTest(point);
        if (item->IsVisible())
            item->SetMouseOver(point, hit);
        if (!chosen && item->IsPickable(hit))
            chosen = item;
    }
    mHoverItem = chosen;
    SetCursor(chosen ? "active" : "normal");
}

void TMBoard_Game::MouseDown(int x, int y, int button, int /*clickCount*/)
{
    if (button == Pyxo::MouseButton::Left)
        ClickAt(x, y);
}

void TMBoard_Game::ClickAt(int x, int y)
{
    if (!CanStep() || !mHoverItem)
        return;
    if (mHoverItem->IsVisible() && mHoverItem->IsPresent() && mHoverItem->GetRegion().Contains({x, y}))
        QueueClick(mHoverItem);
}

void TMBoard_Game::ClickItem(const char* name)
{
    if (mWaitingForLoad || !name)
        return;
    if (TMPickItem* item = TMPickItem::FindPickItem(name))
        QueueClick(item);
}

void TMBoard_Game::QueueClick(TMPickItem* item)
{
    if (!item || mWaitingForLoad)
        return;
    item->IncClickCount();
    if (TMEngine* engine = Engine(); engine && engine->GetSoundRegistry())
        engine->GetSoundRegistry()->Play("click");
    mClicked.push_back(item);
}

void TMBoard_Game::MouseDrag(int /*x*/, int /*y*/) {}

void TMBoard_Game::OnShow()
{
    if (mParent)
        mParent->SetFocus(this);
}

void TMBoard_Game::OnHide()
{
    if (mParent)
        mParent->SetFocus(nullptr);
}

void TMBoard_Game::Activate() {}

void TMBoard_Game::Deactivate() {}

// ---- Pause, money and stages ---------------------------------------------------------------------------------------

void TMBoard_Game::Pause()
{
    if (mPauseCount++ != 0)
        return;
    if (TMEngine* engine = Engine(); engine && engine->GetSoundRegistry())
        engine->GetSoundRegistry()->PauseGroup("game");
    OnPause();
}

void TMBoard_Game::Resume()
{
    // Clamped: a count below 0 would keep the board stepping through a later Pause.
    if (mPauseCount <= 0) {
        mPauseCount = 0;
        return;
    }
    if (--mPauseCount != 0)
        return;
    if (TMEngine* engine = Engine(); engine && engine->GetSoundRegistry())
        engine->GetSoundRegistry()->ResumeGroup("game");
    OnResume();
}

int TMBoard_Game::AddMoney(int amount)
{
    if (!(mSurvival && amount < 0))
        mMoney += amount;
    if (mMoney < 0)
        mMoney = 0;
    // One stage per call, however many goals the new money passes.
    if (mSurvival && mMoney >= mEvents.GetMoneyGoal())
        AdvanceStage();
    OnMoneyChanged();
    SetTextNumber("money", mMoney);
    return mMoney;
}

void TMBoard_Game::AdvanceStage()
{
    mPreviousGoal = mEvents.GetMoneyGoal();
    ++mStageCounter;
    // Records apply strictly in file order: one whose number is never reached blocks the later ones.
    if (mStageCursor != mStages.end() && mStageCursor->num == mStageCounter) {
        for (TMItem* object : mStageCursor->objects) {
            object->mPresent = true;
            object->Activate(true);
            object->SendEffectMessage("on_add");
        }
        ++mStageCursor;
    } else {
        mStagesPending = false;
    }
    mEvents.AdvanceMoneyGoal();
    SetTextNumber("normal", mEvents.GetMoneyGoal());
    UpdateDayLabel();
}

float TMBoard_Game::GetProgress()
{
    if (!mSurvival)
        return mEvents.GetProgress();
    const int span = mEvents.GetMoneyGoal() - mPreviousGoal;
    if (span > 0 && mMoney > mPreviousGoal && mStagesPending)
        return static_cast<float>(mMoney - mPreviousGoal) / static_cast<float>(span);
    return 0.0f;
}

// ---- Level life ----------------------------------------------------------------------------------------------------

void TMBoard_Game::BeginLevel()
{
    gFrameDelta = 0.0f;
    mLevelTime = 0.0f;
    mLevelOverSeen = false;
    mStageCounter = 1;
    mStageCursor = mStages.begin();
    ResetGameTime();
    ActivateLevelObjects(true);
    mClicked.clear();
    mEvents.Start();
    if (TMEngine* engine = Engine(); engine && engine->GetParticleSystems())
        engine->GetParticleSystems()->ClearAll();
    mMoney = 0;
    mPreviousGoal = 0;
    mStagesPending = true;
    AddMoney(0);
    StartLevel();
    mRunning = true;
}

void TMBoard_Game::StopLevel()
{
    if (!mRunning)
        return;
    mRunning = false;
    mHoverItem = nullptr;
    ActivateLevelObjects(false);
    ResetLevel();
}

void TMBoard_Game::NextLevel()
{
    ++mLevel;
    StartLoadThread(mLevel, mSurvival);
}

void TMBoard_Game::ReloadLevel()
{
    StartLoadThread(mLevel, mSurvival);
}

void TMBoard_Game::TeardownLevel()
{
    if (mLevel <= 0)
        return;
    mLevel = 0;
    StopLevel();
    mHoverItem = nullptr;
    mClicked.clear();
    mStages.clear();
    mStageCursor = mStages.end();
    for (auto& [name, graph] : mGraphs) {
        graph->ReleaseLevel();
        graph->ReleasePick();
        graph->ReleaseBase();
    }
    // The builder borrows the parts: it lets go of them before the items go.
    if (mZOrder)
        mZOrder->Clear();
    ReleaseLevelObjects();
    ClearLevelObjects();
    mEvents.Clear();
    ReleaseLevelActors();
}

void TMBoard_Game::FlushDeferredReleases()
{
    for (Pyxo::ImagePoolRef& image : mDeferredReleases)
        image.Release();
    mDeferredReleases.clear();
}

void TMBoard_Game::ReleaseLevel()
{
    JoinLoadThread();
    TeardownLevel();
    FlushDeferredReleases();
    ClearActorConfigs();
}

void TMBoard_Game::LoadConfig()
{
    const std::unique_ptr<pugi::xml_document> document = XmlOpenDocument("cfg\\cfg.xml");
    if (!document) {
        EngineContentWarning("cfg\\cfg.xml: missing or not readable; no actor configuration");
        return;
    }
    LoadActorConfigs(XmlSelectNode(*document, "root"));
}

void TMBoard_Game::DeferRelease(Pyxo::ImagePoolRef* image)
{
    if (!image)
        return;
    mDeferredReleases.push_back(*image);
    image->Release();
}

PathGraph* TMBoard_Game::GetPathGraph(const std::string& name)
{
    const auto found = mGraphs.find(name);
    return found != mGraphs.end() ? found->second.get() : nullptr;
}
