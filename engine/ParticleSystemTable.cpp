#include "engine/ParticleSystemTable.h"

#include "engine/TMParticleSystem.h"

ParticleSystemTable::~ParticleSystemTable()
{
    for (auto& [owner, system] : mSystems)
        delete system;
}

void ParticleSystemTable::Add(const TMEffect* owner, TMParticleSystem* system)
{
    if (system)
        mSystems.emplace(owner, system);
}

void ParticleSystemTable::UpdateOwner(const TMEffect* owner, float dt)
{
    const auto [first, last] = mSystems.equal_range(owner);
    for (auto it = first; it != last; ++it)
        it->second->Update(dt);
}

void ParticleSystemTable::ClearAll()
{
    for (auto& [owner, system] : mSystems)
        system->Clear();
}

void ParticleSystemTable::RemoveOwner(const TMEffect* owner)
{
    const auto [first, last] = mSystems.equal_range(owner);
    for (auto it = first; it != last; ++it)
        delete it->second;
    mSystems.erase(first, last);
}
