#pragma once

#include <cstddef>
#include <map>
#include <mutex>

class TMEffect;
class TMParticleSystem;

/// The engine's particle systems by owner: the effect instance that made them. Owned by the engine, which
/// deletes every system with it; an effect that goes away takes its systems along (TMEffect's destructor), so a
/// new effect at the same address never inherits them. Main thread, except that the level-loading thread deletes
/// the items of the previous level, and their effects' systems with them, while the main thread updates others:
/// every operation holds the table's lock.
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
    [[nodiscard]] size_t Count(const TMEffect* owner) const;
    [[nodiscard]] size_t Size() const;

private:
    mutable std::recursive_mutex mLock; // recursive: a system's update may reach the table again
    std::multimap<const TMEffect*, TMParticleSystem*> mSystems; // owned
};
