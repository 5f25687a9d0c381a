#include "RecordingRenderer.h"

#include "game/world/geometry/Quad.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "support-game/FakeResourceHost.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

namespace {

// Index positions of the fixture's resources.
enum {
    kFloor = 0,     // floor block on sheet row 2, with a bump tile
    kWall = 1,      // wall block on sheet row 1, no bump
    kImage = 2,     // a graphics resource: no block at all
    kTree = 3,      // a block whose main graphics is an image
    kBare = 4,      // a block without main graphics
    kNoSheet = 5,   // a floor whose tile sheet failed to load
    kPastSheet = 6, // a floor whose row lies below the sheet
};

class TileDrawing : public ::testing::Test {
protected:
    TileDrawing() : sheet(128, 96), bumpSheet(128, 96), m(&host, &engine, nullptr)
    {
        host.renderer = &renderer;
        ObjectResource* floor = m.CreateObjectResource(ResourceClass::Floor);
        ObjectResource* wall = m.CreateObjectResource(ResourceClass::Wall);
        GraphicsResource* image = m.CreateGraphicsResource(&sheet, 0, 0, 32, 32);
        ObjectResource* tree = m.CreateObjectResource(ResourceClass::Tree);
        m.CreateObjectResource(ResourceClass::Floor);
        ObjectResource* noSheet = m.CreateObjectResource(ResourceClass::Floor);
        ObjectResource* past = m.CreateObjectResource(ResourceClass::Floor);
        floorTile = m.CreateBlockResource(&sheet, 2);
        bumpTile = m.CreateBlockResource(&bumpSheet, 2);
        wallTile = m.CreateBlockResource(&sheet, 1);
        floor->SetGraphics(floorTile);
        floor->SetWreckedGraphics(bumpTile);
        wall->SetGraphics(wallTile);
        tree->SetGraphics(image);
        noSheet->SetGraphics(m.CreateBlockResource(nullptr, 0));
        past->SetGraphics(m.CreateBlockResource(&sheet, 3));
        m.BuildIndex();
    }

    // Every bad position: out of range, not a block, no tile.
    std::vector<int> BadPositions() const { return {-1, 999, 100000, kImage, kTree, kBare, kNoSheet}; }

    RecordingEngine engine;
    FakeTexture sheet;
    FakeTexture bumpSheet;
    RecordingRenderer renderer;
    FakeHost host;
    ResourceManager m;
    BlockResource* floorTile;
    BlockResource* bumpTile;
    BlockResource* wallTile;
};

} // namespace

TEST_F(TileDrawing, MaskedTileBindsSheetAndBumpThenDrawsLit)
{
    m.DrawTileMasked(kFloor, 10.7f, -3.9f, 3, 0.5f, 0.25f, 2.0f);
    ASSERT_EQ(renderer.calls.size(), 3u);
    EXPECT_EQ(renderer.calls[0].name, "SetTexture");
    EXPECT_EQ(renderer.calls[0].ints[0], 0);
    EXPECT_EQ(renderer.calls[0].pointers[0], &sheet);
    EXPECT_EQ(renderer.calls[1].name, "SetBumpTexture");
    EXPECT_EQ(renderer.calls[1].pointers[0], bumpTile);
    const RecordingRenderer::Call& draw = renderer.calls[2];
    EXPECT_EQ(draw.name, "DrawTileLit");
    EXPECT_EQ(draw.floats, (std::vector<float>{10.0f, -3.0f, 0.5f, 0.25f, 2.0f}));
    EXPECT_EQ(draw.ints, (std::vector<int>{96, 64}));

    renderer.Clear();
    m.DrawTileMasked(kWall, 0, 0, 0, 0, 0, 1);
    ASSERT_EQ(renderer.Named("SetBumpTexture").size(), 1u);
    EXPECT_EQ(renderer.Named("SetBumpTexture")[0].pointers[0], nullptr);
    EXPECT_EQ(renderer.Named("DrawTileLit")[0].ints, (std::vector<int>{0, 32}));
}

TEST_F(TileDrawing, QuadBindsFourSheetsAndPassesFourRows)
{
    m.DrawTileQuad(kFloor, kWall, kWall, kFloor, 64.9f, 32.1f, 2, 5);
    ASSERT_EQ(renderer.calls.size(), 5u);
    for (int unit = 0; unit < 4; ++unit) {
        EXPECT_EQ(renderer.calls[size_t(unit)].name, "SetTexture");
        EXPECT_EQ(renderer.calls[size_t(unit)].ints[0], unit);
        EXPECT_EQ(renderer.calls[size_t(unit)].pointers[0], &sheet);
    }
    const RecordingRenderer::Call& draw = renderer.calls[4];
    EXPECT_EQ(draw.name, "DrawFloorTile");
    EXPECT_EQ(draw.floats, (std::vector<float>{64.0f, 32.0f}));
    EXPECT_EQ(draw.ints, (std::vector<int>{64, 64, 32, 32, 64, 0, 5}));

    renderer.Clear();
    for (int bad : BadPositions()) {
        m.DrawTileQuad(bad, kFloor, kFloor, kFloor, 0, 0, 0, 0);
        m.DrawTileQuad(kFloor, bad, kFloor, kFloor, 0, 0, 0, 0);
        m.DrawTileQuad(kFloor, kFloor, bad, kFloor, 0, 0, 0, 0);
        m.DrawTileQuad(kFloor, kFloor, kFloor, bad, 0, 0, 0, 0);
    }
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(TileDrawing, TileAtDrawsTheBigFormWithoutBinding)
{
    m.DrawTileAt(kWall, 20.5f, 30.2f, true);
    ASSERT_EQ(renderer.calls.size(), 1u);
    const RecordingRenderer::Call& draw = renderer.calls[0];
    EXPECT_EQ(draw.name, "DrawFloorTile");
    EXPECT_EQ(draw.floats, (std::vector<float>{4.0f, 14.0f}));
    EXPECT_EQ(draw.ints, (std::vector<int>{0, 0, 0, 0, 0, 1, 0}));
}

TEST_F(TileDrawing, TintedAndPreparedTilesUseTheSheet)
{
    m.DrawTileTinted(kFloor, -5.5f, 7.9f, 1, 3, -4);
    ASSERT_EQ(renderer.calls.size(), 2u);
    EXPECT_EQ(renderer.calls[0].name, "SetTexture");
    EXPECT_EQ(renderer.calls[0].pointers[0], &sheet);
    EXPECT_EQ(renderer.calls[1].name, "DrawFloorTileDetail");
    EXPECT_EQ(renderer.calls[1].floats, (std::vector<float>{-5.0f, 7.0f}));
    EXPECT_EQ(renderer.calls[1].ints, (std::vector<int>{32, 64, 3, -4}));

    renderer.Clear();
    m.PrepareTileTexture(kWall, 2);
    ASSERT_EQ(renderer.calls.size(), 1u);
    EXPECT_EQ(renderer.calls[0].name, "BindTexture");
    EXPECT_EQ(renderer.calls[0].ints[0], 0);
    EXPECT_EQ(renderer.calls[0].pointers[0], &sheet);
}

TEST_F(TileDrawing, BadPositionsDrawNothing)
{
    for (int bad : BadPositions()) {
        m.DrawTileMasked(bad, 0, 0, 0, 0, 0, 1);
        m.DrawTileAt(bad, 0, 0, false);
        m.DrawTileTinted(bad, 0, 0, 0, 0, 0);
        m.PrepareTileTexture(bad, 0);
    }
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(TileDrawing, NoRendererOrNoIndexDrawsNothing)
{
    ResourceManager fresh(&host, &engine, nullptr);
    ObjectResource* floor = fresh.CreateObjectResource(ResourceClass::Floor);
    floor->SetGraphics(fresh.CreateBlockResource(&sheet, 0));
    fresh.DrawTileMasked(0, 0, 0, 0, 0, 0, 1);
    fresh.DrawTileAt(0, 0, 0, false);
    Quad q;
    EXPECT_EQ(fresh.ReadTilePixels(0, 0, &q), nullptr) << "positions mean the index";
    EXPECT_TRUE(renderer.calls.empty());

    host.renderer = nullptr;
    m.DrawTileMasked(kFloor, 0, 0, 0, 0, 0, 1);
    m.DrawTileQuad(kFloor, kFloor, kFloor, kFloor, 0, 0, 0, 0);
    m.DrawTileTinted(kFloor, 0, 0, 0, 0, 0);
    m.PrepareTileTexture(kFloor, 0);
    m.DrawTileAt(kFloor, 0, 0, false);
    EXPECT_TRUE(renderer.calls.empty());

    ResourceManager noHost(nullptr, &engine, nullptr);
    ObjectResource* f = noHost.CreateObjectResource(ResourceClass::Floor);
    f->SetGraphics(noHost.CreateBlockResource(&sheet, 0));
    noHost.BuildIndex();
    noHost.DrawTileMasked(0, 0, 0, 0, 0, 0, 1);
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(TileDrawing, ReadTilePixelsGivesTheTileRectangle)
{
    Quad q;
    EXPECT_EQ(m.ReadTilePixels(kFloor, 1, &q), &sheet);
    ASSERT_EQ(sheet.texCoordRects.size(), 1u);
    EXPECT_EQ(sheet.texCoordRects[0], (std::vector<int>{32, 64, 64, 96}));
    EXPECT_FLOAT_EQ(q.texLeft, 32.0f / 128.0f);
    EXPECT_FLOAT_EQ(q.texTop, 64.0f / 96.0f);
    EXPECT_FLOAT_EQ(q.texRight, 64.0f / 128.0f);
    EXPECT_FLOAT_EQ(q.texBottom, 1.0f);
    EXPECT_TRUE(renderer.calls.empty()) << "reads need no renderer";

    Quad untouched;
    untouched.texLeft = untouched.texTop = untouched.texRight = untouched.texBottom = -7.0f;
    for (int bad : BadPositions())
        EXPECT_EQ(m.ReadTilePixels(bad, 0, &untouched), nullptr) << bad;
    EXPECT_EQ(m.ReadTilePixels(kPastSheet, 0, &untouched), nullptr) << "row below the sheet";
    EXPECT_EQ(m.ReadTilePixels(kFloor, 0, nullptr), nullptr);
    EXPECT_EQ(untouched.texLeft, -7.0f);
    EXPECT_EQ(untouched.texBottom, -7.0f);
    EXPECT_EQ(sheet.texCoordRects.size(), 1u);
    EXPECT_EQ(sheet.loads, 0) << "no pixels are fetched for coordinates";
}

TEST_F(TileDrawing, ReadTilePixelsPartFillsThreeArrays)
{
    float a[4] = {}, b[4] = {}, c[4] = {};
    EXPECT_TRUE(m.ReadTilePixelsPart(kFloor, kWall, kFloor, 2, a, b, c));
    ASSERT_EQ(sheet.texCoordRects.size(), 3u);
    EXPECT_EQ(sheet.texCoordRects[0], (std::vector<int>{64, 64, 96, 96}));
    EXPECT_EQ(sheet.texCoordRects[1], (std::vector<int>{64, 32, 96, 64}));
    EXPECT_FLOAT_EQ(a[0], 0.5f);
    EXPECT_FLOAT_EQ(a[1], 64.0f / 96.0f);
    EXPECT_FLOAT_EQ(b[1], 32.0f / 96.0f);
    EXPECT_FLOAT_EQ(b[3], 64.0f / 96.0f);
    EXPECT_FLOAT_EQ(c[2], 0.75f);

    float x[4] = {-1, -1, -1, -1};
    std::vector<int> bads = BadPositions();
    bads.push_back(kPastSheet);
    for (int bad : bads) {
        EXPECT_FALSE(m.ReadTilePixelsPart(bad, kWall, kFloor, 0, x, x, x));
        EXPECT_FALSE(m.ReadTilePixelsPart(kWall, bad, kFloor, 0, x, x, x));
        EXPECT_FALSE(m.ReadTilePixelsPart(kWall, kFloor, bad, 0, x, x, x));
    }
    EXPECT_FALSE(m.ReadTilePixelsPart(kWall, kFloor, kFloor, 0, x, nullptr, x));
    EXPECT_EQ(sheet.texCoordRects.size(), 3u) << "a failed check writes nothing";
    EXPECT_EQ(x[0], -1.0f);
}
