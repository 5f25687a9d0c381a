#include "DrawTestSupport.h"

#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/render/BlockMesh_SDL.h"
#include "engine/render/SpritePainter_SDL.h"
#include "engine/render/Sprite_SDL.h"
#include "engine/render/VertexBuffer_SDL.h"

#include <GL/gl.h>

#include <cstring>

using namespace DrawTest;

namespace {
using Batches = DrawFixture;

Quad Coloured(float x0, float y0, float x1, float y1, uint8_t r, uint8_t g, uint8_t b)
{
    Quad q = Rect(x0, y0, x1, y1);
    q.r = r;
    q.g = g;
    q.b = b;
    return q;
}
} // namespace

// Layout checks need no GL: a buffer without a context keeps its client copy.
TEST(VertexLayouts, KindsWriteTheirCornersAndWeights)
{
    Quad q = Rect(0, 0, 10, 20);
    q.texLeft = 0.25f;
    q.tex2Right = 0.75f;
    q.r = 1;
    q.a = 4;
    VertexBuffer_SDL k3(3);
    k3.SetQuads(&q, 1);
    ASSERT_EQ(k3.GetVertices().size(), 32u);
    const float* v = k3.GetVertices().data();
    EXPECT_EQ(v[8 * 2 + 0], 10.0f); // bottom-right third
    EXPECT_EQ(v[8 * 2 + 6], 10.0f);
    EXPECT_EQ(v[8 * 2 + 7], 20.0f);
    EXPECT_EQ(v[2], 1.0f);
    uint8_t colour[4];
    std::memcpy(colour, v + 3, 4);
    EXPECT_EQ(colour[0], 1);
    EXPECT_EQ(colour[3], 4);
    EXPECT_EQ(v[4], 0.25f);

    VertexBuffer_SDL k4(4);
    k4.SetQuads(&q, 1);
    EXPECT_TRUE(k4.GetVertices().empty());
    const float r1[4] = {1, 2, 3, 4}, r2[4] = {5, 6, 7, 8}, r3[4] = {9, 10, 11, 12};
    const int flags[1] = {1};
    k4.SetLayeredQuads(&q, r1, r2, r3, flags, 1);
    ASSERT_EQ(k4.GetVertices().size(), 64u);
    const float* w = k4.GetVertices().data();
    EXPECT_EQ(w[16 * 1 + 6], 3.0f);  // top-right: u1 of set 1
    EXPECT_EQ(w[16 * 1 + 12], 1.0f); // bit 0 set
    EXPECT_EQ(w[16 * 3 + 13], 0.0f); // bit 1 clear
    EXPECT_EQ(w[16 * 2 + 15], 1.0f);
    const int all[1] = {255};
    k4.SetLayeredQuads(&q, r1, r2, r3, all, 1);
    EXPECT_EQ(k4.GetVertices()[16 * 2 + 12], 0.0f);
    // Quads outside the buffer are ignored.
    k4.UpdateQuad(&q, 1);
    k4.UpdateQuad(&q, -1);
    EXPECT_EQ(k4.GetVertices().size(), 64u);
}

TEST(BlockCells, CentresPickTheirCellAndStaleIndicesAreSkipped)
{
    BlockMesh_SDL mesh(new VertexBuffer_SDL(1), 4, 4);
    EXPECT_EQ(mesh.CellOf(Rect(24, 54, 56, 86)), 1 + 2 * 4);
    EXPECT_EQ(mesh.CellOf(Rect(-26, 0, 6, 32)), -1); // centre x = -10
    EXPECT_EQ(mesh.CellOf(Rect(0, 120, 32, 152)), -1);
    Quad q = Rect(0, 0, 32, 32);
    mesh.SetBlock(&q, 1);
    mesh.UpdateBlock(&q); // set but not built: no buffer place yet
    EXPECT_EQ(mesh.GetCellIndex(0), BlockMesh_SDL::kUnbuilt);
    EXPECT_TRUE(mesh.Build());
    EXPECT_EQ(mesh.GetCellIndex(0), 0);
}

TEST(SpriteOrder, EqualOrdersKeepTheirCreationOrder)
{
    SpritePainter_SDL painter;
    ISprite* a = painter.CreateSprite(5);
    ISprite* b = painter.CreateSprite(3);
    ISprite* c = painter.CreateSprite(5);
    ASSERT_EQ(painter.GetSpriteCount(), 3);
    EXPECT_EQ(painter.GetSprite(0), b);
    EXPECT_EQ(painter.GetSprite(1), a);
    EXPECT_EQ(painter.GetSprite(2), c);
    SpritePainter_SDL other;
    other.DestroySprite(a); // not its sprite
    EXPECT_EQ(painter.GetSpriteCount(), 3);
}

TEST_F(Batches, SpritesAddMoveHideAndRemoveInOneDrawCall)
{
    SpritePainter_SDL painter;
    ASSERT_TRUE(painter.Init(100));
    ISprite* red = painter.CreateSprite(1);
    ISprite* green = painter.CreateSprite(2);
    ISprite* blue = painter.CreateSprite(3);
    Quad qr = Coloured(10, 10, 60, 60, 255, 0, 0), qg = Coloured(40, 40, 90, 90, 0, 255, 0),
         qb = Coloured(200, 10, 250, 60, 0, 0, 255);
    red->Set(&qr, 0.0f);
    green->Set(&qg, 0.0f);
    blue->Set(&qb, 0.0f);
    for (ISprite* s : {red, green, blue})
        s->SetVisible(true);
    glDisable(GL_TEXTURE_2D);
    painter.Draw(0, 0, 1024, 768, false);
    std::vector<uint32_t> px = Read();
    EXPECT_EQ(Green(PixelAt(px, 1024, 50, 50)), 255); // later order on top
    EXPECT_EQ(Blue(PixelAt(px, 1024, 220, 30)), 255);
    ExpectMatchesGolden("sprites_first", px, 1024, 768);

    renderer_->BeginScene();
    painter.Draw(0, 0, 1024, 768, true);
    px = Read();
    EXPECT_EQ(Red(PixelAt(px, 1024, 50, 50)), 255); // reversed: first order on top

    const int slot = static_cast<Sprite_SDL*>(blue)->GetSlot();
    qr = Coloured(300, 300, 350, 350, 255, 0, 0);
    red->SetCorners(&qr);
    blue->SetVisible(false);
    painter.DestroySprite(green);
    renderer_->BeginScene();
    painter.Draw(0, 0, 1024, 768, false);
    px = Read();
    EXPECT_EQ(Red(PixelAt(px, 1024, 320, 320)), 255);
    EXPECT_EQ(Red(PixelAt(px, 1024, 20, 20)), 0);
    EXPECT_EQ(Green(PixelAt(px, 1024, 80, 80)), 0);
    EXPECT_EQ(Blue(PixelAt(px, 1024, 220, 30)), 0);
    EXPECT_EQ(painter.GetEntryCount(), 1);
    EXPECT_EQ(static_cast<Sprite_SDL*>(blue)->GetSlot(), slot); // hidden keeps its slot
    ExpectMatchesGolden("sprites_moved", px, 1024, 768);
    // A new sprite takes the hidden one's slot.
    ISprite* yellow = painter.CreateSprite(4);
    Quad qy = Coloured(500, 500, 520, 520, 255, 255, 0);
    yellow->Set(&qy, 0.0f);
    yellow->SetVisible(true);
    painter.Draw(0, 0, 1024, 768, false);
    EXPECT_EQ(static_cast<Sprite_SDL*>(yellow)->GetSlot(), slot);
    EXPECT_EQ(static_cast<Sprite_SDL*>(blue)->GetSlot(), -1);
    for (int i = 0; i < painter.GetEntryCount(); ++i)
        EXPECT_EQ(std::memcmp(painter.GetEntry(i, false), painter.GetEntry(painter.GetEntryCount() - 1 - i, true), 16),
                  0);
    EXPECT_EQ(Red(PixelAt(Read(), 1024, 510, 510)), 255);
}

// Slots past 16383 would wrap with 16-bit indices.
TEST_F(Batches, SpritesInHighSlotsDrawWhereTheyAre)
{
    SpritePainter_SDL painter;
    ASSERT_TRUE(painter.Init(20000));
    const int n = 17000;
    std::vector<ISprite*> sprites;
    for (int i = 0; i < n; ++i) {
        ISprite* s = painter.CreateSprite(0);
        Quad q = i == n - 1 ? Coloured(100, 100, 140, 140, 255, 0, 0) : Coloured(-50, -50, -40, -40, 0, 255, 0);
        s->Set(&q, 0.0f);
        s->SetVisible(true);
    }
    glDisable(GL_TEXTURE_2D);
    painter.Draw(0, 0, 1024, 768, false);
    EXPECT_EQ(painter.GetEntryCount(), n);
    const std::vector<uint32_t> px = Read();
    EXPECT_EQ(Red(PixelAt(px, 1024, 120, 120)), 255);
    EXPECT_EQ(Green(PixelAt(px, 1024, 120, 120)), 0);
}

TEST_F(Batches, BlockMeshDrawsOnlyTheRowsInsideTheView)
{
    IBlockMesh* mesh = renderer_->CreateBlockMesh(1, 8, 8);
    ASSERT_NE(mesh, nullptr);
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col) {
            if (row == 3 && col == 2)
                continue; // a gap splits row 3 into two runs
            Quad q = Coloured(col * 32.0f, row * 32.0f, col * 32.0f + 32, row * 32.0f + 32, uint8_t(30 * col),
                              uint8_t(255 - 30 * row), 200);
            mesh->SetBlock(&q, 0);
        }
    EXPECT_TRUE(mesh->Build());
    glDisable(GL_TEXTURE_2D);
    mesh->Bind();
    mesh->DrawRect(40, 70, 200, 130);                                  // columns 1..6, rows 2..4
    static_cast<BlockMesh_SDL*>(mesh)->GetBuffer()->DrawRange(60, 10); // past the end: nothing
    mesh->Unbind();
    const std::vector<uint32_t> px = Read();
    EXPECT_EQ(Blue(PixelAt(px, 1024, 50, 80)), 200);   // col 1 row 2
    EXPECT_EQ(Blue(PixelAt(px, 1024, 50, 40)), 0);     // row 1 outside
    EXPECT_EQ(Blue(PixelAt(px, 1024, 50, 170)), 0);    // row 5 outside
    EXPECT_EQ(Blue(PixelAt(px, 1024, 10, 80)), 0);     // col 0 outside
    EXPECT_EQ(Blue(PixelAt(px, 1024, 80, 110)), 0);    // the gap
    EXPECT_EQ(Blue(PixelAt(px, 1024, 110, 110)), 200); // after the gap
    EXPECT_EQ(Red(PixelAt(px, 1024, 110, 110)), 90);
    ExpectMatchesGolden("block_mesh_view", px, 1024, 768);
    delete mesh;
}

TEST_F(Batches, GameMapSavedLoadedFromAnotherSizeAndCaptured)
{
    // A 256 x 256 picture doubles each pixel.
    std::vector<uint32_t> small(256 * 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            small[size_t(y) * 256 + x] = 0xFF000000u | uint32_t(x) | (uint32_t(y) << 8) | (77u << 16);
    const std::string smallPath = game_.File("small.png");
    TestSupport::WritePng(smallPath, 256, 256, small);
    ASSERT_TRUE(renderer_->LoadGameMapImage(Util::FromOs(smallPath).c_str()));
    const std::string saved = game_.File("saved.png");
    ASSERT_TRUE(renderer_->SaveGameMapImage(Util::FromOs(saved).c_str()));
    int w = 0, h = 0;
    std::vector<uint32_t> big;
    ASSERT_TRUE(TestSupport::ReadPng(saved, &w, &h, &big));
    ASSERT_EQ(w, 512);
    ASSERT_EQ(h, 512);
    for (int y : {0, 1, 2, 301, 511})
        for (int x : {0, 1, 3, 400, 511}) {
            const uint32_t p = big[size_t(y) * 512 + x]; // 0xAARRGGBB
            EXPECT_EQ(int((p >> 16) & 255), x / 2);
            EXPECT_EQ(int((p >> 8) & 255), y / 2);
            EXPECT_EQ(int(p & 255), 77);
        }
    EXPECT_FALSE(renderer_->LoadGameMapImage(u"/nonexistent/map.png"));

    // Encoded bytes decode to the same picture; a narrow picture resamples.
    void* data = nullptr;
    int size = 0;
    ASSERT_TRUE(renderer_->EncodeGameMapImage(&data, &size));
    std::vector<uint8_t> encoded(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    TestSupport::WriteFuzzSeed("png_reader", "gamemap.png", encoded);
    std::vector<uint32_t> narrow(1 * 512, 0xFF0000FFu);
    const std::string narrowPath = game_.File("narrow.png");
    TestSupport::WritePng(narrowPath, 1, 512, narrow);
    const std::vector<uint8_t> narrowBytes = TestSupport::ReadAll(narrowPath);
    ASSERT_TRUE(renderer_->DecodeGameMapImage(narrowBytes.data(), int(narrowBytes.size())));
    EXPECT_FALSE(renderer_->DecodeGameMapImage("not a png", 9));
    ASSERT_TRUE(renderer_->DecodeGameMapImage(encoded.data(), int(encoded.size())));
    void* again = nullptr;
    int againSize = 0;
    ASSERT_TRUE(renderer_->EncodeGameMapImage(&again, &againSize));
    EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(again), static_cast<uint8_t*>(again) + againSize), encoded);

    // The target has y upwards: a band at y 0..10 becomes the first rows.
    renderer_->BeginGameMapRender();
    renderer_->ClearColor(0, 0, 0, 0);
    Quad band = Rect(0, 0, 512, 10);
    renderer_->FillQuad(&band, 0x00FF00, 1.0f);
    renderer_->CaptureGameMap();
    renderer_->EndTargetRender();
    ASSERT_TRUE(renderer_->EncodeGameMapImage(&data, &size));
    const std::string capturedPath = game_.File("captured.png");
    TestSupport::WriteAll(capturedPath, data, size_t(size));
    ASSERT_TRUE(TestSupport::ReadPng(capturedPath, &w, &h, &big));
    EXPECT_EQ(big[5 * 512 + 100], 0xFF00FF00u);
    EXPECT_EQ(big[20 * 512 + 100], 0xFF000000u); // alpha forced to 255
    EXPECT_EQ(renderer_->GetViewWidth(), 1024);
}

TEST_F(Batches, MiniMapTargetTwiceAndEndWithoutTarget)
{
    renderer_->EndTargetRender();
    EXPECT_EQ(renderer_->GetViewWidth(), 1024);
    EXPECT_TRUE(renderer_->PrepareMiniMapTarget());
    ASSERT_TRUE(renderer_->BeginMiniMapRender());
    EXPECT_EQ(renderer_->GetViewWidth(), 256);
    EXPECT_TRUE(renderer_->BeginMiniMapRender());
    EXPECT_EQ(renderer_->GetViewWidth(), 256);
    renderer_->EndTargetRender();
    EXPECT_EQ(renderer_->GetViewWidth(), 1024);
    EXPECT_TRUE(renderer_->BindMiniMapTexture());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
