#include "engine/TMBoard_Game.h"

#include "engine/NotBuiltYet.h"

TMBoard_Game* gCurrentBoard = nullptr;

TMBoard_Game::TMBoard_Game(Pyxo::PyxoAppBase* app) : TMCandyWidget(nullptr), mApp(app)
{
    gCurrentBoard = this;
}

TMBoard_Game::~TMBoard_Game()
{
    if (gCurrentBoard == this)
        gCurrentBoard = nullptr;
}

void TMBoard_Game::Update()
{
    TMCandyWidget::Update();
}

void TMBoard_Game::Draw(Pyxo::Graphics* /*g*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::KeyUp(int /*key*/) {}

void TMBoard_Game::MouseMove(int /*x*/, int /*y*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::MouseDown(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::MouseDrag(int /*x*/, int /*y*/) {}

void TMBoard_Game::OnShow()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::OnHide()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::Activate() {}

void TMBoard_Game::Deactivate() {}

void TMBoard_Game::LoadLevel(int /*level*/, bool /*survival*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::FinishLevelLoad()
{
    ENGINE_NOT_BUILT_YET();
    mWaitingForLoad = false;
}

bool TMBoard_Game::IsLevelOver()
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TMBoard_Game::DispatchEvents()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::StartLoadThread(int /*level*/, bool /*survival*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::Pause()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::Resume()
{
    ENGINE_NOT_BUILT_YET();
}

int TMBoard_Game::AddMoney(int /*amount*/)
{
    ENGINE_NOT_BUILT_YET();
    return mMoney;
}

float TMBoard_Game::GetProgress()
{
    ENGINE_NOT_BUILT_YET();
    return 0.0f;
}

void TMBoard_Game::ClickItem(const char* /*name*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::StopLevel()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::NextLevel()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::ReloadLevel()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::LoadConfig()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::ReleaseLevel()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game::DeferRelease(Pyxo::ImagePoolRef* image)
{
    if (!image)
        return;
    mDeferredReleases.push_back(*image);
    image->Release();
}

PathGraph* TMBoard_Game::GetPathGraph(const std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}
