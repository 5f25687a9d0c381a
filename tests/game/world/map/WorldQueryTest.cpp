#include "MapFixture.h"

#include "game/world/phys/PhysicsEngine.h"

#include <cmath>
#include <limits>
#include <set>

TEST(WorldSight, LineVisibilityCases)
{
    MapFixture map;
    World& w = *map.world;
    EXPECT_FLOAT_EQ(w.GetLineVisibility(10, 10, 400, 300), 1.0f) << "open ground";
    EXPECT_FLOAT_EQ(w.GetLineVisibility(10, 10, 10, 10), -1.0f);

    map.Wall(5, 5); // box 159..193 on both axes
    EXPECT_FLOAT_EQ(w.GetLineVisibility(176, 100, 176, 260), 0.0f) << "through the wall, top to bottom";
    EXPECT_FLOAT_EQ(w.GetLineVisibility(10, 176, 300, 176), 0.0f) << "from the leftmost column";
    // Cuts off the top-left corner (159, 159), which lies 8 px from the line.
    const float c = 318.0f + 8.0f * std::sqrt(2.0f);
    EXPECT_NEAR(w.GetLineVisibility(100, c - 100, c - 100, 100), 0.5f, 0.01f);
    // Starting inside the wall's box does not block on that wall.
    EXPECT_FLOAT_EQ(w.GetLineVisibility(176, 176, 400, 176), 1.0f);
    // The same corner with a wall beside it: the line may not pass.
    map.Wall(4, 5);
    EXPECT_FLOAT_EQ(w.GetLineVisibility(100, c - 100, c - 100, 100), 0.0f);
    // Cuts off the bottom side 3 px deep at the bottom-left corner (319, 353);
    // the wall up and to the left is no neighbour of that side.
    map.Wall(10, 10);
    map.Wall(9, 9);
    EXPECT_NEAR(w.GetLineVisibility(257, 344, 381, 356), 1.0f - 2.99f / 16.0f, 0.01f);

    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    EXPECT_FLOAT_EQ(w.GetLineVisibility(nan, 0, 100, 100), 0.0f);
    EXPECT_FLOAT_EQ(w.GetLineVisibility(0, 0, inf, 100), 0.0f);
    EXPECT_FLOAT_EQ(w.GetLineVisibility(-1e30f, 5, 1e30f, 5), 1.0f) << "far outside the grid is open";
}

TEST(WorldSight, CastRayHitsTheNearestWallSide)
{
    MapFixture map;
    World& w = *map.world;
    map.Wall(5, 5);
    map.Wall(8, 5);
    float hx = 0, hy = 0;
    int tx = -1, ty = -1, side = 0;
    EXPECT_FLOAT_EQ(w.CastRay(&hx, &hy, 100, 176, 400, 176, &tx, &ty, &side), 59.0f);
    EXPECT_EQ(tx, 5);
    EXPECT_EQ(ty, 5);
    EXPECT_EQ(side, 4);
    EXPECT_FLOAT_EQ(hx, 159.0f);
    EXPECT_FLOAT_EQ(w.CastRay(nullptr, nullptr, 176, 300, 176, 100, nullptr, nullptr, &side), 107.0f);
    EXPECT_EQ(side, 3);
    EXPECT_FLOAT_EQ(w.CastRay(&hx, &hy, 400, 176, 100, 176, &tx, nullptr, &side), 400.0f - 289.0f) << "from the right";
    EXPECT_EQ(tx, 8);
    EXPECT_EQ(side, 2);
    EXPECT_FLOAT_EQ(w.CastRay(nullptr, nullptr, 100, 100, 140, 100, nullptr, nullptr, nullptr), -1.0f);
    // Destroyed and window-covered walls let rays through.
    map.Wall(5, 5, 255);
    w.SetCell(8, 5, w.GetCell(8, 5) | World::kWindow);
    EXPECT_FLOAT_EQ(w.CastRay(nullptr, nullptr, 100, 176, 400, 176, nullptr, nullptr, nullptr), -1.0f);
    EXPECT_FALSE(w.IsSolidWallAt(5, 5));
    EXPECT_TRUE(w.IsSolidWallAt(-1, 0)) << "outside the grid is solid";
    EXPECT_FLOAT_EQ(w.CastRay(nullptr, nullptr, std::nanf(""), 0, 10, 10, nullptr, nullptr, nullptr), -1.0f);
}

TEST(WorldEdit, PaintFillAndOutline)
{
    MapFixture map(8, 8);
    World& w = *map.world;
    std::set<uint32_t> variants;
    for (int i = 0; i < 64; ++i) {
        w.SetTile(1, 1, MapFixture::kGrass);
        variants.insert(w.GetCell(1, 1) & World::kVariantMask);
    }
    EXPECT_GT(variants.size(), 1u) << "floor variants are drawn at random";
    w.SetTile(2, 2, MapFixture::kBrick);
    EXPECT_EQ(w.GetCell(2, 2), uint32_t(MapFixture::kBrick) | World::kWall);

    // Filling with the block a region already holds changes nothing.
    MapFixture same(8, 8);
    same.world->FillRegion(3, 3, MapFixture::kGrass);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(same.world->GetCell(i % 8, i / 8), uint32_t(MapFixture::kGrass));

    // From the bottom row an outline and a fill reach the top one: the
    // cells beside a pool there are its border, and the corner is filled.
    MapFixture open(8, 8);
    World& o = *open.world;
    o.SetTileVariant(4, 0, MapFixture::kWater, 0);
    o.PaintRegionOutline(3, 7, MapFixture::kStone);
    EXPECT_EQ(std::vector<int>({o.GetBlockAt(3, 0), o.GetBlockAt(5, 0), o.GetBlockAt(4, 1), o.GetBlockAt(0, 7)}),
              std::vector<int>({MapFixture::kStone, MapFixture::kStone, MapFixture::kStone, MapFixture::kGrass}));
    o.FillRegion(3, 7, MapFixture::kWater);
    EXPECT_EQ(o.GetBlockAt(0, 0), MapFixture::kWater);

    // Outlining a uniform grid changes nothing; a lone cell is its own border.
    same.world->PaintRegionOutline(0, 0, MapFixture::kStone);
    EXPECT_EQ(same.world->GetBlockAt(0, 0), MapFixture::kGrass);
    EXPECT_EQ(same.world->GetBlockAt(4, 4), MapFixture::kGrass);
    map.Wall(6, 6, 90);
    w.SetTileVariant(4, 4, MapFixture::kWater, 1);
    w.PaintRegionOutline(4, 4, MapFixture::kStone);
    EXPECT_EQ(w.GetBlockAt(4, 4), MapFixture::kStone);
    EXPECT_EQ(w.GetBlockAt(4, 5), MapFixture::kGrass);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(w.GetDamage(i % 8, i / 8), 0) << "scratch bits and damage are cleared";
}

TEST(WorldEdit, FillOfAHugeMazeNeedsNoDeepStack)
{
    MapFixture map(1024, 1024);
    World& w = *map.world;
    // A serpentine corridor: wall rows with a gap at alternating ends.
    for (int y = 1; y < 1024; y += 2)
        for (int x = 0; x < 1024; ++x)
            if (x != ((y / 2) % 2 ? 0 : 1023))
                w.SetTileVariant(x, y, MapFixture::kBrick, 0);
    w.FillRegion(0, 0, MapFixture::kWater);
    EXPECT_EQ(w.GetBlockAt(1023, 1022), MapFixture::kWater);
    EXPECT_EQ(w.GetBlockAt(0, 1023), MapFixture::kWater) << "the last gap";
    EXPECT_EQ(w.GetBlockAt(5, 1), MapFixture::kBrick);
}

TEST(WorldQueries, WaterAmbientAndNegativePixels)
{
    MapFixture map(4, 4);
    World& w = *map.world;
    w.SetTile(0, 0, MapFixture::kWater);
    float depth = 0;
    EXPECT_TRUE(w.GetWaterAt(-31, -1, &depth)) << "truncation toward zero gives tile 0";
    EXPECT_FLOAT_EQ(depth, 0.6f);
    EXPECT_FALSE(w.GetWaterAt(40, 0, &depth));
    EXPECT_FALSE(w.GetWaterAt(-32, 0, &depth));

    w.SetLighting(2);
    auto* first = new World::LightBox(0, 0, 64, 64);
    first->SetColor(1.0f, 0.5f, 2.0f);
    first->SetBrightness(0.8f);
    w.AddLightBox(first);
    auto* second = new World::LightBox(32, 32, 100, 100);
    w.AddLightBox(second);
    w.SetLightBoxBits(second);
    EXPECT_TRUE(w.GetCell(3, 3) & World::kInLightBox) << "the level's last column and row";
    float r, g, b;
    w.GetFloorTintAt(40, 40, &r, &g, &b);
    EXPECT_FLOAT_EQ(r, 0.4f);
    EXPECT_FLOAT_EQ(g, 0.2f);
    EXPECT_FLOAT_EQ(b, 0.4f) << "colour clamped to 1, first box wins, halved at night";
    // Outside the boxes the night is the ambient pass's alone.
    w.GetFloorTintAt(110, 110, &r, &g, &b);
    EXPECT_FLOAT_EQ(r, 1.0f);
    EXPECT_FLOAT_EQ(b, 1.0f);
}

TEST(WorldBlast, DamageReachesOnlyOpenWallsAndDestroysBodies)
{
    MapFixture map(16, 16);
    World& w = *map.world;
    map.Wall(5, 5); // centre (176, 176)
    map.Wall(6, 5); // behind (5, 5) seen from the left
    map.Wall(5, 8); // far away
    EXPECT_TRUE(w.BuildWallBodies()) << "without a physics engine there is nothing to build";
    EXPECT_EQ(w.GetWallBodyCount(), 0);
    PhysEng::PhysicsEngine physics;
    w.SetPhysics(&physics, nullptr);
    ASSERT_TRUE(w.BuildWallBodies());
    ASSERT_EQ(w.GetWallBodyCount(), 3);
    ASSERT_EQ(physics.GetBodyCount(), 3);

    // Radius 10 still reaches 32 px: the centre of (5, 5) is 26 px away.
    w.ApplyBlastDamage(150, 176, 400, 10);
    EXPECT_EQ(w.GetDamage(5, 5), int(400 * 0.25f * (1.0f - 26.0f / 32.0f)));
    EXPECT_EQ(w.GetDamage(6, 5), 0) << "hidden behind the first wall";
    EXPECT_EQ(w.GetDamage(5, 8), 0);

    w.ApplyBlastDamage(150, 176, 1e9f, 40);
    EXPECT_EQ(w.GetDamage(5, 5), 255);
    EXPECT_EQ(w.GetWallBodyCount(), 2);
    EXPECT_EQ(physics.GetBodyCount(), 2);
    EXPECT_FALSE(w.IsSolidWallAt(5, 5));

    const uint32_t before = w.GetCell(6, 5);
    w.ApplyBlastDamage(std::nanf(""), 176, 400, 100);
    w.ApplyBlastDamage(150, 176, std::numeric_limits<float>::infinity(), 100);
    w.ApplyBlastDamage(-3e38f, 3e38f, 400, 3e38f);
    EXPECT_EQ(w.GetCell(6, 5), before) << "blasts that are not finite are ignored";
    physics.Clear(); // the wall bodies are the physics engine's
}
