#include "../../game/world/resources/RecordingRenderer.h"

#include "game/world/geometry/Quad.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "support-game/FakeResourceHost.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#ifndef VORNHAL_DEDICATED
#error "these tests check the dedicated server's compilation"
#endif

// The server keeps textures for their sizes but draws nothing.
TEST(DedicatedResourceManager, ImagesAreNotLoadedButTexturesAre)
{
    RecordingEngine engine;
    FakeTexture tex(32, 32);
    engine.answer = &tex;
    ResourceManager m(nullptr, &engine, nullptr);
    EXPECT_EQ(m.LoadImageA("a.png", true, 1), nullptr);
    EXPECT_EQ(m.LoadImage(u"a.png", true, 1), nullptr);
    EXPECT_EQ(m.LoadTextureA("b.png", true, 2), &tex);
    ASSERT_EQ(engine.loads.size(), 1u);
    EXPECT_EQ(engine.loads[0].path, u"gfx\\b.png");
    EXPECT_EQ(m.LoadSound(u"c.ogg"), nullptr);
}

TEST(DedicatedResourceManager, TileOperationsDoNothing)
{
    RecordingEngine engine;
    RecordingRenderer renderer;
    FakeHost host;
    host.renderer = &renderer;
    FakeTexture sheet(64, 64);
    ResourceManager m(&host, &engine, nullptr);
    ObjectResource* floor = m.CreateObjectResource(ResourceClass::Floor);
    floor->SetGraphics(m.CreateBlockResource(&sheet, 1));
    m.BuildIndex();

    m.DrawTileMasked(0, 0, 0, 0, 0, 0, 1);
    m.DrawTileQuad(0, 0, 0, 0, 0, 0, 0, 0);
    m.DrawTileAt(0, 0, 0, false);
    m.DrawTileTinted(0, 0, 0, 0, 0, 0);
    m.PrepareTileTexture(0, 0);
    Quad q;
    float a[4], b[4], c[4];
    EXPECT_EQ(m.ReadTilePixels(0, 0, &q), nullptr);
    EXPECT_FALSE(m.ReadTilePixelsPart(0, 0, 0, 0, a, b, c));
    EXPECT_TRUE(renderer.calls.empty());
    EXPECT_TRUE(sheet.texCoordRects.empty());

    // Lookups work as in the client.
    EXPECT_EQ(m.GetAt(0), floor);
    EXPECT_EQ(m.GetClassAt(0), ResourceClass::Floor);
}
