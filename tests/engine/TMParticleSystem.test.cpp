// Particle systems: the checks of a description's colour keys, birth by rate with back-dated ages, colours and
// scales over a particle's life, the end of emission, and the table that owns the systems by effect.
#include "engine/TMParticleSystem.h"

#include "engine/ParticleSystemTable.h"
#include "engine/TMEffect.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using namespace EngineTest;

using TMParticleSystemTest = EngineFixture;

ParticleDescription Burst(float rate, float life)
{
    ParticleDescription d;
    d.rate = rate;
    d.life = life;
    d.speed = 100.0f;
    d.startScale = 1.0f;
    d.endScale = 3.0f;
    d.slowDownTime = 1.0f;
    d.x = 50.0f;
    d.y = 60.0f;
    d.gravityY = 10.0;
    return d;
}

void SetKeys(ParticleDescription& d, std::initializer_list<ParticleColorKey> keys)
{
    d.keyCount = static_cast<int32_t>(keys.size());
    int i = 0;
    for (const ParticleColorKey& key : keys) {
        if (i < ParticleDescription::kMaxKeys)
            d.keys[i] = key;
        ++i;
    }
}

TEST_F(TMParticleSystemTest, BadColourKeysAreReportedAndEmitNothing)
{
    struct Case {
        const char* name;
        std::vector<ParticleColorKey> keys;
        int keyCount;
        const char* message; // null: accepted
    };
    const ParticleColorKey start{0.0f, 0, 0, 0, 0};
    const ParticleColorKey end{1.01f, 0, 0, 0, 0};
    const Case kCases[] = {
        {"no keys", {}, 0, nullptr},
        {"one key", {start}, 1, "ERROR: [PS: ] age color count less than 2 !.."},
        {"nine keys", {start, end}, 9, "ERROR: [PS: ] age color count more than 8 !.."},
        {"late first key", {{0.1f, 0, 0, 0, 0}, end}, 2, "ERROR: [PS: ] first color age must be equal to 0!.."},
        {"early last key", {start, {1.0f, 0, 0, 0, 0}}, 2, "ERROR: [PS: ] last color age must be greater than 1!.."},
        {"eight keys", {start, {0.1f}, {0.2f}, {0.3f}, {0.4f}, {0.5f}, {0.6f}, end}, 8, nullptr},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        mLog.clear();
        ParticleDescription d = Burst(10, 1);
        std::copy(c.keys.begin(), c.keys.end(), d.keys);
        d.keyCount = c.keyCount;
        ParticleSystemTable table;
        auto* system = new TMParticleSystem(d, nullptr, &table);
        system->SetEmitting(true);
        system->Update(0.5f);
        if (c.message) {
            EXPECT_TRUE(LogHas(c.message));
            EXPECT_FALSE(system->HasPool());
            EXPECT_TRUE(system->GetParticles().empty());
        } else {
            EXPECT_TRUE(mLog.empty());
            EXPECT_EQ(system->GetParticles().size(), 5u);
        }
        EXPECT_EQ(table.Size(), 1u) << "a refused description still registers its system";
    }
}

TEST_F(TMParticleSystemTest, BirthsFollowTheRateWithBackDatedAges)
{
    ParticleSystemTable table;
    auto* system = new TMParticleSystem(Burst(30, 1), nullptr, &table);
    EXPECT_EQ(system->GetMaxParticles(), 30);
    system->SetEmitting(true);
    system->Update(0.1f);
    const std::vector<Particle*>& live = system->GetParticles();
    ASSERT_EQ(live.size(), 3u);
    EXPECT_FLOAT_EQ(live[0]->age, 0.0f);
    EXPECT_FLOAT_EQ(live[1]->age, 1.0f / 30);
    EXPECT_FLOAT_EQ(live[2]->age, 2.0f / 30);
    for (const Particle* p : live) {
        EXPECT_EQ(p->x, 50.0);
        EXPECT_EQ(p->y, 60.0);
    }

    size_t most = 0;
    for (int i = 0; i < 40; ++i) {
        system->Update(0.1f);
        most = std::max(most, live.size());
    }
    EXPECT_EQ(most, 30u) << "never more than rate x life";

    system->StopEmission();
    const double before = live[0]->y;
    system->Update(0.05f);
    EXPECT_LE(live.size(), 30u);
    EXPECT_NE(live[0]->y, before) << "live particles keep moving";
    for (int i = 0; i < 25; ++i)
        system->Update(0.05f);
    EXPECT_TRUE(live.empty()) << "no particle is added after the emission stops";
}

TEST_F(TMParticleSystemTest, ColourAndScaleFollowTheAge)
{
    ParticleDescription d = Burst(1, 1);
    SetKeys(d, {{0.0f, 255, 255, 255, 0}, {0.1f, 255, 255, 255, 255}, {1.01f, 255, 255, 255, 0}});
    ParticleSystemTable table;
    auto* system = new TMParticleSystem(d, nullptr, &table);
    system->SetEmitting(true);
    system->Update(1.0f); // one particle, age 0
    ASSERT_EQ(system->GetParticles().size(), 1u);
    system->StopEmission();
    const Particle* p = system->GetParticles()[0];

    struct Step {
        float dt;
        int alpha;
        float scale;
    };
    // Fades in over the first tenth of its life, out after it; the scale runs from 1 to 3.
    const Step kSteps[] = {{0.05f, 127, 1.1f}, {0.05f, 255, 1.2f}, {0.4f, 142, 2.0f}, {0.45f, 16, 2.9f}};
    for (const Step& step : kSteps) {
        system->Update(step.dt);
        EXPECT_NEAR(p->color[3], step.alpha, 1);
        EXPECT_NEAR(p->scale, step.scale, 0.001f);
    }

    ParticleSystemTable plainTable;
    auto* plain = new TMParticleSystem(Burst(1, 1), nullptr, &plainTable);
    plain->SetEmitting(true);
    plain->Update(1.0f);
    plain->Update(0.0f);
    EXPECT_EQ(plain->GetParticles()[0]->color[3], 255) << "without keys, opaque white";
}

TEST_F(TMParticleSystemTest, AnEffectTakesItsSystemsAlong)
{
    MakeEngine();
    ParticleSystemTable* table = mApp->GetParticleSystems();
    auto* effect = new TMEffect();
    auto* first = new TMParticleSystem(Burst(10, 1), effect);
    new TMParticleSystem(Burst(10, 1), effect);
    TMEffect other;
    new TMParticleSystem(Burst(10, 1), &other);
    EXPECT_EQ(table->Count(effect), 2u);

    first->SetEmitting(true);
    table->UpdateOwner(effect, 0.5f);
    EXPECT_EQ(first->GetParticles().size(), 5u);
    table->ClearAll();
    EXPECT_TRUE(first->GetParticles().empty());
    EXPECT_FALSE(first->IsEmitting());

    delete effect;
    EXPECT_EQ(table->Count(effect), 0u) << "a new effect at this address inherits nothing";
    EXPECT_EQ(table->Count(&other), 1u);
}

} // namespace
