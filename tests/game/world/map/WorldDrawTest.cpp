// A small level of the shipped blocks drawn whole, by the game (meshes) and
// by the editor (tile by tile), at night under a lamp and at noon with the
// sun's shadows, compared with a golden picture.
#include "MapFixture.h"

#include "engine/core/Engine.h"
#include "engine/core/StringKit.h"
#include "engine/render/IRenderer.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/RecordingRenderer.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/system/GameSystem.h"
#include "support-game/RendererRig.h"
#include "support/DisplayCheck.h"
#include "support/Golden.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kW = 8, kH = 6;

std::vector<uint32_t> ReadRect(int x, int y, int w, int h)
{
    std::vector<uint32_t> bottomUp(size_t(w) * h), topDown(size_t(w) * h);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, 768 - (y + h), w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    for (int r = 0; r < h; ++r)
        std::copy_n(&bottomUp[size_t(h - 1 - r) * w], w, &topDown[size_t(r) * w]);
    return topDown;
}

} // namespace

TEST(WorldDraw, ASmallLevelAtNightAndAtNoonByGameAndEditor)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    RendererRig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open(VORNHAL_BUILD_DIR));
    Engine* engine = rig.engine.get();
    IRenderer* renderer = rig.renderer;
    {
        ResourceManager resources(&rig.host, engine, nullptr);
        {
            ResourceScript blocks(&resources, engine->GetFileManager());
            ASSERT_TRUE(blocks.Load(u"blocks.cfg"));
        }
        resources.BuildIndex();
        // Only the rubble's picture of the shared media.
        CommonMedia media;
        media.fragmentWall = media.textures[23] = engine->LoadTexture(u"gfx/effects/wall_wreck.png", true, 1);
        ASSERT_NE(media.fragmentWall, nullptr);
        ASSERT_TRUE(renderer->PrepareTextures());
        auto block = [&](int id) {
            const int i = resources.GetIndexOfId(id);
            EXPECT_GE(i, 0) << "no block " << id;
            return i;
        };
        const int snow = block(8), dirt = block(2), wood = block(4), brick = block(51), concrete = block(52);

        World world(&resources);
        GameSystem game(engine, &world, &resources, &media, nullptr);
        game.SetRenderer(renderer);
        game.InitObjectRenderBuffers();
        world.Resize(kW, kH, 0, 0, 0, 0, -1, -1);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                world.SetTileVariant(x, y, snow, (x * 3 + y) % 4);
        for (int y = 4; y < 6; ++y)
            for (int x = 0; x < 2; ++x)
                world.SetTileVariant(x, y, dirt, x + y);
        world.SetTileVariant(3, 5, wood, 1);
        // Brick worn through its three pictures, one destroyed to rubble and
        // one behind a window; a concrete column beside them.
        const int damage[] = {0, 85, 170, 255, 0};
        for (int i = 0; i < 5; ++i) {
            world.SetTileVariant(1 + i, 2, brick, 0);
            uint32_t cell = (world.GetCell(1 + i, 2) & World::kStoredMask) | uint32_t(damage[i]) << World::kDamageShift;
            if (damage[i] == 255)
                cell |= World::kRubble;
            if (i == 4)
                cell |= World::kWindow;
            world.SetCell(1 + i, 2, cell);
        }
        for (int y = 1; y < 4; ++y)
            world.SetTileVariant(6, y, concrete, 0);
        auto* box = new World::LightBox(128, 128, 224, 192);
        box->SetColor(1.0f, 0.6f, 0.2f);
        box->SetBrightness(0.9f);
        world.AddLightBox(box);
        world.SetLightBoxBits(box);
        ILight* lamp = CreateLight(60.0f, 120.0f);
        lamp->SetSize(400.0f);
        lamp->SetColor(0.9f, 0.9f, 1.0f);
        lamp->SetPower(0.5f);
        game.Options().SetRenderLights(true);
        game.Options().SetRenderObjShadow(true);

        auto frame = [&](int lighting) {
            world.SetLighting(lighting);
            game.Options().SetRenderEnvShadow(lighting == 0);
            renderer->BeginScene();
            game.DrawWorld();
            game.DrawLightsAndOverlays();
            renderer->EndScene();
            std::vector<uint32_t> px = ReadRect(0, 0, kW * 32, kH * 32);
            renderer->Present();
            return px;
        };
        // Night beside noon.
        auto both = [&]() {
            std::vector<uint32_t> night = frame(2), noon = frame(0), px;
            for (int y = 0; y < kH * 32; ++y) {
                px.insert(px.end(), night.begin() + y * kW * 32, night.begin() + (y + 1) * kW * 32);
                px.insert(px.end(), noon.begin() + y * kW * 32, noon.begin() + (y + 1) * kW * 32);
            }
            return px;
        };
        world.BuildMeshes(true);
        ASSERT_TRUE(world.HasMeshes());
        std::vector<uint32_t> px = both();
        world.BuildMeshes(false);
        std::vector<uint32_t> editor = both();
        px.insert(px.end(), editor.begin(), editor.end());
        TestSupport::ExpectMatchesGolden("game/world/map/golden", "world_draw", px, kW * 64, kH * 64);
    }
}

// A lamp on a lone wall's top-left corner: the bottom and right sides cast
// shadows; the top edge starts at the lamp and casts none.
TEST(WorldDraw, AnEdgeStartingAtTheLightCastsNoShadow)
{
    MapFixture map;
    RecordingRenderer recording;
    map.world->SetRenderer(&recording);
    map.Wall(10, 7); // top y 224 and bottom y 255 from x 319; right x 351
    map.world->DrawWallShadows(319, 224, 256);
    std::vector<RecordingRenderer::Call> quads = recording.Named("DrawQuadShape");
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[0].floats[1], 255.0f);
    EXPECT_EQ(quads[1].floats[0], 351.0f);
}
