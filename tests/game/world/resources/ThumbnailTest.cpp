#include "game/world/resources/BlockResource.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ResourceClass.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr int kSize = 64;

bool RowBlank(const uint32_t* t, int y)
{
    for (int x = 0; x < kSize; ++x)
        if (t[y * kSize + x] != 0)
            return false;
    return true;
}

bool ColumnBlank(const uint32_t* t, int x)
{
    for (int y = 0; y < kSize; ++y)
        if (t[y * kSize + x] != 0)
            return false;
    return true;
}

} // namespace

TEST(GraphicsThumbnail, WidePictureIsCentredWithBlankBandsAboveAndBelow)
{
    FakeTexture tex(200, 100);
    GraphicsResource g(nullptr, &tex, 10, 20, 110, 70); // 100 x 50
    const uint32_t* t = g.CreateThumbnail();
    ASSERT_NE(t, nullptr);
    for (int y = 0; y < 16; ++y)
        EXPECT_TRUE(RowBlank(t, y)) << "row " << y;
    for (int y = 48; y < 64; ++y)
        EXPECT_TRUE(RowBlank(t, y)) << "row " << y;
    for (int y = 16; y < 48; ++y)
        for (int x = 0; x < kSize; ++x)
            ASSERT_NE(t[y * kSize + x], 0u) << x << "," << y;

    // Steps 99/64 and 49/32 are exact: column j samples floor(j * 1.546875),
    // row i floor(i * 1.53125), both from the rectangle's corner.
    EXPECT_EQ(t[16 * kSize + 0], FakeTexture::PixelAt(10, 20));
    EXPECT_EQ(t[16 * kSize + 1], FakeTexture::PixelAt(11, 20));
    EXPECT_EQ(t[17 * kSize + 2], FakeTexture::PixelAt(13, 21));
    EXPECT_EQ(t[47 * kSize + 63], FakeTexture::PixelAt(107, 67));

    EXPECT_EQ(tex.loads, 1);
    EXPECT_EQ(tex.frees, 1);
    ASSERT_EQ(tex.loadRects.size(), 1u);
    EXPECT_EQ(tex.loadRects[0], (std::vector<int>{10, 20, 110, 70}));
}

TEST(GraphicsThumbnail, TallPictureGetsBlankColumns)
{
    FakeTexture tex(50, 100);
    GraphicsResource g(nullptr, &tex, 0, 0, 50, 100);
    const uint32_t* t = g.CreateThumbnail();
    ASSERT_NE(t, nullptr);
    for (int x = 0; x < 16; ++x)
        EXPECT_TRUE(ColumnBlank(t, x)) << x;
    for (int x = 48; x < 64; ++x)
        EXPECT_TRUE(ColumnBlank(t, x)) << x;
    EXPECT_EQ(t[0 * kSize + 16], FakeTexture::PixelAt(0, 0));
    EXPECT_EQ(tex.frees, tex.loads);
}

TEST(GraphicsThumbnail, OddScaledSizeStaysInsideTheRectangle)
{
    // 128 x 66 scales to 64 x 33: the truncated margin draws 34 rows.
    FakeTexture tex(128, 66);
    GraphicsResource g(nullptr, &tex, 0, 0, 128, 66);
    const uint32_t* t = g.CreateThumbnail();
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(RowBlank(t, 14));
    EXPECT_FALSE(RowBlank(t, 15));
    EXPECT_FALSE(RowBlank(t, 48));
    EXPECT_TRUE(RowBlank(t, 49));
    for (int y = 15; y < 49; ++y)
        for (int x = 0; x < kSize; ++x) {
            const uint32_t p = t[y * kSize + x];
            ASSERT_LT(FakeTexture::XOf(p), 128);
            ASSERT_LT(FakeTexture::YOf(p), 66);
        }
}

TEST(GraphicsThumbnail, WithoutTextureEveryPixelIsGrey)
{
    GraphicsResource g(nullptr, nullptr, 0, 0, 100, 50);
    const uint32_t* t = g.CreateThumbnail();
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < kSize * kSize; ++i)
        ASSERT_EQ(t[i], 0x80808080u) << i;
}

TEST(GraphicsThumbnail, FailedFetchGivesNullAndReleasesThePixels)
{
    FakeTexture tex(100, 100);
    tex.failLoads = true;
    GraphicsResource g(nullptr, &tex, 0, 0, 100, 50);
    EXPECT_EQ(g.CreateThumbnail(), nullptr);
    EXPECT_EQ(tex.loads, 1);
    EXPECT_EQ(tex.frees, 1);
}

TEST(GraphicsThumbnail, DegenerateRectanglesDrawNothing)
{
    FakeTexture tex(100, 100);
    const int rects[][4] = {{0, 0, 100, 0}, {0, 0, 0, 0}, {50, 50, 10, 60}, {0, 0, 1000, 10}, {0, 0, 1, 100}};
    for (const auto& r : rects) {
        GraphicsResource g(nullptr, &tex, r[0], r[1], r[2], r[3]);
        const uint32_t* t = g.CreateThumbnail();
        if (!t)
            continue;
        for (int y = 0; y < kSize; ++y) {
            // A one-pixel-wide picture scales to width 1 or 0; anything drawn
            // must come from inside the rectangle.
            for (int x = 0; x < kSize; ++x) {
                const uint32_t p = t[y * kSize + x];
                if (p == 0)
                    continue;
                ASSERT_GE(FakeTexture::XOf(p), r[0]);
                ASSERT_LT(FakeTexture::XOf(p), r[2]);
                ASSERT_LT(FakeTexture::YOf(p), r[3]);
            }
        }
    }
    EXPECT_EQ(tex.frees, tex.loads);
}

TEST(GraphicsThumbnail, RebuiltAtEveryCallAndFreed)
{
    FakeTexture tex(32, 32);
    GraphicsResource g(nullptr, &tex, 0, 0, 32, 32);
    ASSERT_NE(g.CreateThumbnail(), nullptr);
    const uint32_t* t = g.CreateThumbnail();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t[0], FakeTexture::PixelAt(0, 0));
    EXPECT_EQ(tex.loads, 2);
    EXPECT_EQ(tex.frees, 2);
    g.FreeThumbnail();
}

TEST(BlockThumbnail, SamplesTheFirstTileOfItsRow)
{
    FakeTexture sheet(128, 96);
    BlockResource b(nullptr, &sheet, 1);
    const uint32_t* t = b.CreateThumbnail();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(sheet.loadRects.size(), 1u);
    EXPECT_EQ(sheet.loadRects[0], (std::vector<int>{0, 32, 32, 64}));
    EXPECT_EQ(sheet.frees, 1);
    // Source n * 31 / 64, truncated.
    EXPECT_EQ(t[0], FakeTexture::PixelAt(0, 32));
    EXPECT_EQ(t[2 * kSize + 2], FakeTexture::PixelAt(0, 32));
    EXPECT_EQ(t[3 * kSize + 3], FakeTexture::PixelAt(1, 33));
    EXPECT_EQ(t[10 * kSize + 33], FakeTexture::PixelAt(15, 32 + 4));
    EXPECT_EQ(t[63 * kSize + 63], FakeTexture::PixelAt(30, 62));
    for (int i = 0; i < kSize * kSize; ++i) {
        ASSERT_LE(FakeTexture::XOf(t[i]), 30);
        ASSERT_LE(FakeTexture::YOf(t[i]), 62);
        ASSERT_GE(FakeTexture::YOf(t[i]), 32);
    }
}

TEST(BlockThumbnail, RowOutsideTheSheetFetchesNothing)
{
    FakeTexture sheet(128, 96);
    BlockResource past(nullptr, &sheet, 3);
    BlockResource negative(nullptr, &sheet, -1);
    BlockResource huge(nullptr, &sheet, 0x7fffffff);
    EXPECT_EQ(past.CreateThumbnail(), nullptr);
    EXPECT_EQ(negative.CreateThumbnail(), nullptr);
    EXPECT_EQ(huge.CreateThumbnail(), nullptr);
    EXPECT_EQ(sheet.loads, 0);

    BlockResource last(nullptr, &sheet, 2);
    EXPECT_NE(last.CreateThumbnail(), nullptr);
    EXPECT_EQ(sheet.frees, sheet.loads);
}

TEST(BlockThumbnail, MissingSheetOrFailedFetchGivesNull)
{
    BlockResource none(nullptr, nullptr, 0);
    EXPECT_EQ(none.CreateThumbnail(), nullptr);

    FakeTexture sheet(32, 32);
    sheet.failLoads = true;
    BlockResource b(nullptr, &sheet, 0);
    EXPECT_EQ(b.CreateThumbnail(), nullptr);
    EXPECT_EQ(sheet.loads, 1);
    EXPECT_EQ(sheet.frees, 1);
}

TEST(ObjectThumbnail, ShowsItsMainGraphics)
{
    FakeTexture sheet(32, 64);
    BlockResource tile(nullptr, &sheet, 1);
    ObjectResource floor(nullptr, ResourceClass::Floor);
    EXPECT_EQ(floor.CreateThumbnail(), nullptr);
    floor.SetGraphics(&tile);
    const uint32_t* t = floor.CreateThumbnail();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t[0], FakeTexture::PixelAt(0, 32));
    floor.FreeThumbnail();
}
