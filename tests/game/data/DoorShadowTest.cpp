// A door's leaf casts the sun's shadow as walls do, checked on a frame of
// a default level at noon: darker beyond the leaf, away from the sun.
#include "ScreenRig.h"

#include "game/world/map/World.h"
#include "game/world/objects/Door.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <GL/gl.h>

TEST(DoorShadow, TheLeafCastsTheSunsShadowBeyondIt)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    ScreenRig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    ASSERT_TRUE(rig.renderer->PrepareTextures());
    World world(rig.resources.get());
    GameSystem game(rig.engine.get(), &world, rig.resources.get(), nullptr, nullptr);
    game.SetRenderer(rig.renderer);
    game.InitObjectRenderBuffers();
    ASSERT_TRUE(game.LoadLevel(u"levels/tdm_riotcity.lvl"));
    world.SetLighting(0);
    game.Options().SetRenderLights(true);
    game.Options().SetRenderEnvShadow(true);
    // A door with open ground to its lower right, where the sun's shadow
    // falls, casts alone: every other object is left out.
    auto openGround = [&](Object* o) {
        const int tx = int(o->GetX()) / 32 + 1, ty = int(o->GetY()) / 32 + 1;
        for (int j = ty; j < ty + 4; ++j)
            for (int i = tx; i < tx + 4; ++i)
                if (world.IsInLightBox(i, j) || (world.GetCell(i, j) & World::kWall))
                    return false;
        return true;
    };
    Door* door = nullptr;
    Services().objects->ForEach([&](Object* o) {
        if (!door && o->GetKind() == ObjectKind::Door && openGround(o))
            door = static_cast<Door*>(o);
        else
            o->OnNetStale();
    });
    ASSERT_NE(door, nullptr);
    door->Update(0.0f); // its leaf to where it stands
    game.Camera().x = door->GetX() - 512.0f;
    game.Camera().y = door->GetY() - 384.0f;
    auto brightness = [&](bool objectShadows, int x0, int y0, int size) {
        game.Options().SetRenderObjShadow(objectShadows);
        rig.renderer->BeginScene();
        game.DrawWorld();
        game.DrawLightsAndOverlays();
        rig.renderer->EndScene();
        std::vector<uint8_t> rgb(size_t(size) * size * 3);
        glReadPixels(x0, 767 - (y0 + size - 1), size, size, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        long sum = 0;
        for (uint8_t c : rgb)
            sum += c;
        return sum;
    };
    // The sun stands at the view's top-left corner: the shadow falls to the
    // lower right of the leaf, none to its upper left.
    const long lit = brightness(false, 512, 384, 128), shaded = brightness(true, 512, 384, 128);
    EXPECT_LT(shaded, lit - lit / 50) << shaded << " of " << lit;
    EXPECT_EQ(brightness(true, 384, 256, 120), brightness(false, 384, 256, 120));
}
