// Each default level as the renderer draws it at noon and at night, read
// from "game.data" and saved by the renderer's own screenshot operation
// under <build>/screenshots/<level>_<time>/ for anyone to look at.
#include "ScreenRig.h"

#include "game/world/map/World.h"
#include "game/world/system/GameSystem.h"

TEST(LevelScreenshots, EveryDefaultLevelAtNoonAndAtNight)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    ScreenRig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    IRenderer* renderer = rig.renderer;
    ResourceManager& resources = *rig.resources;
    {
        ASSERT_TRUE(renderer->PrepareTextures());
        World world(&resources);
        GameSystem game(rig.engine.get(), &world, &resources, nullptr, nullptr);
        game.SetRenderer(renderer);
        game.InitObjectRenderBuffers();
        for (const char* level : {"tdm_riotcity", "ctf_harbour", "koh_quarry"}) {
            const std::u16string path = u"levels/" + Util::Widen(level) + u".lvl";
            ASSERT_TRUE(game.LoadLevel(path.c_str())) << level;
            // The view over the middle of the map.
            game.Camera().x = float(world.GetWidth() * 16 - 512);
            game.Camera().y = float(world.GetHeight() * 16 - 384);
            double brightness[2] = {0, 0};
            for (int lighting : {0, 2}) {
                world.SetLighting(lighting);
                brightness[lighting / 2] =
                    ShootWorld(renderer, game, std::string(level) + (lighting == 0 ? "_noon" : "_night"));
            }
            EXPECT_GT(brightness[0], 20.0) << level << ": the map shows at noon";
            EXPECT_LT(brightness[1], brightness[0]) << level << ": night is darker than noon";
        }
    }
}
