// A default level at night with coloured lights, fire, smoke, an explosion
// and debris, saved under <build>/screenshots/effects_night/; the effects
// must brighten the night frame they are drawn into.
#include "ScreenRig.h"

#include "game/world/map/Light.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/objects/WorldEffects.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

TEST(EffectsScreenshot, NightLevelWithLightsFireSmokeExplosionAndDebris)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    ScreenRig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    IRenderer* renderer = rig.renderer;
    ResourceManager& resources = *rig.resources;
    {
        CommonMedia media(rig.engine.get(), &resources);
        media.Load();
        ASSERT_NE(media.explosionLarge, nullptr);
        ASSERT_NE(media.flames[0], nullptr);
        ASSERT_NE(media.smokePuff, nullptr);
        ASSERT_TRUE(renderer->PrepareTextures());
        World world(&resources);
        RecordingClient client;
        GameSystem game(rig.engine.get(), &world, &resources, &media, nullptr);
        game.SetHandlers(nullptr, &client);
        game.SetActiveHandler(&client);
        game.SetRenderer(renderer);
        game.InitObjectRenderBuffers();
        ASSERT_TRUE(game.LoadLevel(u"levels/tdm_riotcity.lvl"));
        world.SetLighting(2);
        const float cx = float(world.GetWidth() * 16), cy = float(world.GetHeight() * 16);
        game.Camera().x = cx - 512.0f;
        game.Camera().y = cy - 384.0f;

        const double plain = ShootWorld(renderer, game, "effects_night_plain");

        const float colours[4][3] = {{1, 0.3f, 0.2f}, {0.2f, 1, 0.3f}, {0.3f, 0.4f, 1}, {1, 0.9f, 0.4f}};
        for (int i = 0; i < 4; ++i) {
            ILight* light = CreateLight(cx - 300.0f + 200.0f * i, cy - 150.0f);
            ASSERT_NE(light, nullptr);
            light->SetColor(colours[i][0], colours[i][1], colours[i][2]);
            light->SetSize(400.0f);
        }
        CreateTimedLight(cx + 200.0f, cy + 100.0f, 1.0f, 500.0f, 2.0f);
        auto* fire = new Fire();
        Services().objects->AddObject(fire);
        fire->Start(cx - 200.0f, cy + 100.0f, 0.0f, 0.0f, 0.0f, 40.0f, 30.0f, 0);
        SpawnFireParticle(cx - 200.0f, cy + 100.0f);
        SpawnSmoke(cx, cy + 150.0f, 0.0f, 40.0f);
        SpawnExplosion(cx + 200.0f, cy + 100.0f, 2);
        auto* debris = new BreakParticle();
        debris->type = 2;
        debris->blastX = cx + 180.0f;
        debris->blastY = cy + 80.0f;
        debris->amount = 50.0f;
        debris->SetPositionAngle(cx + 200.0f, cy + 100.0f, 0.0f);
        Services().objects->AddObject(debris);
        for (int i = 0; i < 15; ++i)
            game.Update(0.02f);
        EXPECT_GT(Services().particles->Count(), 3);
        const double lit = ShootWorld(renderer, game, "effects_night");
        EXPECT_GT(lit, plain + 2.0) << "the lights and flames did not brighten the night";
    }
}
