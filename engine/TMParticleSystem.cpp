#include "engine/TMParticleSystem.h"

#include "engine/BlockPool.h"
#include "engine/EngineLog.h"
#include "engine/ParticleSystemTable.h"
#include "engine/TMEngine.h"
#include "engine/TextureTable.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "shell/Random15.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// A description whose rate x life asks for more is cut to this many particles, so that bad numbers cannot ask
// for a pool of any size.
constexpr int kParticleLimit = 100000;

/// 0 to 1, from the 15-bit generator.
float Rnd()
{
    return static_cast<float>(Pyxo::Rand15()) / 32767.0f;
}

} // namespace

TMParticleSystem::TMParticleSystem(const ParticleDescription& description, const TMEffect* owner,
                                   ParticleSystemTable* table)
{
    ReadDescription(description);
    if (!table) {
        TMEngine* engine = TMEngine::GetEngine();
        table = engine ? engine->GetParticleSystems() : nullptr;
    }
    if (table)
        table->Add(owner, this);
}

TMParticleSystem::~TMParticleSystem()
{
    ReleaseLive();
}

void TMParticleSystem::ReleaseLive()
{
    for (Particle* particle : mLive) {
        particle->~Particle();
        mPool->Free(particle);
    }
    mLive.clear();
}

void TMParticleSystem::ReadDescription(const ParticleDescription& description)
{
    if (mPool)
        ReleaseLive();
    mAccumulator = 0.0f;
    mDescription = description;
    const int keys = description.keyCount;
    if (keys != 0) {
        const char* error = nullptr;
        if (keys < 2)
            error = "ERROR: [PS: ] age color count less than 2 !..";
        else if (keys > ParticleDescription::kMaxKeys)
            error = "ERROR: [PS: ] age color count more than 8 !..";
        else if (description.keys[0].age > 0.0f)
            error = "ERROR: [PS: ] first color age must be equal to 0!..";
        else if (description.keys[keys - 1].age <= 1.0f)
            error = "ERROR: [PS: ] last color age must be greater than 1!..";
        if (error) {
            EngineLog("%s", error);
            return;
        }
    }

    const double wanted = std::ceil(static_cast<double>(description.rate) * description.life);
    if (!(wanted >= 0.0)) {
        mMaxParticles = 0;
    } else if (wanted > kParticleLimit) {
        EngineLog("particle system \"%s\": %g particles asked for; %d kept", description.texture.c_str(), wanted,
                  kParticleLimit);
        mMaxParticles = kParticleLimit;
    } else {
        mMaxParticles = static_cast<int>(wanted);
    }
    mPool = std::make_unique<BlockPool>(sizeof(Particle), static_cast<size_t>(mMaxParticles) + 1);
    mLive.reserve(static_cast<size_t>(mMaxParticles) + 1);

    if (!description.texture.empty()) {
        TMEngine* engine = TMEngine::GetEngine();
        if (engine && engine->GetTextureTable()) {
            mTexture = engine->GetTextureTable()->Find(description.texture);
            mTexture.Acquire();
        }
    }
}

void TMParticleSystem::StopEmission()
{
    mEmitting = false;
    mAccumulator = 0.0f;
}

void TMParticleSystem::Clear()
{
    mAccumulator = 0.0f;
    mEmitting = false;
    if (mPool)
        ReleaseLive();
}

float TMParticleSystem::Vary(float value, uint32_t flag) const
{
    if (flag != kAlways && !(mDescription.varyFlags & flag))
        return value;
    return value + mDescription.variation * value * (2.0f * Rnd() - 1.0f);
}

void TMParticleSystem::Update(float dt)
{
    if (!mPool)
        return;
    const ParticleDescription& d = mDescription;
    for (size_t i = 0; i < mLive.size();) {
        Particle* p = mLive[i];
        p->age += dt;
        if (p->age > p->life) {
            // The last live particle takes the place; it is processed next.
            mLive[i] = mLive.back();
            mLive.pop_back();
            p->~Particle();
            mPool->Free(p);
            continue;
        }
        p->slowDown = std::max(0.0f, p->slowDown - dt);
        const float f = d.slowDownTime > 0.0f ? p->slowDown / d.slowDownTime : 0.0f;
        p->x += f * p->speed * p->dirX * dt;
        p->x += d.gravityX * dt;
        p->y += f * p->speed * p->dirY * dt;
        p->y += d.gravityY * dt;

        const float progress = p->life > 0.0f ? p->age / p->life : 1.0f;
        if (d.keyCount == 0) {
            p->color[0] = p->color[1] = p->color[2] = p->color[3] = 255;
        } else {
            while (p->keyIndex < d.keyCount - 1 && d.keys[p->keyIndex].age <= progress)
                ++p->keyIndex;
            const ParticleColorKey& to = d.keys[p->keyIndex];
            const ParticleColorKey& from = d.keys[std::max(0, p->keyIndex - 1)];
            const float span = to.age - from.age;
            const float blend = span > 0.0f ? (progress - from.age) / span : 1.0f;
            const int32_t fromColor[4] = {from.r, from.g, from.b, from.a};
            const int32_t toColor[4] = {to.r, to.g, to.b, to.a};
            for (int c = 0; c < 4; ++c)
                p->color[c] = static_cast<int32_t>(fromColor[c] + (toColor[c] - fromColor[c]) * blend);
        }
        p->scale = p->startScale + (p->endScale - p->startScale) * progress;
        ++i;
    }
    if (mEmitting) {
        mAccumulator += dt;
        Spawn();
    }
}

void TMParticleSystem::Spawn()
{
    const ParticleDescription& d = mDescription;
    if (!(d.rate > 0.0f))
        return;
    const float interval = 1.0f / d.rate;
    // At most a pool's worth: a large accumulator (a full pool keeps it) never overflows the count.
    const float batch = std::min(mAccumulator / interval, static_cast<float>(mMaxParticles) + 1.0f);
    int n = batch > 0.0f ? static_cast<int>(batch) : 0;
    float t = 0.0f;
    while (n > 0 && static_cast<int>(mLive.size()) < mMaxParticles && mPool->Used() < mPool->Count()) {
        auto* p = new (mPool->Alloc()) Particle();
        p->speed = Vary(d.speed, ParticleDescription::kVarySpeed);
        p->x = static_cast<int>(d.x);
        p->y = static_cast<int>(d.y);
        // Back-dated by its place in the batch, so a long frame does not emit a clump of identical particles.
        p->age = t;
        p->slowDown = d.slowDownTime;
        p->startScale = Vary(d.startScale, ParticleDescription::kVaryStartScale);
        p->endScale = Vary(d.endScale, ParticleDescription::kVaryEndScale);
        p->life = Vary(d.life, ParticleDescription::kVaryLife);
        if (d.shape == ParticleDescription::kRectangle) {
            // Width and height are always varied.
            p->x += static_cast<int>(Vary(d.width, kAlways) - d.width * 0.5f);
            p->y += static_cast<int>(Vary(d.height, kAlways) - d.height * 0.5f);
        } else if (d.shape == ParticleDescription::kHalfDisc) {
            const float a = static_cast<float>(Pyxo::Rand15()) * 3.1415927f / 32767.0f;
            const float r = static_cast<float>(Pyxo::Rand15()) * d.radius / 32767.0f;
            p->x += static_cast<int>(std::cos(a) * r);
            p->y += static_cast<int>(std::sin(a) * r);
        }
        const double direction = ((Rnd() - 0.5f) * d.spread + d.angle) * 0.01745329238474369;
        p->dirX = -std::sin(direction);
        p->dirY = std::cos(direction);
        mLive.push_back(p);
        --n;
        t += interval;
        mAccumulator -= interval;
    }
}

void TMParticleSystem::Draw(Pyxo::Graphics* g)
{
    if (!g || mLive.empty() || !mTexture.GetRecord())
        return;
    Pyxo::Image* image = mTexture.GetImage();
    if (!image)
        return;
    const bool colorize = g->GetColorize();
    g->SetColorize(true);
    for (const Particle* p : mLive) {
        const int w = static_cast<int>(image->GetWidth() * p->scale);
        const int h = static_cast<int>(image->GetHeight() * p->scale);
        g->SetColor(Pyxo::Color(p->color[0], p->color[1], p->color[2], p->color[3]));
        g->DrawImageStretched(image, static_cast<int>(p->x - w * 0.5), static_cast<int>(p->y - h * 0.5), w, h);
    }
    g->SetColorize(colorize);
}
