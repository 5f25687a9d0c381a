#include "RenderTestSupport.h"

#include "engine/core/Engine.h"
#include "engine/core/StringKit.h"
#include "engine/render/GlFunctions.h"
#include "engine/render/Texture_SDL.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace {

std::vector<uint32_t> Solid(int w, int h, uint32_t rgba) { return std::vector<uint32_t>(size_t(w) * h, rgba); }

std::u16string U16(const std::string& s) { return Util::FromOs(s); }

} // namespace

TEST(TextureAtlas, BestFitSplitsAsSpecified)
{
    Texture atlas(nullptr);
    atlas.ResetFreeAreas(1024, 1024);
    int x = -1, y = -1;
    ASSERT_TRUE(atlas.AllocateArea(64, 32, &x, &y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    ASSERT_EQ(atlas.GetFreeAreaCount(), 2);
    const Texture::FreeArea_t* a = atlas.GetFreeArea(0);
    const Texture::FreeArea_t* b = atlas.GetFreeArea(1);
    EXPECT_EQ((std::vector<int>{a->x0, a->y0, a->x1, a->y1}), (std::vector<int>{0, 32, 1023, 1023}));
    EXPECT_EQ((std::vector<int>{b->x0, b->y0, b->x1, b->y1}), (std::vector<int>{64, 0, 1023, 31}));
    // The strip right of the first image is the smaller fit.
    ASSERT_TRUE(atlas.AllocateArea(32, 32, &x, &y));
    EXPECT_EQ(x, 64);
    EXPECT_EQ(y, 0);
    // An exact fit removes its area.
    ASSERT_TRUE(atlas.AllocateArea(1024 - 96, 32, &x, &y));
    EXPECT_EQ(x, 96);
    EXPECT_EQ(atlas.GetFreeAreaCount(), 1);
    // Too wide for every area fails; nothing changes.
    EXPECT_FALSE(atlas.AllocateArea(1025, 1, &x, &y));
    EXPECT_FALSE(atlas.AllocateArea(0, 10, &x, &y));
    EXPECT_FALSE(atlas.AllocateArea(10, -1, &x, &y));
    EXPECT_EQ(atlas.GetFreeAreaCount(), 1);
    // A reset gives the whole atlas back.
    atlas.ResetFreeAreas(1024, 1024);
    EXPECT_EQ(atlas.GetFreeAreaCount(), 1);
}

TEST(TextureAtlas, EqualAreasGoToTheEarlierOne)
{
    Texture atlas(nullptr);
    atlas.ResetFreeAreas(100, 60);
    int x, y;
    // Leaves (0,40)-(99,59) and then (50,0)-(99,39): 2000 pixels each.
    ASSERT_TRUE(atlas.AllocateArea(50, 40, &x, &y));
    ASSERT_EQ(atlas.GetFreeAreaCount(), 2);
    ASSERT_TRUE(atlas.AllocateArea(10, 10, &x, &y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 40);
}

TEST(TextureAtlas, RandomPackingNeverOverlapsOrLeavesTheAtlas)
{
    const int size = 512;
    Texture atlas(nullptr);
    atlas.ResetFreeAreas(size, size);
    std::mt19937 rng(7);
    struct Rect {
        int x, y, w, h;
    };
    std::vector<Rect> placed;
    for (int i = 0; i < 400; ++i) {
        int w = 1 + int(rng() % 64), h = 1 + int(rng() % 64), x, y;
        if (!atlas.AllocateArea(w, h, &x, &y))
            continue;
        ASSERT_GE(x, 0);
        ASSERT_GE(y, 0);
        ASSERT_LE(x + w, size);
        ASSERT_LE(y + h, size);
        for (const Rect& r : placed)
            ASSERT_FALSE(x < r.x + r.w && r.x < x + w && y < r.y + r.h && r.y < y + h) << i;
        placed.push_back({x, y, w, h});
    }
    EXPECT_GT(placed.size(), 100u);
}

TEST(TextureAtlas, CoordinatesInsideAnAtlas)
{
    Texture_SDL atlas(nullptr, nullptr);
    atlas.SetSize(1024, 1024);
    Texture_SDL t(nullptr, nullptr);
    t.SetSize(32, 32);
    float u0, v0, u1, v1;
    t.GetTexCoords(0, 0, 16, 32, &u0, &v0, &u1, &v1);
    EXPECT_FLOAT_EQ(u1, 0.5f);
    t.GetFullTexCoords(&u0, &v0, &u1, &v1);
    EXPECT_EQ((std::vector<float>{u0, v0, u1, v1}), (std::vector<float>{0, 0, 1, 1}));
    t.PlaceInAtlas(&atlas, 64, 0);
    EXPECT_EQ(t.GetAtlas(), &atlas);
    t.GetTexCoords(0, 0, 32, 32, &u0, &v0, &u1, &v1);
    EXPECT_FLOAT_EQ(u0, 0.0625f);
    EXPECT_FLOAT_EQ(v0, 0.0f);
    EXPECT_FLOAT_EQ(u1, 0.09375f);
    EXPECT_FLOAT_EQ(v1, 0.03125f);
    t.GetFullTexCoords(&u0, &v0, &u1, &v1);
    EXPECT_FLOAT_EQ(u0, 64.5f / 1024);
    EXPECT_FLOAT_EQ(v0, 0.5f / 1024);
    EXPECT_FLOAT_EQ(u1, 95.5f / 1024);
    EXPECT_FLOAT_EQ(v1, 31.5f / 1024);
}

TEST(TextureAtlas, LoadPixelsKeepsTheRectangleAndZeroesOutside)
{
    RenderTest::GameDir game(false);
    std::vector<uint32_t> px(4 * 3);
    for (int i = 0; i < 12; ++i)
        px[i] = 0xFF000000u | uint32_t(i + 1); // red = i + 1
    TestSupport::WritePng(game.File("p.png"), 4, 3, px);
    Texture t(game.Files());
    t.SetImagePath(u"p.png");
    const uint32_t* kept = t.LoadPixels(1, 1, 3, 3);
    ASSERT_NE(kept, nullptr);
    // The reader's order: 0xAARRGGBB.
    EXPECT_EQ(kept[0], 0xFF060000u);
    EXPECT_EQ(kept[1], 0xFF070000u);
    EXPECT_EQ(kept[2], 0xFF0A0000u);
    EXPECT_EQ(kept[3], 0xFF0B0000u);
    kept = t.LoadPixels(3, 2, 6, 5); // mostly outside the image
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept[0], 0xFF0C0000u);
    EXPECT_EQ(kept[1], 0u);
    EXPECT_EQ(kept[8], 0u);
    EXPECT_EQ(t.LoadPixels(2, 2, 2, 3), nullptr);
    t.SetImagePath(u"missing.png");
    EXPECT_EQ(t.LoadPixels(0, 0, 1, 1), nullptr);
    t.FreePixels();
}

TEST(TextureAtlas, ReleaseOfACachedTextureLeavesItToTheCache)
{
    Texture* own = new Texture(nullptr);
    own->Release(); // deletes itself (the sanitizer build would see a leak otherwise)
    Texture cached(nullptr);
    cached.SetOwnedByCache(true);
    cached.Release();
    cached.Release();
    EXPECT_EQ(cached.GetReferenceCount(), 0);
}

class TextureGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveDisplay())
            GTEST_SKIP() << "no X display: run under xvfb-run -a -s \"-screen 0 1280x1024x24\"";
        renderer_.reset(new Renderer_SDL(GetEngine(), game_.Files()));
        renderer_->SetUseFonts(false);
        ASSERT_TRUE(renderer_->Init(128, 128, 32, false, false));
    }
    void TearDown() override
    {
        for (Texture_SDL* t : made_)
            delete t;
        renderer_.reset();
    }
    Texture_SDL* Make(const std::string& file, int w, int h, uint32_t rgba, bool pack, int kind)
    {
        TestSupport::WritePng(game_.File(file), w, h, Solid(w, h, rgba));
        Texture_SDL* t = renderer_->NewTexture();
        t->SetImagePath(U16(file).c_str());
        t->SetSize(w, h);
        t->SetPackIntoAtlas(pack);
        t->SetKind(kind);
        made_.push_back(t);
        return t;
    }
    static uint32_t AtlasPixel(Texture_SDL* atlas, int x, int y)
    {
        std::vector<uint32_t> all(size_t(atlas->GetWidth()) * atlas->GetHeight());
        glBindTexture(GL_TEXTURE_2D, atlas->GetGlName());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, all.data());
        return all[size_t(y) * atlas->GetWidth() + x];
    }

    RenderTest::GameDir game_{false};
    std::unique_ptr<Renderer_SDL> renderer_;
    std::vector<Texture_SDL*> made_;
};

TEST_F(TextureGlTest, OwnTextureLoadsOnFirstBindWithRedFirst)
{
    Texture_SDL* t = Make("own.png", 8, 4, 0xFF302010u, false, 0); // bytes 10 20 30
    EXPECT_FALSE(t->IsLoaded());
    EXPECT_EQ(t->GetGlName(), 0u);
    renderer_->SetTexture(1, t);
    EXPECT_TRUE(t->IsLoaded());
    ASSERT_NE(t->GetGlName(), 0u);
    EXPECT_EQ(renderer_->GetBoundTexture(1), t);
    g_gl.ActiveTexture(GL_TEXTURE1);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), t->GetGlName());
    uint8_t px[8 * 4 * 4];
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px);
    g_gl.ActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(px[0], 0x10);
    EXPECT_EQ(px[1], 0x20);
    EXPECT_EQ(px[2], 0x30);
    // Already bound: nothing happens, even if GL's binding was changed behind it.
    g_gl.ActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    g_gl.ActiveTexture(GL_TEXTURE0);
    renderer_->SetTexture(1, t);
    g_gl.ActiveTexture(GL_TEXTURE1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    g_gl.ActiveTexture(GL_TEXTURE0);
    renderer_->BindTexture(1, nullptr);
    EXPECT_EQ(renderer_->GetBoundTexture(1), nullptr);
    renderer_->SetTexture(7, t); // no such unit: ignored
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
}

TEST_F(TextureGlTest, BadFilesLeaveTheTextureEmpty)
{
    Texture_SDL* missing = Make("m.png", 4, 4, 0xFF0000FFu, false, 0);
    std::filesystem::remove(game_.File("m.png"));
    Texture_SDL* truncated = Make("t.png", 64, 64, 0xFF00FF00u, false, 0);
    std::filesystem::resize_file(game_.File("t.png"), 60);
    Texture_SDL* garbage = Make("g.png", 4, 4, 0xFF00FF00u, true, 3);
    std::ofstream(game_.File("g.png"), std::ios::binary | std::ios::trunc) << "not a picture at all";
    renderer_->CreateAtlas(3, 0);
    for (Texture_SDL* t : {missing, truncated})
        renderer_->BindTexture(0, t);
    EXPECT_TRUE(renderer_->PrepareTextures());
    for (Texture_SDL* t : {missing, truncated, garbage}) {
        EXPECT_TRUE(t->IsLoaded());
        EXPECT_EQ(t->GetGlName(), 0u);
        EXPECT_EQ(t->GetAtlas(), nullptr);
    }
}

TEST_F(TextureGlTest, PrepareTexturesPacksByKindAndAFullAtlasStartsTheNext)
{
    const int W = renderer_->GetAtlasWidth();
    renderer_->CreateAtlas(1, 0);
    renderer_->CreateAtlas(2, 0);
    renderer_->CreateAtlas(1, 0);
    const int big = W * 3 / 4;
    Texture_SDL* a = Make("a.png", big, big, 0xFF0000FFu, true, 1);  // red
    Texture_SDL* b = Make("b.png", big, big, 0xFF00FF00u, true, 1);  // green: no room left in the first
    Texture_SDL* c = Make("c.png", 16, 16, 0xFFFF0000u, true, 2);    // blue, the other kind
    Texture_SDL* d = Make("d.png", 16, 8, 0xFF00FFFFu, true, 1);     // yellow, into the first's strip
    Texture_SDL* none = Make("n.png", 16, 16, 0xFF808080u, true, 9); // no atlas of its kind
    ASSERT_TRUE(renderer_->PrepareTextures());
    Texture_SDL* first = renderer_->GetAtlasAt(0);
    Texture_SDL* other = renderer_->GetAtlasAt(1);
    Texture_SDL* second = renderer_->GetAtlasAt(2);
    EXPECT_EQ(a->GetAtlas(), first);
    EXPECT_EQ(b->GetAtlas(), second);
    EXPECT_EQ(c->GetAtlas(), other);
    EXPECT_EQ(d->GetAtlas(), first);
    EXPECT_EQ(none->GetAtlas(), nullptr);
    EXPECT_EQ(a->GetAtlasX(), 0);
    EXPECT_EQ(d->GetAtlasX(), big); // the strip right of the first image
    EXPECT_EQ(d->GetAtlasY(), 0);
    EXPECT_FALSE(first->HasStagingPixels());
    // The atlases hold the pixels, red first, at the places recorded.
    EXPECT_EQ(AtlasPixel(first, 5, 5) & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(AtlasPixel(first, d->GetAtlasX() + 3, d->GetAtlasY() + 3) & 0xFFFFFFu, 0x00FFFFu);
    EXPECT_EQ(AtlasPixel(second, 1, 1) & 0xFFFFFFu, 0x00FF00u);
    EXPECT_EQ(AtlasPixel(other, 15, 15) & 0xFFFFFFu, 0xFF0000u);
    float u0, v0, u1, v1;
    d->GetFullTexCoords(&u0, &v0, &u1, &v1);
    EXPECT_FLOAT_EQ(u0, (big + 0.5f) / W);
    EXPECT_FLOAT_EQ(v1, 7.5f / W);
    // A packed texture binds its atlas; BindAtlas forgets the cache entry.
    renderer_->SetTexture(0, d);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), first->GetGlName());
    renderer_->BindAtlas(0, 2);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), other->GetGlName());
    EXPECT_EQ(renderer_->GetBoundTexture(0), nullptr);
    renderer_->SetTexture(0, d);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), first->GetGlName());
    // Once per renderer; a packed texture made later stays unloaded.
    Texture_SDL* late = Make("late.png", 8, 8, 0xFFFFFFFFu, true, 1);
    EXPECT_TRUE(renderer_->PrepareTextures());
    renderer_->SetTexture(0, late);
    EXPECT_FALSE(late->IsLoaded());
}

TEST(EngineTextures, CacheByNameAndShutdown)
{
    REQUIRE_DISPLAY();
    IEngine* e = GetEngine();
    // The engine's files live under the game folder it was started in.
    const std::string folder = "render-test-gfx-" + std::to_string(getpid());
    const std::string disk = Util::ToOs(e->GetFileManager()->GetGameDir()) + "/" + folder;
    TestSupport::MakeDirs(disk);
    TestSupport::WritePng(disk + "/ok.png", 6, 5, Solid(6, 5, 0xFF112233u));
    TestSupport::WritePng(disk + "/cut.png", 64, 64, Solid(64, 64, 0xFF112233u));
    std::filesystem::resize_file(disk + "/cut.png", 70);
    {
        // A header claiming an absurd size.
        std::vector<uint8_t> bytes = TestSupport::ReadAll(disk + "/ok.png");
        bytes[16] = 0x7F; // width's high byte
        TestSupport::WriteAll(disk + "/huge.png", bytes);
    }
    const std::u16string ok = U16(folder + "/ok.png"), cut = U16(folder + "/cut.png"), huge = U16(folder + "/huge.png");

    ASSERT_TRUE(e->Init());
    EXPECT_EQ(e->LoadTexture(ok.c_str(), false, 0), nullptr); // no renderer yet
    IRenderer* r = e->CreateRenderer(2);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(e->CreateRenderer(2), r);
    EXPECT_EQ(e->CreateRenderer(1), r);
    EXPECT_EQ(e->GetInput(), static_cast<IInput*>(static_cast<Renderer_SDL*>(r)));
    r->SetUseFonts(false);
    ASSERT_TRUE(r->Init(64, 64, 32, false, false));
    ITexture* t = e->LoadTexture(ok.c_str(), false, 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(e->LoadTextureEx(ok.c_str(), true, 4), t);
    EXPECT_EQ(std::u16string(t->GetName()), ok);
    EXPECT_EQ(t->GetWidth(), 6);
    EXPECT_EQ(t->GetHeight(), 5);
    EXPECT_EQ(e->LoadTexture(U16(folder + "/none.png").c_str(), false, 0), nullptr);
    EXPECT_EQ(e->LoadTexture(huge.c_str(), false, 0), nullptr);
    ITexture* c = e->LoadTexture(cut.c_str(), false, 0); // the header is whole, the pixels are not
    ASSERT_NE(c, nullptr);
    r->BindTexture(0, t);
    r->BindTexture(0, c);
    EXPECT_NE(static_cast<Texture_SDL*>(t)->GetGlName(), 0u);
    EXPECT_EQ(static_cast<Texture_SDL*>(c)->GetGlName(), 0u);
    t->Release(); // the cache keeps it
    EXPECT_EQ(e->LoadTexture(ok.c_str(), false, 0), t);

    int w = 0, h = 0;
    uint32_t* pixels = nullptr;
    ASSERT_TRUE(e->LoadImagePixels(ok.c_str(), &w, &h, &pixels));
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 5);
    EXPECT_EQ(pixels[29], 0xFF332211u);
    delete[] pixels;
    pixels = nullptr;
    EXPECT_FALSE(e->LoadImagePixels(cut.c_str(), &w, &h, &pixels));
    EXPECT_EQ(pixels, nullptr);

    e->Shutdown();
    EXPECT_EQ(e->GetInput(), nullptr);
    EXPECT_EQ(e->CreateRenderer(1), nullptr);
    e->Shutdown();
    std::filesystem::remove_all(disk);
}
