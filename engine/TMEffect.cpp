#include "engine/TMEffect.h"

#include "engine/NotBuiltYet.h"
#include "engine/TMTimer.h"

TMEffect::TMEffect() = default;

TMEffect::~TMEffect()
{
    for (auto& [id, timer] : mTimers)
        delete timer;
}

bool TMEffect::SendMessage(const char* /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TMEffect::Update(float /*dt*/)
{
    ENGINE_NOT_BUILT_YET();
}

TMTimer* TMEffect::GetTimer(int32_t id) const
{
    const auto found = mTimers.find(id);
    return found != mTimers.end() ? found->second : nullptr;
}

bool TMEffect::AddTimer(int32_t /*id*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void* TMEffect::GetParam(int32_t id) const
{
    const auto found = mParams.find(id);
    return found != mParams.end() ? found->second : nullptr;
}

bool TMEffect::SetParam(int32_t id, void* value)
{
    mParams[id] = value;
    return true;
}

void TMEffect::RemoveParam(int32_t id)
{
    mParams.erase(id);
}

bool TMEffect::HasMessage(const char* /*name*/) const
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TMEffect::SetMessageEnabled(const char* /*name*/, bool /*enabled*/)
{
    ENGINE_NOT_BUILT_YET();
}

bool TMEffect::IsMessageEnabled(const char* /*name*/) const
{
    ENGINE_NOT_BUILT_YET();
    return false;
}
