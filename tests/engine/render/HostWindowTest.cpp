#include "RenderTestSupport.h"
#include "support/GlWindows.h"

#include <gtest/gtest.h>

// Last: Xlib defines macros such as None and Bool.
#include <GL/glx.h>

TEST(HostWindow, ContextsOnHostWindowsShareTextures)
{
    REQUIRE_DISPLAY();
    GlWindows host;
    const Window frame = host.Make(200, 150), view = host.Make(120, 90), other = host.Make(64, 64);
    ASSERT_NE(frame, 0u);
    RenderTest::GameDir game(true);
    Renderer_SDL r(GetEngine(), game.Files());
    ASSERT_TRUE(r.InitForWindow(200, 150, frame));
    EXPECT_TRUE(r.IsVideoModeSet());
    EXPECT_GE(r.GetAlphaBits(), 8);
    ASSERT_TRUE(r.LoadShaders());

    ASSERT_TRUE(r.MakeWindowCurrent(view, 120, 90));
    EXPECT_EQ(r.GetWindowCount(), 1);
    EXPECT_EQ(r.GetViewWidth(), 120);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 120);
    EXPECT_EQ(viewport[3], 90);
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_GEQUAL); // a new context gets the common state
    GLuint made = 0;
    glGenTextures(1, &made);
    glBindTexture(GL_TEXTURE_2D, made);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);

    ASSERT_TRUE(r.MakeWindowCurrent(other, 64, 64));
    EXPECT_EQ(r.GetWindowCount(), 2);
    EXPECT_TRUE(glIsTexture(made));
    // Found again: the record takes the new size, no second context.
    ASSERT_TRUE(r.MakeWindowCurrent(view, 100, 80));
    EXPECT_EQ(r.GetWindowCount(), 2);
    EXPECT_EQ(r.GetViewHeight(), 80);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    r.PresentWindow(view, 0, 0, 0, 0, 0, 0, 0, 0);
    r.SwapWindow(12345); // unknown: nothing
    r.ReleaseWindow(12345);
    EXPECT_EQ(r.GetWindowCount(), 2);
    r.ReleaseWindow(view); // the current one: afterwards none is current
    EXPECT_EQ(r.GetWindowCount(), 1);
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
    ASSERT_TRUE(r.MakeWindowCurrent(other, 64, 64));
    EXPECT_TRUE(glIsTexture(made));
    r.Shutdown();
    EXPECT_EQ(r.GetWindowCount(), 0);
    r.Shutdown();
}

TEST(HostWindow, AWindowIdThatIsNoWindowIsRefused)
{
    REQUIRE_DISPLAY();
    Renderer_SDL r(GetEngine());
    EXPECT_FALSE(r.InitForWindow(100, 100, 0));
    EXPECT_FALSE(r.InitForWindow(100, 100, 0x7ffffff0ul));
    EXPECT_FALSE(r.MakeWindowCurrent(0x7ffffff0ul, 10, 10));
    EXPECT_EQ(r.GetWindowCount(), 0);
}
