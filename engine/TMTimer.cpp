#include "engine/TMTimer.h"

#include "engine/NotBuiltYet.h"

TMTimer::TMTimer(TMEffect* owner) : mOwner(owner) {}

TMTimer::~TMTimer() = default;

void TMTimer::Load(pugi::xml_node /*timer*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMTimer::Setup(const TimerSetupRecord& /*setup*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMTimer::Restart()
{
    ENGINE_NOT_BUILT_YET();
}

void TMTimer::SetRunning(bool running)
{
    mRunning = running;
}

bool TMTimer::AddControl(const TimerControlRecord& /*control*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMTimer::RemoveControl(int32_t /*id*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMTimer::ReplaceControl(const TimerControlRecord& /*control*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMTimer::SetControlActive(int32_t /*id*/, bool /*active*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TMTimer::Update(double /*dt*/)
{
    ENGINE_NOT_BUILT_YET();
}
