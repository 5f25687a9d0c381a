#include "DrawTestSupport.h"

#include "engine/core/IEngine.h"

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>

namespace DrawTest {

std::vector<uint32_t> ReadWindow(int w, int h)
{
    std::vector<uint32_t> bottomUp(size_t(w) * h), topDown(size_t(w) * h);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    for (int y = 0; y < h; ++y)
        std::copy_n(&bottomUp[size_t(h - 1 - y) * w], w, &topDown[size_t(y) * w]);
    return topDown;
}

uint32_t PixelAt(const std::vector<uint32_t>& pixels, int w, int x, int y) { return pixels[size_t(y) * w + x]; }

void ExpectMatchesGolden(const std::string& name, const std::vector<uint32_t>& pixels, int w, int h, int tolerance)
{
    TestSupport::ExpectMatchesGolden("engine/render/golden", name, pixels, w, h, tolerance);
}

Quad Rect(float x0, float y0, float x1, float y1)
{
    Quad q;
    q.topLeft = {x0, y0};
    q.topRight = {x1, y0};
    q.bottomLeft = {x0, y1};
    q.bottomRight = {x1, y1};
    q.texRight = q.texBottom = 1.0f;
    return q;
}

void DrawFixture::SetUp()
{
    REQUIRE_DISPLAY();
    renderer_.reset(new Renderer_SDL(GetEngine(), game_.Files()));
    ASSERT_TRUE(renderer_->Init(1024, 768, 32, false, false));
    ASSERT_TRUE(renderer_->LoadShaders());
    glDisable(GL_BLEND);
    renderer_->BeginScene();
}

void DrawFixture::TearDown()
{
    if (!renderer_)
        return;
    if (white_ != 0) {
        GLuint t = white_;
        glDeleteTextures(1, &t);
    }
    for (Texture_SDL* t : made_)
        delete t;
    made_.clear();
    renderer_->Shutdown();
}

void DrawFixture::BindWhite()
{
    const uint32_t pixel = 0xFFFFFFFFu;
    GLuint t = 0;
    glGenTextures(1, &t);
    white_ = t;
    glBindTexture(GL_TEXTURE_2D, t);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
}

Texture_SDL* DrawFixture::MakeTexture(const std::string& file, int w, int h, const std::vector<uint32_t>& pixels)
{
    TestSupport::WritePng(game_.File(file), w, h, pixels);
    Texture_SDL* t = renderer_->NewTexture();
    t->SetImagePath(std::u16string(file.begin(), file.end()).c_str());
    t->SetSize(w, h);
    made_.push_back(t);
    return t;
}

} // namespace DrawTest
