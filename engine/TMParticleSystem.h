#pragma once

#include "engine/TextureHandle.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Pyxo {
class Graphics;
}
class BlockPool;
class ParticleSystemTable;
class TMEffect;

/// A colour of a particle at an age, the age a fraction of its life.
struct ParticleColorKey {
    float age = 0.0f;
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    int32_t a = 0;
};

/// How a particle system emits and how its particles look over their life. A plain value, copied whole into the
/// system; every field is zero until set.
struct ParticleDescription {
    static constexpr int kMaxKeys = 8;
    // varyFlags: which values Vary spreads.
    static constexpr uint32_t kVaryStartScale = 1;
    static constexpr uint32_t kVaryEndScale = 2;
    static constexpr uint32_t kVarySpeed = 4;
    static constexpr uint32_t kVaryLife = 8;
    // shape
    static constexpr int32_t kRectangle = 1;
    static constexpr int32_t kHalfDisc = 2;

    std::string name;     // not used by the system
    std::string group;    // not used by the system
    std::string texture;  // texture id drawn for each particle; empty: nothing is drawn
    int32_t keyCount = 0; // 0, or 2 to 8
    ParticleColorKey keys[kMaxKeys];
    float rate = 0.0f;  // particles per second
    float speed = 0.0f; // pixels per second
    float startScale = 0.0f;
    float endScale = 0.0f;
    float life = 0.0f;  // seconds
    int32_t shape = 0;  // 1 rectangle, 2 half disc, other: point
    float width = 0.0f; // rectangle
    float height = 0.0f;
    float radius = 0.0f; // half disc
    float x = 0.0f;      // emitter position, pixels
    float y = 0.0f;
    double gravityX = 0.0; // drift, pixels per second
    double gravityY = 0.0;
    float angle = 0.0f;        // emission direction, degrees
    float spread = 0.0f;       // width of the emission fan, degrees
    float slowDownTime = 0.0f; // seconds over which a particle's own speed falls to 0
    float variation = 0.0f;    // relative spread of the varied values
    uint32_t varyFlags = 0;
};

/// One particle of a system.
struct Particle {
    double x = 0.0;
    double y = 0.0;
    float age = 0.0f;
    int32_t color[4] = {0, 0, 0, 0}; // r, g, b, a
    float scale = 0.0f;
    int32_t keyIndex = 0;
    float startScale = 0.0f;
    float endScale = 0.0f;
    float life = 0.0f;
    double dirX = 0.0;
    double dirY = 0.0;
    float speed = 0.0f;
    float slowDown = 0.0f;
};

/// A small sprite-particle emitter: particles from a fixed pool, born at the description's rate while emitting,
/// moved, coloured and scaled over their life, drawn with the description's texture. Registered in a particle
/// system table under its owner (the effect instance that made it), which owns and deletes it. Main thread.
class TMParticleSystem {
public:
    /// Reads the description and registers the system under the owner in the table (the engine's when null; the
    /// system is then the caller's to delete when there is no engine). A description with bad colour keys is
    /// reported to the engine log and leaves a system that emits nothing.
    TMParticleSystem(const ParticleDescription& description, const TMEffect* owner,
                     ParticleSystemTable* table = nullptr);
    ~TMParticleSystem();
    TMParticleSystem(const TMParticleSystem&) = delete;
    TMParticleSystem& operator=(const TMParticleSystem&) = delete;

    void SetEmitting(bool emitting) { mEmitting = emitting; }
    [[nodiscard]] bool IsEmitting() const { return mEmitting; }
    /// No more particles are born; the live ones run out.
    void StopEmission();
    /// Every live particle goes back to the pool and emission stops.
    void Clear();
    void Update(float dt);
    void Draw(Pyxo::Graphics* g);

    [[nodiscard]] const ParticleDescription& GetDescription() const { return mDescription; }
    [[nodiscard]] const std::vector<Particle*>& GetParticles() const { return mLive; }
    [[nodiscard]] int GetMaxParticles() const { return mMaxParticles; }
    [[nodiscard]] bool HasPool() const { return mPool != nullptr; }

private:
    void ReadDescription(const ParticleDescription& description);
    void Spawn();
    void ReleaseLive();
    static constexpr uint32_t kAlways = ~0u; // Vary whatever the description's flags
    /// value + variation x value x (2 rnd - 1) when the flag is among the description's, else value.
    [[nodiscard]] float Vary(float value, uint32_t flag) const;

    ParticleDescription mDescription;
    std::vector<Particle*> mLive;     // from the pool; birth order, a removal filled from the back
    std::unique_ptr<BlockPool> mPool; // null when the description was refused
    int mMaxParticles = 0;
    float mAccumulator = 0.0f; // seconds toward the next birth
    bool mEmitting = false;
    TextureHandle mTexture;
};
