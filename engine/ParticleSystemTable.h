#pragma once

#include <cstddef>
#include <map>

class TMEffect;
class TMParticleSystem;

/// The engine's particle systems by owner: the effect instance that made them. Owned by the engine, which
/// deletes every system with it; an effect that goes away takes its systems along (TMEffect's destructor), so a
/// new effect at the same address never inherits them. Main thread.
class ParticleSystemTable {
public:
    ParticleSystemTable() = default;
    ~ParticleSystemTable(); // deletes every system
    ParticleSystemTable(const ParticleSystemTable&) = delete;
    ParticleSystemTable& operator=(const ParticleSystemTable&) = delete;

    /// Takes ownership of the system under the owner.
    void Add(const TMEffect* owner, TMParticleSystem* system);
    /// Updates every system of the owner by dt seconds.
    void UpdateOwner(const TMEffect* owner, float dt);
    /// Empties every system (live particles released, emission stopped): the level start.
    void ClearAll();
    /// Deletes the systems of an owner that goes away.
    void RemoveOwner(const TMEffect* owner);
    [[nodiscard]] size_t Count(const TMEffect* owner) const { return mSystems.count(owner); }
    [[nodiscard]] size_t Size() const { return mSystems.size(); }

private:
    std::multimap<const TMEffect*, TMParticleSystem*> mSystems; // owned
};
