#include "engine/ParticleSystemTable.h"

#include "engine/NotBuiltYet.h"

ParticleSystemTable::~ParticleSystemTable()
{
    // Not built yet: no system can be added, so none is left to delete.
}

void ParticleSystemTable::Add(const TMEffect* /*owner*/, TMParticleSystem* /*system*/)
{
    ENGINE_NOT_BUILT_YET();
}

void ParticleSystemTable::UpdateOwner(const TMEffect* /*owner*/, float /*dt*/)
{
    ENGINE_NOT_BUILT_YET();
}

void ParticleSystemTable::ClearAll()
{
    ENGINE_NOT_BUILT_YET();
}

void ParticleSystemTable::RemoveOwner(const TMEffect* /*owner*/)
{
    ENGINE_NOT_BUILT_YET();
}
