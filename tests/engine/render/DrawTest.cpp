#include "DrawTestSupport.h"

#include <GL/gl.h>

using namespace DrawTest;

namespace {
using DrawOperations = DrawFixture;
}

TEST_F(DrawOperations, QuadsLinesAndPointsMatchTheirGoldenImage)
{
    Quad a = Rect(10, 10, 110, 60);
    renderer_->FillQuad(&a, 0xFF8000, 1.0f);
    Quad b = Rect(200, 10, 300, 60);
    b.r = 0;
    b.g = 200;
    b.b = 100;
    glDisable(GL_TEXTURE_2D);
    renderer_->DrawQuad(&b, 1.0f);
    glEnable(GL_TEXTURE_2D);
    renderer_->DrawLine(10, 100.5f, 300, 100.5f, 255, 255, 255);
    renderer_->DrawLineAlpha(0, 0, 10, 0, 0, 0, 255, 1.0f);
    renderer_->DrawPoint(600, 50, 255, 255, 0, 1.0f);
    Quad s = Rect(800, 600, 1024, 768);
    renderer_->FillQuad(&s, 0x0000FF, 1.0f);
    const std::vector<uint32_t> px = Read();

    const uint32_t orange = PixelAt(px, 1024, 50, 30);
    EXPECT_EQ(Red(orange), 255);
    EXPECT_NEAR(Green(orange), 128, 1);
    EXPECT_EQ(Blue(orange), 0);
    EXPECT_EQ(Green(PixelAt(px, 1024, 250, 30)), 200);
    EXPECT_EQ(Red(PixelAt(px, 1024, 150, 100)), 255);
    EXPECT_EQ(Blue(PixelAt(px, 1024, 5, 0)), 255); // the +0.4 line lies on row 0
    EXPECT_EQ(Blue(PixelAt(px, 1024, 5, 1)), 0);
    EXPECT_EQ(Green(PixelAt(px, 1024, 600, 50)), 255);
    ExpectMatchesGolden("draw_primitives", px, 1024, 768);

    // Lines on whole-pixel coordinates may land on either neighbouring row,
    // so the outline stays out of the golden image.
    renderer_->DrawRect(400, 10, 500, 110, 255, 0, 255);
    const std::vector<uint32_t> outline = Read();
    EXPECT_EQ(std::max(Red(PixelAt(outline, 1024, 450, 9)), Red(PixelAt(outline, 1024, 450, 10))), 255);
    EXPECT_EQ(std::max(Red(PixelAt(outline, 1024, 450, 109)), Red(PixelAt(outline, 1024, 450, 110))), 255);
    EXPECT_EQ(Red(PixelAt(outline, 1024, 450, 60)), 0); // not filled
}

TEST_F(DrawOperations, ScreenQuadsScaleFromTheLayoutToTheWindow)
{
    renderer_->Shutdown();
    renderer_.reset(new Renderer_SDL(GetEngine(), game_.Files()));
    ASSERT_TRUE(renderer_->Init(1280, 1024, 32, false, false));
    glDisable(GL_BLEND);
    renderer_->BeginScene();
    glDisable(GL_TEXTURE_2D);
    Quad q = Rect(512, 384, 1024, 768);
    renderer_->DrawScreenQuad(&q, true, 1.0f);
    const std::vector<uint32_t> px = ReadWindow(1280, 1024);
    EXPECT_EQ(Red(PixelAt(px, 1280, 1279, 1023)), 255);
    EXPECT_EQ(Red(PixelAt(px, 1280, 641, 513)), 255);
    EXPECT_EQ(Red(PixelAt(px, 1280, 638, 510)), 0);
    ExpectMatchesGolden("draw_screen_quad", px, 1280, 1024);
}

TEST_F(DrawOperations, ClipRectangleKeepsDrawingInside)
{
    renderer_->SetClipRect(100, 200, 300, 400);
    Quad all = Rect(0, 0, 1024, 768);
    renderer_->FillQuad(&all, 0x00FF00, 1.0f);
    renderer_->ResetClipRect();
    const std::vector<uint32_t> px = Read();
    EXPECT_EQ(Green(PixelAt(px, 1024, 100, 200)), 255);
    EXPECT_EQ(Green(PixelAt(px, 1024, 299, 399)), 255);
    EXPECT_EQ(Green(PixelAt(px, 1024, 99, 250)), 0);
    EXPECT_EQ(Green(PixelAt(px, 1024, 150, 400)), 0);
    EXPECT_EQ(Green(PixelAt(px, 1024, 300, 250)), 0);
    ExpectMatchesGolden("draw_clip", px, 1024, 768);
}

// The rightmost lit column of a text lies within its measured width.
TEST_F(DrawOperations, TextWidthMatchesTheDrawnWidth)
{
    for (bool fonts : {true, false}) {
        renderer_->SetUseFonts(fonts);
        renderer_->BeginScene();
        const char16_t* text = u"Vornhal Wide Text 123";
        const int width = renderer_->GetTextWidth(text);
        ASSERT_GT(width, 40);
        renderer_->DrawText(100, 100, text, 255, 255, 255);
        const std::vector<uint32_t> px = Read();
        int right = -1, left = 1024;
        for (int y = 95; y < 130; ++y)
            for (int x = 0; x < 1024; ++x)
                if (Red(PixelAt(px, 1024, x, y)) > 128) {
                    right = std::max(right, x);
                    left = std::min(left, x);
                }
        EXPECT_GE(left, 100) << fonts;
        EXPECT_LT(right, 100 + width) << fonts;
        EXPECT_GT(right, 100 + width - 12) << fonts;
        if (!fonts)
            ExpectMatchesGolden("draw_text_glut", px, 1024, 768);
        // Right-aligned text ends at x.
        renderer_->BeginScene();
        renderer_->DrawTextAligned(600, 100, text, true);
        const std::vector<uint32_t> aligned = Read();
        int alignedRight = -1;
        for (int y = 95; y < 130; ++y)
            for (int x = 0; x < 1024; ++x)
                if (Red(PixelAt(aligned, 1024, x, y)) > 128)
                    alignedRight = std::max(alignedRight, x);
        EXPECT_EQ(alignedRight - (600 - width), right - 100) << fonts;
    }
}

TEST_F(DrawOperations, FontTextStopsAfter255Characters)
{
    std::u16string longText(300, u'I');
    std::u16string first(255, u'I');
    renderer_->SetUseFonts(true);
    if (!renderer_->GetLargeFont().IsBuilt())
        GTEST_SKIP() << "no X font";
    renderer_->DrawText(0, 300, longText.c_str(), 255, 255, 255);
    const std::vector<uint32_t> all = Read();
    renderer_->BeginScene();
    renderer_->DrawText(0, 300, first.c_str(), 255, 255, 255);
    EXPECT_EQ(all, Read());
}

// Light pass: a point light lights the floor brightest at its centre, and
// an occluder drawn first cuts its right half.
TEST_F(DrawOperations, PointLightIsBrightestAtItsCentreAndCutByAnOccluder)
{
    BindWhite();
    renderer_->FillAlphaRect(0, 0, 1024, 768, 0);
    renderer_->BeginOccluderPass(false);
    glDisable(GL_TEXTURE_2D); // the occluder has no picture: alpha comes from the colour
    glColor4f(1, 1, 1, 1);
    Quad occluder = Rect(600, 0, 1024, 768);
    renderer_->DrawQuadShape(&occluder);
    glEnable(GL_TEXTURE_2D);
    renderer_->EndOccluderPass();
    renderer_->BeginLightPass();
    renderer_->BeginPointLight(500, 400, 200, 1, 1, 1, false, false);
    Quad floor = Rect(0, 0, 1024, 768);
    floor.depth = 0.5f;
    renderer_->DrawQuad(&floor, 1.0f);
    renderer_->EndLightPass();
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    const std::vector<uint32_t> px = Read();
    const int centre = Red(PixelAt(px, 1024, 500, 400));
    const int near = Red(PixelAt(px, 1024, 420, 400));
    const int far = Red(PixelAt(px, 1024, 330, 400));
    EXPECT_GT(centre, 240);
    EXPECT_GT(centre, near);
    EXPECT_GT(near, far);
    EXPECT_GT(far, 0);
    EXPECT_EQ(Red(PixelAt(px, 1024, 250, 400)), 0); // beyond the radius
    EXPECT_EQ(Red(PixelAt(px, 1024, 620, 400)), 0); // behind the occluder
    EXPECT_GT(Red(PixelAt(px, 1024, 580, 400)), 0); // just before it
    ExpectMatchesGolden("draw_point_light", px, 1024, 768);
}
