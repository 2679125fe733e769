#include "engine/ParticleSystemTable.h"

#include "engine/TMParticleSystem.h"

ParticleSystemTable::~ParticleSystemTable()
{
    const std::lock_guard lock(mLock);
    for (auto& [owner, system] : mSystems)
        delete system;
}

void ParticleSystemTable::Add(const TMEffect* owner, TMParticleSystem* system)
{
    const std::lock_guard lock(mLock);
    if (system)
        mSystems.emplace(owner, system);
}

void ParticleSystemTable::UpdateOwner(const TMEffect* owner, float dt)
{
    const std::lock_guard lock(mLock);
    const auto [first, last] = mSystems.equal_range(owner);
    for (auto it = first; it != last; ++it)
        it->second->Update(dt);
}

void ParticleSystemTable::ClearAll()
{
    const std::lock_guard lock(mLock);
    for (auto& [owner, system] : mSystems)
        system->Clear();
}

void ParticleSystemTable::RemoveOwner(const TMEffect* owner)
{
    const std::lock_guard lock(mLock);
    const auto [first, last] = mSystems.equal_range(owner);
    for (auto it = first; it != last; ++it)
        delete it->second;
    mSystems.erase(first, last);
}

size_t ParticleSystemTable::Count(const TMEffect* owner) const
{
    const std::lock_guard lock(mLock);
    return mSystems.count(owner);
}

size_t ParticleSystemTable::Size() const
{
    const std::lock_guard lock(mLock);
    return mSystems.size();
}
