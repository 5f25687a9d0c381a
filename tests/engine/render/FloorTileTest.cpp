#include "DrawTestSupport.h"

#include "engine/render/GlFunctions.h"

#include <GL/gl.h>
#include <GL/glext.h>

using namespace DrawTest;

namespace {

using FloorDrawing = DrawFixture;

// Fills the w x h rectangle at (x, y) of a picture of the given width.
void Fill(std::vector<uint32_t>& pixels, int width, int x, int y, int w, int h, uint32_t colour)
{
    for (int row = y; row < y + h; ++row)
        for (int col = x; col < x + w; ++col)
            pixels[size_t(row) * width + col] = colour;
}

// 64 x 128 in 32-pixel regions: column 0 red, green, blue, yellow from the
// top; column 1 cyan, white, then grey twice.
std::vector<uint32_t> FloorSheet()
{
    std::vector<uint32_t> p(64 * 128);
    const uint32_t column0[4] = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255), Rgb(255, 255, 0)};
    const uint32_t column1[4] = {Rgb(0, 255, 255), Rgb(255, 255, 255), Rgb(128, 128, 128), Rgb(128, 128, 128)};
    for (int r = 0; r < 4; ++r) {
        Fill(p, 64, 0, r * 32, 32, 32, column0[r]);
        Fill(p, 64, 32, r * 32, 32, 32, column1[r]);
    }
    return p;
}

void ExpectColour(const std::vector<uint32_t>& px, int x, int y, int r, int g, int b, int tolerance = 2)
{
    const uint32_t p = PixelAt(px, 1024, x, y);
    EXPECT_NEAR(Red(p), r, tolerance) << "at (" << x << ", " << y << ")";
    EXPECT_NEAR(Green(p), g, tolerance) << "at (" << x << ", " << y << ")";
    EXPECT_NEAR(Blue(p), b, tolerance) << "at (" << x << ", " << y << ")";
}

GLint UnitEnv(int unit, GLenum what)
{
    g_gl.ActiveTexture(GL_TEXTURE0 + unit);
    GLint v = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, what, &v);
    g_gl.ActiveTexture(GL_TEXTURE0);
    return v;
}

GLint UnitParam(int unit, GLenum what)
{
    g_gl.ActiveTexture(GL_TEXTURE0 + unit);
    GLint v = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, what, &v);
    g_gl.ActiveTexture(GL_TEXTURE0);
    return v;
}

bool UnitEnabled(int unit)
{
    g_gl.ActiveTexture(GL_TEXTURE0 + unit);
    const bool on = glIsEnabled(GL_TEXTURE_2D);
    g_gl.ActiveTexture(GL_TEXTURE0);
    return on;
}

} // namespace

// 32-pixel tiles in the blended ambient program: the base layer at the
// top-left corner, the layer below-right at the bottom-right one, and the
// right and lower layers at their corners only when the flags ask for them.
TEST_F(FloorDrawing, SmallTilesBlendTheirLayersByTheCornerFlags)
{
    Texture_SDL* sheet = MakeTexture("sheet.png", 64, 128, FloorSheet());
    for (int unit = 0; unit < 4; ++unit)
        renderer_->SetTexture(unit, sheet);
    renderer_->SetViewScale(0.25f); // tiles of 128 window pixels
    renderer_->BeginAmbientPass(1, 1, 1, 0, false);
    for (int flags = 0; flags < 4; ++flags)
        renderer_->DrawFloorTile(25.0f + 50 * flags, 25, 0, 0, 32, 64, 96, false, flags);
    renderer_->EndAmbientPass();
    const std::vector<uint32_t> px = Read();
    for (int flags = 0; flags < 4; ++flags) {
        SCOPED_TRACE(testing::Message() << "flags " << flags);
        const int x0 = 100 + 200 * flags, y0 = 100;
        const uint32_t topLeft = PixelAt(px, 1024, x0 + 4, y0 + 4);
        const uint32_t topRight = PixelAt(px, 1024, x0 + 123, y0 + 4);
        const uint32_t bottomLeft = PixelAt(px, 1024, x0 + 4, y0 + 123);
        const uint32_t bottomRight = PixelAt(px, 1024, x0 + 123, y0 + 123);
        EXPECT_GT(Red(topLeft), 220);
        EXPECT_LT(Green(topLeft) + Blue(topLeft), 40);
        if (flags & 1) { // the right layer (green) reaches the top-right corner
            EXPECT_GT(Green(topRight), 200);
            EXPECT_LT(Red(topRight), 60);
        } else {
            EXPECT_GT(Red(topRight), 200);
            EXPECT_LT(Green(topRight), 60);
        }
        if (flags & 2) { // the lower layer (blue) reaches the bottom-left corner
            EXPECT_GT(Blue(bottomLeft), 200);
            EXPECT_LT(Red(bottomLeft), 60);
        } else {
            EXPECT_GT(Red(bottomLeft), 200);
            EXPECT_LT(Blue(bottomLeft), 60);
        }
        EXPECT_GT(Red(bottomRight), 200); // the lower-right layer: yellow
        EXPECT_GT(Green(bottomRight), 200);
        EXPECT_LT(Blue(bottomRight), 60);
        ExpectColour(px, x0 - 2, y0 + 60, 0, 0, 0);   // nothing left of the tile
        ExpectColour(px, x0 + 130, y0 + 60, 0, 0, 0); // nor right of it
    }
    ExpectMatchesGolden("floor_tiles_layers", px, 1024, 768);
}

// The 64-pixel form: one 64 x 64 region of the unit-0 sheet, no layers,
// corners divided by the view scale.
TEST_F(FloorDrawing, BigTilesShowSixtyFourPixelsOfTheSheetAtTheViewScale)
{
    Texture_SDL* sheet = MakeTexture("sheet.png", 64, 128, FloorSheet());
    renderer_->SetTexture(0, sheet);
    renderer_->SetViewScale(0.5f);
    renderer_->BeginAmbientPass(1, 1, 1, 0, true);
    renderer_->DrawFloorTile(100, 150, 0, 0, 32, 64, 96, true, 3); // window (200, 300) to (328, 428)
    renderer_->DrawFloorTile(200, 150, 0, 64, 0, 0, 0, true, 0);   // window (400, 300) to (528, 428)
    renderer_->EndAmbientPass();
    const std::vector<uint32_t> px = Read();
    ExpectColour(px, 232, 332, 255, 0, 0);
    ExpectColour(px, 296, 332, 0, 255, 255);
    ExpectColour(px, 232, 396, 0, 255, 0);
    ExpectColour(px, 296, 396, 255, 255, 255);
    ExpectColour(px, 432, 332, 0, 0, 255);
    ExpectColour(px, 496, 332, 128, 128, 128);
    ExpectColour(px, 432, 396, 255, 255, 0);
    ExpectColour(px, 496, 396, 128, 128, 128);
    ExpectColour(px, 198, 332, 0, 0, 0);
    ExpectColour(px, 330, 332, 0, 0, 0);
    ExpectColour(px, 232, 298, 0, 0, 0);
    ExpectColour(px, 232, 430, 0, 0, 0);
    ExpectMatchesGolden("floor_tiles_big", px, 1024, 768);
}

// Floor blending draws front to back: where a tile was drawn, destination
// alpha is 1 and a later tile leaves the pixel as it was.
TEST_F(FloorDrawing, FloorBlendKeepsTheTileDrawnFirst)
{
    Texture_SDL* sheet = MakeTexture("sheet.png", 64, 128, FloorSheet());
    renderer_->FillAlphaRect(0, 0, 1024, 768, 0);
    renderer_->SetTexture(0, sheet);
    renderer_->SetViewScale(0.5f);
    renderer_->BeginFloorBlend(false);
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    glGetIntegerv(GL_BLEND_DST_RGB, &dst);
    EXPECT_EQ(src, GL_ONE_MINUS_DST_ALPHA);
    EXPECT_EQ(dst, GL_DST_ALPHA);
    renderer_->DrawFloorTile(100, 150, 0, 0, 0, 0, 0, true, 0);  // window (200, 300) to (328, 428)
    renderer_->DrawFloorTile(132, 182, 0, 64, 0, 0, 0, true, 0); // window (264, 364) to (392, 492)
    renderer_->EndFloorBlend();
    EXPECT_FALSE(UnitEnabled(1));
    const std::vector<uint32_t> px = Read();
    ExpectColour(px, 232, 332, 255, 0, 0);
    ExpectColour(px, 296, 396, 255, 255, 255); // the first tile's white, not the second's blue
    ExpectColour(px, 360, 396, 128, 128, 128);
    ExpectColour(px, 296, 460, 255, 255, 0);
    ExpectColour(px, 360, 460, 128, 128, 128);
    EXPECT_EQ(PixelAt(px, 1024, 232, 332) >> 24, 255u); // covered
    EXPECT_EQ(PixelAt(px, 1024, 360, 460) >> 24, 255u);
    EXPECT_EQ(PixelAt(px, 1024, 100, 100) >> 24, 0u); // still open for the floor behind
    ExpectMatchesGolden("floor_tiles_blend", px, 1024, 768);
}

// Detail tiles: the sheet region times the detail texture at dx/128, dy/128;
// afterwards unit 1 is off and unit 0 replaces again.
TEST_F(FloorDrawing, DetailTilesModulateTheSheetWithTheDetailTexture)
{
    Texture_SDL* sheet = MakeTexture("sheet.png", 64, 128, FloorSheet());
    std::vector<uint32_t> detailPixels(128 * 128);
    Fill(detailPixels, 128, 0, 0, 64, 128, Rgb(255, 255, 255));
    Fill(detailPixels, 128, 64, 0, 64, 128, Rgb(128, 128, 128));
    Texture_SDL* detail = MakeTexture("detail.png", 128, 128, detailPixels);
    renderer_->SetTexture(0, sheet);
    renderer_->SetTexture(1, detail);
    renderer_->SetViewScale(0.25f);
    glEnable(GL_BLEND);
    renderer_->DrawFloorTileDetail(25, 25, 0, 0, 0, 0);     // red under white
    renderer_->DrawFloorTileDetail(75, 25, 32, 32, 64, 0);  // white under grey
    renderer_->DrawFloorTileDetail(125, 25, 32, 32, 48, 0); // white under half white, half grey
    renderer_->DrawFloorTileDetail(175, 25, 0, 32, 64, 64); // green under grey
    EXPECT_FALSE(UnitEnabled(1));
    EXPECT_EQ(UnitEnv(0, GL_COMBINE_RGB), GL_REPLACE);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    const std::vector<uint32_t> px = Read();
    ExpectColour(px, 164, 164, 255, 0, 0);
    ExpectColour(px, 364, 164, 128, 128, 128);
    ExpectColour(px, 520, 164, 255, 255, 255);
    ExpectColour(px, 610, 164, 128, 128, 128);
    ExpectColour(px, 764, 164, 0, 128, 0);
    ExpectColour(px, 250, 164, 0, 0, 0);
    ExpectMatchesGolden("floor_tiles_detail", px, 1024, 768);
}

// Lit tiles under the wall-alpha state: unit 1 masks the tile with its
// coordinates (corner - offset) / scale, linearly filtered until
// EndWallAlpha turns the filter back to nearest.
TEST_F(FloorDrawing, WallAlphaMasksLitTilesThroughUnitOne)
{
    Texture_SDL* sheet = MakeTexture("sheet.png", 64, 128, FloorSheet());
    const std::vector<uint32_t> maskPixels = {Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(0, 0, 0)};
    Texture_SDL* mask = MakeTexture("mask.png", 2, 2, maskPixels);
    renderer_->SetTexture(0, sheet);
    renderer_->SetTexture(1, mask);
    glColor4f(1, 0, 0, 1);
    glEnable(GL_BLEND);
    renderer_->BeginWallAlpha();
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 1.0f); // white
    EXPECT_TRUE(UnitEnabled(1));
    EXPECT_EQ(UnitEnv(1, GL_COMBINE_RGB), GL_MODULATE);
    EXPECT_EQ(UnitParam(1, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    glDisable(GL_BLEND);
    renderer_->DrawTileLit(100, 100, 32, 32, 100, 100, 32); // the mask across the tile
    renderer_->EndWallAlpha();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(UnitParam(1, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(UnitParam(1, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(UnitParam(1, GL_TEXTURE_WRAP_S), GL_CLAMP);
    renderer_->DrawTileLit(200, 100, 32, 32, 200, 100, 32); // hard edge in the middle
    renderer_->DrawTileLit(300, 100, 32, 32, 284, 100, 32); // only the mask's dark half
    renderer_->DrawTileLit(400, 100, 32, 32, 400, 100, 64); // only the mask's light half
    renderer_->DrawTileLit(500, 100, 0, 0, 500, 100, 64);   // the red region of the sheet
    const std::vector<uint32_t> px = Read();
    const int linearLight = Green(PixelAt(px, 1024, 112, 116)), linearDark = Green(PixelAt(px, 1024, 120, 116));
    EXPECT_GT(linearLight, 150);
    EXPECT_LT(linearLight, 225);
    EXPECT_GT(linearDark, 25);
    EXPECT_LT(linearDark, 100);
    ExpectColour(px, 212, 116, 255, 255, 255);
    ExpectColour(px, 220, 116, 0, 0, 0);
    ExpectColour(px, 304, 116, 0, 0, 0);
    ExpectColour(px, 404, 116, 255, 255, 255);
    ExpectColour(px, 428, 116, 255, 255, 255);
    ExpectColour(px, 516, 116, 255, 0, 0);
    ExpectColour(px, 540, 116, 0, 0, 0); // a tile is 32 pixels whatever the scale
    ExpectMatchesGolden("floor_tiles_wall_alpha", px, 1024, 768);
}
