#include "RenderTestSupport.h"

#include "engine/core/StringKit.h"
#include "engine/render/GlFunctions.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

class RendererTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveDisplay())
            GTEST_SKIP() << "no X display: run under xvfb-run -a -s \"-screen 0 1280x1024x24\"";
        renderer_.reset(new Renderer_SDL(GetEngine(), game_.Files()));
    }
    void TearDown() override
    {
        if (renderer_)
            renderer_->Shutdown();
    }

    RenderTest::GameDir game_{true};
    std::unique_ptr<Renderer_SDL> renderer_;
};

bool NoGlError()
{
    GLenum e = glGetError();
    if (e != GL_NO_ERROR)
        ADD_FAILURE() << "GL error 0x" << std::hex << e;
    return e == GL_NO_ERROR;
}

} // namespace

TEST_F(RendererTest, WindowHasDestinationAlphaAndTheRequiredFeatures)
{
    ASSERT_TRUE(renderer_->Init(1024, 768, 32, false, false));
    EXPECT_TRUE(renderer_->IsVideoModeSet());
    EXPECT_GE(renderer_->GetAlphaBits(), 8);
    GLint alpha = 0, maxSize = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    EXPECT_GE(alpha, 8);
    EXPECT_EQ(renderer_->GetAtlasWidth(), maxSize > 2048 ? 2048 : maxSize);
    EXPECT_TRUE(renderer_->AreTargetsSupported());
    EXPECT_TRUE(GlFunctions::HasExtension("GL_ARB_fragment_program"));
    EXPECT_FALSE(GlFunctions::HasExtension("GL_ARB_fragment"));
    EXPECT_TRUE(GlFunctions::HasVersion(1, 4));
    EXPECT_FALSE(GlFunctions::HasVersion(99, 0));
    EXPECT_EQ(renderer_->GetWindowWidth(), 1024);
    EXPECT_EQ(renderer_->GetViewHeight(), 768);
    // The text fonts are display lists at the two bases, with widths.
    EXPECT_TRUE(renderer_->GetLargeFont().IsBuilt());
    EXPECT_TRUE(renderer_->GetSmallFont().IsBuilt());
    EXPECT_TRUE(glIsList(Renderer_SDL::kLargeFontBase + 'A'));
    EXPECT_TRUE(glIsList(Renderer_SDL::kSmallFontBase + 'A'));
    EXPECT_GT(renderer_->GetLargeFont().TextWidth("Vornhal", 7), 0);
    // Blank glyphs advance too (the X font loader leaves them empty).
    for (const Gl::XBitmapFont* font : {&renderer_->GetLargeFont(), &renderer_->GetSmallFont()}) {
        glRasterPos2f(10, 100);
        GLfloat before[4], after[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, before);
        glCallList(GLuint(font->GetListBase()) + ' ');
        glGetFloatv(GL_CURRENT_RASTER_POSITION, after);
        EXPECT_FLOAT_EQ(after[0] - before[0], float(font->TextWidth(" ", 1)));
    }
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_GEQUAL);
    EXPECT_TRUE(renderer_->IsReady());
    renderer_->SetBrightness(0.5f); // a display without gamma ramps is no failure
    renderer_->SetCursorVisible(false);
    renderer_->SetCursorVisible(true);
    NoGlError();
}

TEST_F(RendererTest, ShutdownTwiceAndDestructionAfterIt)
{
    ASSERT_TRUE(renderer_->Init(320, 240, 32, false, false));
    ASSERT_TRUE(renderer_->LoadShaders());
    renderer_->CreateAtlas(0, 0);
    renderer_->Shutdown();
    EXPECT_FALSE(renderer_->IsVideoModeSet());
    EXPECT_EQ(renderer_->GetProgram(0), 0u);
    EXPECT_EQ(renderer_->GetGameMapTexture(), 0u);
    renderer_->Shutdown();
    EXPECT_FALSE(renderer_->Present()); // no window: nothing to swap or poll
    renderer_.reset();
    // A new renderer sets up again after the first one quit SDL.
    Renderer_SDL again(GetEngine(), game_.Files());
    again.SetUseFonts(false);
    EXPECT_TRUE(again.Init(320, 240, 32, false, false));
}

TEST_F(RendererTest, AllTwentyProgramsLoadBindAndDraw)
{
    ASSERT_TRUE(renderer_->Init(256, 256, 32, false, false));
    ASSERT_TRUE(renderer_->LoadShaders());
    EXPECT_NE(renderer_->GetGameMapTexture(), 0u);
    for (int i = 0; i < Renderer_SDL::kProgramCount; ++i) {
        const std::u16string name(Renderer_SDL::kProgramFiles[i]);
        const bool vertex = name.find(u"_vs") != std::u16string::npos;
        const unsigned program = renderer_->GetProgram(i);
        ASSERT_NE(program, 0u) << i;
        // Each with a partner of the other kind: draw one quad, which runs it.
        const unsigned partner =
            renderer_->GetProgram(vertex ? Renderer_SDL::kObjectAmbientFs : Renderer_SDL::kObjectAmbientVs);
        renderer_->BindPrograms(vertex ? program : partner, vertex ? partner : program);
        g_gl.ActiveTexture(GL_TEXTURE0);
        EXPECT_TRUE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
        EXPECT_TRUE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
        g_gl.ProgramLocalParameter4f(GL_VERTEX_PROGRAM_ARB, 0, 1, 1, 1, 1);
        g_gl.ProgramLocalParameter4f(GL_VERTEX_PROGRAM_ARB, 1, 0.01f, 0.01f, 0, 0);
        g_gl.ProgramLocalParameter4f(GL_FRAGMENT_PROGRAM_ARB, 0, 1, 1, 1, 1);
        g_gl.ProgramLocalParameter4f(GL_FRAGMENT_PROGRAM_ARB, 1, 0, -1, 0, 0);
        g_gl.ProgramLocalParameter4f(GL_FRAGMENT_PROGRAM_ARB, 2, 0, 1, 0, 0);
        glBegin(GL_QUADS);
        glVertex2f(0, 0);
        glVertex2f(16, 0);
        glVertex2f(16, 16);
        glVertex2f(0, 16);
        glEnd();
        EXPECT_TRUE(NoGlError()) << Util::ToUtf8(name);
    }
    renderer_->BindPrograms(0, 0);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
}

TEST_F(RendererTest, MissingShaderFileFailsTheLoad)
{
    std::filesystem::remove(game_.File("shaders/sign_fs.txt"));
    ASSERT_TRUE(renderer_->Init(128, 128, 32, false, false));
    EXPECT_FALSE(renderer_->LoadShaders());
    EXPECT_NE(renderer_->GetProgram(Renderer_SDL::kSpot1Fs), 0u); // the ones before it loaded
    EXPECT_EQ(renderer_->GetProgram(Renderer_SDL::kSignFs), 0u);
}

TEST_F(RendererTest, RenderTargetsDrawIntoTheirTexture)
{
    ASSERT_TRUE(renderer_->Init(256, 256, 32, false, false));
    ASSERT_TRUE(renderer_->PrepareMiniMapTarget());
    const RenderTarget& mini = renderer_->GetMiniMapTarget();
    ASSERT_NE(mini.GetFramebuffer(), 0u);
    ASSERT_NE(mini.GetTexture(), 0u);
    EXPECT_FALSE(mini.IsTextureBorrowed());
    const unsigned miniTexture = mini.GetTexture();
    EXPECT_TRUE(renderer_->PrepareMiniMapTarget()); // made once
    EXPECT_EQ(mini.GetTexture(), miniTexture);

    GLuint own = 0;
    glGenTextures(1, &own);
    glBindTexture(GL_TEXTURE_2D, own);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    {
        RenderTarget target;
        ASSERT_TRUE(target.Create(own, 64, 64));
        EXPECT_TRUE(target.IsTextureBorrowed());
        g_gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, target.GetFramebuffer());
        glViewport(0, 0, 64, 64);
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        uint8_t px[4] = {};
        glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        EXPECT_EQ(px[0], 0);
        EXPECT_EQ(px[2], 255);
        g_gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    }
    // The borrowed texture outlives the target and holds what it drew.
    EXPECT_TRUE(glIsTexture(own));
    std::vector<uint8_t> back(64 * 64 * 4);
    glBindTexture(GL_TEXTURE_2D, own);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(back[2], 255);
    glDeleteTextures(1, &own);
    NoGlError();
}

TEST_F(RendererTest, ScreenshotIsTheFrameTopRowFirstWithNumberedNames)
{
    const int w = 160, h = 120;
    ASSERT_TRUE(renderer_->Init(w, h, 32, false, false));
    TestSupport::TempDir shots;
    const std::u16string dir = Util::FromOs(shots.Path());
    for (int shot = 0; shot < 2; ++shot) {
        // Red everywhere, green in the top-left quarter (GL counts rows from the bottom).
        glDisable(GL_SCISSOR_TEST);
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, h / 2, w / 2, h / 2);
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        renderer_->SaveScreenshot(dir.c_str());
        renderer_->Present();
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(shots.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "screenshot_1.png");
    EXPECT_EQ(names[1], "screenshot_2.png");
    for (const std::string& name : names) {
        int pw = 0, ph = 0;
        std::vector<uint32_t> px;
        ASSERT_TRUE(TestSupport::ReadPng(shots.File(name), &pw, &ph, &px)) << name;
        ASSERT_EQ(pw, w);
        ASSERT_EQ(ph, h);
        // 0xAARRGGBB as the reader gives them.
        EXPECT_EQ(px[0] & 0xFFFFFFu, 0x00FF00u) << name;                 // top left
        EXPECT_EQ(px[size_t(w - 1)] & 0xFFFFFFu, 0xFF0000u) << name;     // top right
        EXPECT_EQ(px[size_t(h - 1) * w] & 0xFFFFFFu, 0xFF0000u) << name; // bottom left
        EXPECT_EQ(px[size_t(h / 2 - 1) * w + w / 2 - 1] & 0xFFFFFFu, 0x00FF00u);
    }
    // A folder that cannot be written to gives no file and no failure.
    renderer_->SaveScreenshot(u"/proc/no-such-folder");
    renderer_->Present();
}

TEST(RendererFatal, MissingExtensionEndsWithItsMessage)
{
    REQUIRE_DISPLAY();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("MESA_EXTENSION_OVERRIDE", "-GL_ARB_fragment_program", 1);
    EXPECT_EXIT(
        {
            RenderTest::GameDir game(false);
            Renderer_SDL r(GetEngine(), game.Files());
            r.SetUseFonts(false);
            r.Init(128, 128, 32, false, false);
        },
        testing::ExitedWithCode(255), "glProgramStringARB extension must be supported");
    unsetenv("MESA_EXTENSION_OVERRIDE");
}

TEST(RendererFatal, RejectedProgramShowsTheBoxAndExits255)
{
    REQUIRE_DISPLAY();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RenderTest::GameDir game(true);
            std::ofstream(game.File("shaders/floors/ambient_fs.txt")) << "!!ARBfp1.0\nNOT A PROGRAM;\nEND\n";
            Renderer_SDL r(GetEngine(), game.Files());
            r.SetUseFonts(false);
            r.Init(128, 128, 32, false, false);
            r.LoadShaders();
        },
        testing::ExitedWithCode(255),
        "Loading shaders/floors/ambient_fs.txt failed:(.|\n)*All shader features are not supported");
}
