#include "DrawTestSupport.h"

#include "engine/core/StringKit.h"
#include "engine/render/GlFunctions.h"
#include "support/TestSupport.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

using namespace DrawTest;

namespace {

using MapTargets = DrawFixture;
using GameMapSave = DrawFixture;

GLint FramebufferBinding()
{
    GLint fb = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &fb);
    return fb;
}

// The game-map buffer as the encoder hands it out, decoded: 0xAARRGGBB.
std::vector<uint32_t> EncodedGameMap(Renderer_SDL* renderer, const std::string& scratch)
{
    void* data = nullptr;
    int size = 0;
    std::vector<uint32_t> pixels;
    if (!renderer->EncodeGameMapImage(&data, &size))
        return pixels;
    TestSupport::WriteAll(scratch, data, size_t(size));
    int w = 0, h = 0;
    TestSupport::ReadPng(scratch, &w, &h, &pixels);
    return pixels;
}

// Writes to regular files fail past `bytes` while it lives, as on a full
// disk (root ignores permissions, so a read-only folder would not fail).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    bool Active() const { return active_; }

private:
    rlimit previous_{};
    void (*previousSignal_)(int) = nullptr;
    bool active_ = false;
};

} // namespace

// Without framebuffer objects the map operations refuse or do nothing, the
// game-map picture stays as it was, and drawing goes on in the window.
TEST_F(MapTargets, WithoutRenderTargetsMapOperationsRefuseAndDrawingStaysInTheWindow)
{
    ASSERT_TRUE(renderer_->AreTargetsSupported());
    renderer_->DisableRenderTargets();
    EXPECT_FALSE(renderer_->AreTargetsSupported());
    EXPECT_TRUE(renderer_->PrepareMiniMapTarget());
    EXPECT_EQ(renderer_->GetMiniMapTarget().GetTexture(), 0u);
    EXPECT_EQ(renderer_->GetMiniMapTarget().GetFramebuffer(), 0u);
    EXPECT_FALSE(renderer_->BeginMiniMapRender());
    EXPECT_EQ(renderer_->GetViewWidth(), 1024);

    const std::string picture = game_.File("blue.png");
    TestSupport::WritePng(picture, 4, 4, std::vector<uint32_t>(16, Rgb(0, 0, 200)));
    ASSERT_TRUE(renderer_->LoadGameMapImage(Util::FromOs(picture).c_str()));
    renderer_->BeginGameMapRender(); // would clear the picture with a target
    EXPECT_EQ(renderer_->GetViewWidth(), 1024);
    EXPECT_EQ(FramebufferBinding(), 0);
    Quad q = Rect(10, 10, 60, 60);
    renderer_->FillQuad(&q, 0x00FF00, 1.0f);
    renderer_->EndTargetRender();
    EXPECT_EQ(renderer_->GetViewWidth(), 1024);
    EXPECT_EQ(Green(PixelAt(Read(), 1024, 30, 30)), 255);
    const std::vector<uint32_t> map = EncodedGameMap(renderer_.get(), game_.File("encoded.png"));
    ASSERT_EQ(map.size(), 512u * 512u);
    EXPECT_EQ(map[0], 0xFF0000C8u);
    EXPECT_EQ(map[511 * 512 + 511], 0xFF0000C8u);

    EXPECT_FALSE(renderer_->BindMiniMapTexture());
    renderer_->BindGameMapTexture();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), renderer_->GetGameMapTexture());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Turning targets off in the middle of a minimap render ends it first.
TEST_F(MapTargets, DisablingTargetsEndsAnActiveRender)
{
    ASSERT_TRUE(renderer_->PrepareMiniMapTarget());
    ASSERT_TRUE(renderer_->BeginMiniMapRender());
    EXPECT_EQ(renderer_->GetViewWidth(), 256);
    EXPECT_NE(FramebufferBinding(), 0);
    renderer_->DisableRenderTargets();
    EXPECT_EQ(renderer_->GetViewWidth(), 1024);
    EXPECT_EQ(FramebufferBinding(), 0);
    EXPECT_EQ(renderer_->GetMiniMapTarget().GetFramebuffer(), 0u);
    EXPECT_FALSE(renderer_->BeginMiniMapRender());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A target whose attachment is incomplete keeps no names and leaves the
// window bound, so what is drawn next still shows.
TEST_F(MapTargets, IncompleteTargetLeavesTheWindowBound)
{
    GLuint empty = 0;
    glGenTextures(1, &empty);
    glBindTexture(GL_TEXTURE_2D, empty); // a texture without an image
    RenderTarget target;
    EXPECT_FALSE(target.Create(empty, 64, 64));
    EXPECT_EQ(target.GetFramebuffer(), 0u);
    EXPECT_EQ(target.GetTexture(), 0u);
    EXPECT_EQ(FramebufferBinding(), 0);
    EXPECT_TRUE(glIsTexture(empty)); // borrowed: still its owner's
    while (glGetError() != GL_NO_ERROR) {
    }
    glDeleteTextures(1, &empty);
    Quad q = Rect(10, 10, 60, 60);
    renderer_->FillQuad(&q, 0xFF0000, 1.0f);
    EXPECT_EQ(Red(PixelAt(Read(), 1024, 30, 30)), 255);
}

// Making the minimap target binds a texture of its own for a moment; the
// texture cached on unit 0 must still be the one GL draws with.
TEST_F(MapTargets, MakingTheMiniMapTargetKeepsUnitZeroAsCached)
{
    Texture_SDL* red = MakeTexture("red.png", 4, 4, std::vector<uint32_t>(16, Rgb(255, 0, 0)));
    renderer_->SetTexture(0, red);
    ASSERT_TRUE(renderer_->PrepareMiniMapTarget());
    ASSERT_NE(renderer_->GetMiniMapTarget().GetTexture(), 0u);
    renderer_->SetTexture(0, red); // cached: binds nothing
    Quad q = Rect(10, 10, 60, 60);
    renderer_->DrawQuad(&q, 1.0f);
    EXPECT_EQ(PixelAt(Read(), 1024, 30, 30) & 0xFFFFFFu, 0x0000FFu);
}

// A save that cannot be made reports it and leaves no file behind; one cut
// short by a failing write removes what it had written.
TEST_F(GameMapSave, FailedSavesReportFalseAndLeaveNoPartialFile)
{
    const std::string missingDir = game_.File("missing");
    EXPECT_FALSE(renderer_->SaveGameMapImage(Util::FromOs(missingDir + "/map.png").c_str()));
    EXPECT_FALSE(std::filesystem::exists(missingDir));

    const std::string folder = game_.File("folder");
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(renderer_->SaveGameMapImage(Util::FromOs(folder).c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    const std::string path = game_.File("map.png");
    bool saved = true;
    {
        FileSizeLimit limit(64);
        ASSERT_TRUE(limit.Active());
        saved = renderer_->SaveGameMapImage(Util::FromOs(path).c_str());
    }
    EXPECT_FALSE(saved);
    EXPECT_FALSE(std::filesystem::exists(path));

    // With room again the same save works and reads back as a picture.
    ASSERT_TRUE(renderer_->SaveGameMapImage(Util::FromOs(path).c_str()));
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(TestSupport::ReadPng(path, &w, &h, &pixels));
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 512);

    // A save over it that fails keeps the picture that was there.
    const std::vector<uint8_t> before = TestSupport::ReadAll(path);
    ASSERT_FALSE(before.empty());
    {
        FileSizeLimit limit(64);
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(renderer_->SaveGameMapImage(Util::FromOs(path).c_str()));
    }
    EXPECT_EQ(TestSupport::ReadAll(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_FALSE(std::filesystem::exists(folder + ".tmp"));
}
