// A storm of effects cannot grow memory without bound: timed lights and
// particles stop at their ceilings, and particles that spawn others while
// the system trims stay safe.
#include "game/world/map/Light.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(EffectCeilings, TimedLightsRampAndStopAtTheCeiling)
{
    GameSystem game(nullptr, nullptr, nullptr, nullptr, nullptr);
    ObjectManager& objects = *Services().objects;
    ILight* first = CreateTimedLight(10.0f, 10.0f, 1.0f, 100.0f, 1.0f);
    ASSERT_NE(first, nullptr);
    const float expected[] = {0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 0.0f, 0.2f, 0.4f, 0.6f, 0.8f};
    for (int i = 0; i < 10; ++i) {
        const bool done = first->Update(0.1f);
        EXPECT_NEAR(first->GetPower(), expected[i], 1e-4f) << i;
        if (i < 9) {
            EXPECT_FALSE(done) << i;
        }
    }
    EXPECT_TRUE(first->Update(0.1f));
    delete first;
    EXPECT_EQ(objects.CountLights(), 0);

    int made = 0;
    for (int i = 0; i < 500; ++i)
        made += CreateTimedLight(float(i), 0.0f, 0.5f, 100.0f, 0.8f) != nullptr;
    EXPECT_EQ(made, Light::kMaxTimedLights);
    EXPECT_EQ(objects.CountLights(), Light::kMaxTimedLights);
    // Placed lights are not capped; bad positions make none.
    EXPECT_NE(CreateLight(0.0f, 0.0f), nullptr);
    EXPECT_EQ(CreateLight(std::nanf(""), 0.0f), nullptr);
    EXPECT_EQ(CreateTimedLight(0.0f, 0.0f, std::nanf(""), 1.0f, 1.0f), nullptr);
    game.Update(0.6f);
    EXPECT_EQ(objects.CountLights(), 1);
    EXPECT_EQ(Light::LiveTimedLights(), 0);
    EXPECT_NE(CreateTimedLight(0.0f, 0.0f, 0.5f, 100.0f, 0.8f), nullptr);
    objects.Clear();
    EXPECT_EQ(Light::LiveTimedLights(), 0);
}

TEST(EffectCeilings, ParticlesStopAtTheCeilingAndExpire)
{
    GameSystem game(nullptr, nullptr, nullptr, nullptr, nullptr);
    ParticleSystem& particles = *Services().particles;
    for (int i = 0; i < 3 * ParticleSystem::kMaxParticles; ++i)
        SpawnExplosion(float(i), 0.0f, 3);
    SpawnExplosion(std::nanf(""), 0.0f, 3);
    EXPECT_EQ(particles.Count(), ParticleSystem::kMaxParticles);
    game.Update(1.0f);
    EXPECT_EQ(particles.Count(), ParticleSystem::kMaxParticles) << "small explosions last two seconds";
    game.Update(1.01f);
    EXPECT_EQ(particles.Count(), 0);

    // Every spray leaves a pool on its first update, doubling the list while
    // it is walked; the oldest (the sprays being updated) go only after.
    for (int i = 0; i < ParticleSystem::kMaxParticles; ++i)
        SpawnBlood(float(i), 0.0f, 90.0f);
    game.Update(0.1f);
    EXPECT_EQ(particles.Count(), ParticleSystem::kMaxParticles);
    game.Update(5.0f);
    EXPECT_EQ(particles.Count(), ParticleSystem::kMaxParticles) << "pools stay until the level goes";

    // A smoke cloud blocks sight through it, never below nothing.
    particles.Clear();
    SpawnSmoke(500.0f, 500.0f, 0.0f, 10.0f);
    for (int i = 0; i < 100; ++i)
        game.Update(0.1f);
    EXPECT_LT(particles.GetVisibility(300.0f, 500.0f, 700.0f, 500.0f), 0.5f);
    EXPECT_GE(particles.GetVisibility(300.0f, 500.0f, 700.0f, 500.0f), 0.0f);
    EXPECT_FLOAT_EQ(particles.GetVisibility(0.0f, 3000.0f, 100.0f, 3000.0f), 1.0f);
    EXPECT_TRUE(particles.IsInside(400.0f, 500.0f, 10.0f));
    EXPECT_FALSE(particles.IsInside(400.0f, 900.0f, 10.0f));
}
