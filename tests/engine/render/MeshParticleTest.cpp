#include "DrawTestSupport.h"

#include "engine/render/IParticle.h"
#include "engine/render/Mesh_SDL.h"
#include "engine/render/ParticlePainter_SDL.h"
#include "engine/render/VertexBuffer_SDL.h"

#include <GL/gl.h>

#include <climits>

using namespace DrawTest;

namespace {

using QuadMeshes = DrawFixture;
using Particles = DrawFixture;

std::vector<uint32_t> Solid(int w, int h, uint32_t colour) { return std::vector<uint32_t>(size_t(w) * h, colour); }

// Pixels of the window that are not black.
int LitPixels(const std::vector<uint32_t>& px)
{
    int n = 0;
    for (uint32_t p : px)
        n += (p & 0x00FFFFFFu) != 0;
    return n;
}

} // namespace

// Quads are kept in (texture, cell) batches ordered by their 32-pixel row
// band; a view draws each batch's bands that meet it, and a quad outside
// every cell is always drawn.
TEST_F(QuadMeshes, BatchesKeepRowOrderAndDrawOnlyTheBandsInView)
{
    Texture_SDL* red = MakeTexture("red.png", 4, 4, Solid(4, 4, Rgb(255, 0, 0)));
    Texture_SDL* green = MakeTexture("green.png", 4, 4, Solid(4, 4, Rgb(0, 255, 0)));
    IMesh* mesh = renderer_->CreateMesh(1);
    ASSERT_NE(mesh, nullptr);
    Mesh_SDL* m = static_cast<Mesh_SDL*>(mesh);
    mesh->BuildCells(256, 3);
    Quad a = Rect(10, 100, 40, 130), b = Rect(50, 10, 80, 40), c = Rect(300, 20, 330, 50), d = Rect(90, 200, 120, 230),
         e = Rect(600, 600, 630, 630), f = Rect(900, 10, 930, 40);
    mesh->AddQuad(&a, red);   // cell 0, band 3
    mesh->AddQuad(&b, red);   // cell 0, band 0: before a
    mesh->AddQuad(&c, green); // cell (1, 0)
    mesh->AddQuad(&d, red);   // cell 0, band 6: moves the green batch on
    mesh->AddQuad(&e, green); // cell (2, 2)
    mesh->AddQuad(&f, green); // no cell
    ASSERT_EQ(m->GetQuadCount(), 6);
    const float tops[6] = {10, 100, 200, 20, 600, 10};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(m->GetQuad(i).topLeft.y, tops[i]) << i;
    ASSERT_TRUE(mesh->Upload());

    mesh->Bind();
    mesh->DrawRect(0, 0, 512, 160);
    mesh->Unbind();
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    const std::vector<uint32_t> px = Read();
    EXPECT_EQ(PixelAt(px, 1024, 65, 25) & 0xFFFFFFu, 0x0000FFu);  // b, red
    EXPECT_EQ(PixelAt(px, 1024, 25, 115) & 0xFFFFFFu, 0x0000FFu); // a, red
    EXPECT_EQ(PixelAt(px, 1024, 315, 35) & 0xFFFFFFu, 0x00FF00u); // c, green
    EXPECT_EQ(PixelAt(px, 1024, 915, 25) & 0xFFFFFFu, 0x00FF00u); // f, in no cell
    EXPECT_EQ(PixelAt(px, 1024, 105, 215) & 0xFFFFFFu, 0u);       // d: its band lies below the view
    EXPECT_EQ(PixelAt(px, 1024, 615, 615) & 0xFFFFFFu, 0u);       // e: its cell lies outside
    ExpectMatchesGolden("mesh_bands", px, 1024, 768);

    renderer_->BeginScene();
    mesh->Bind();
    mesh->DrawRect(0, 180, 1024, 768);
    mesh->Unbind();
    const std::vector<uint32_t> lower = Read();
    EXPECT_EQ(PixelAt(lower, 1024, 105, 215) & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(PixelAt(lower, 1024, 615, 615) & 0xFFFFFFu, 0x00FF00u);
    EXPECT_EQ(PixelAt(lower, 1024, 25, 115) & 0xFFFFFFu, 0u);
    EXPECT_EQ(PixelAt(lower, 1024, 915, 25) & 0xFFFFFFu, 0x00FF00u);
    delete mesh;
}

// A quad added after the upload lies beyond the uploaded buffer: its batch
// draws nothing until the mesh is uploaded again.
TEST_F(QuadMeshes, QuadsAddedAfterTheUploadDrawOnceUploadedAgain)
{
    Texture_SDL* red = MakeTexture("red.png", 4, 4, Solid(4, 4, Rgb(255, 0, 0)));
    Texture_SDL* green = MakeTexture("green.png", 4, 4, Solid(4, 4, Rgb(0, 255, 0)));
    IMesh* mesh = renderer_->CreateMesh(1);
    ASSERT_NE(mesh, nullptr);
    mesh->BuildCells(512, 2);
    Quad a = Rect(10, 10, 60, 60), b = Rect(100, 10, 150, 60), late = Rect(200, 10, 250, 60);
    mesh->AddQuad(&a, red);
    mesh->AddQuad(&b, red);
    ASSERT_TRUE(mesh->Upload());
    mesh->AddQuad(&late, green);
    mesh->Bind();
    mesh->DrawRect(0, 0, 1024, 768);
    std::vector<uint32_t> px = Read();
    EXPECT_EQ(PixelAt(px, 1024, 30, 30) & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(PixelAt(px, 1024, 120, 30) & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(PixelAt(px, 1024, 220, 30) & 0xFFFFFFu, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    ASSERT_TRUE(mesh->Upload());
    mesh->Bind();
    mesh->DrawRect(0, 0, 1024, 768);
    mesh->Unbind();
    px = Read();
    EXPECT_EQ(PixelAt(px, 1024, 220, 30) & 0xFFFFFFu, 0x00FF00u);
    EXPECT_EQ(PixelAt(px, 1024, 120, 30) & 0xFFFFFFu, 0x0000FFu);
    delete mesh;

    // A mesh without a vertex buffer keeps its quads and draws nothing.
    Mesh_SDL empty(renderer_.get(), nullptr);
    empty.BuildCells(512, 2);
    empty.AddQuad(&a, red);
    EXPECT_FALSE(empty.Upload());
    empty.Bind();
    empty.DrawRect(0, 0, 1024, 768);
    empty.Unbind();
    EXPECT_EQ(empty.GetQuadCount(), 1);
}

// Ranges outside a vertex buffer draw nothing; a quad rewritten in place
// draws where it was moved to.
TEST_F(QuadMeshes, VertexBufferRangesStayInsideAndUpdatesMoveOneQuad)
{
    VertexBuffer_SDL buffer(1);
    Quad quads[2] = {Rect(10, 10, 60, 60), Rect(100, 10, 150, 60)};
    buffer.SetQuads(quads, 2);
    glDisable(GL_TEXTURE_2D);
    buffer.Bind();
    buffer.DrawRange(-1, 2);
    buffer.DrawRange(1, 2);
    buffer.DrawRange(2, 1);
    buffer.DrawRange(0, 0);
    buffer.DrawRange(1, INT_MAX);
    buffer.DrawRange(INT_MAX, 1);
    EXPECT_EQ(LitPixels(Read()), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    buffer.DrawRange(1, 1);
    std::vector<uint32_t> px = Read();
    EXPECT_EQ(Red(PixelAt(px, 1024, 120, 30)), 255);
    EXPECT_EQ(Red(PixelAt(px, 1024, 30, 30)), 0);

    Quad moved = Rect(300, 300, 340, 340);
    moved.g = 0;
    buffer.UpdateQuad(&moved, 1);
    buffer.UpdateQuad(&moved, 2); // past the end: ignored
    renderer_->BeginScene();
    buffer.DrawRange(0, 2);
    buffer.Unbind();
    px = Read();
    EXPECT_EQ(PixelAt(px, 1024, 320, 320) & 0xFFFFFFu, 0xFF00FFu); // the new corners and colour
    EXPECT_EQ(PixelAt(px, 1024, 120, 30) & 0xFFFFFFu, 0u);
    EXPECT_EQ(PixelAt(px, 1024, 30, 30) & 0xFFFFFFu, 0xFFFFFFu); // the other quad stays
    glEnable(GL_TEXTURE_2D);
}

// Particles draw as squares of their texture rectangle's width around their
// position, rotated by their angle; one outside every cell is returned but
// never drawn, and Clear frees them all. A destroyed particle stays drawn
// until then.
TEST_F(Particles, FiledParticlesDrawAndUnfiledOnesAreOnlyHeld)
{
    ParticlePainter_SDL painter;
    ASSERT_TRUE(painter.Init(2, 2, 256, 256, 16)); // cells cover (0, 0) to (512, 512)
    EXPECT_EQ(painter.GetPoolSize(), (4 + 1) * (3 + 1));
    glDisable(GL_TEXTURE_2D); // white squares
    IParticle* square = painter.CreateParticle(100, 100, 0, 0, 20, 20, nullptr);
    IParticle* turned = painter.CreateParticle(300, 100, 0, 0, 20, 20, nullptr);
    IParticle* gone = painter.CreateParticle(100, 300, 8, 0, 0, 8, nullptr); // half-size |0 - 8| / 2
    IParticle* outside = painter.CreateParticle(700, 100, 0, 0, 20, 20, nullptr);
    ASSERT_NE(outside, nullptr);
    turned->SetAngle(45);
    painter.DestroyParticle(gone);
    // Cells are numbered column by column: (0, 0), (0, 1), (1, 0), (1, 1).
    EXPECT_EQ(painter.GetParticleCount(0), 1);
    EXPECT_EQ(painter.GetParticleCount(1), 1);
    EXPECT_EQ(painter.GetParticleCount(2), 1);
    EXPECT_EQ(painter.GetParticleCount(3), 0);
    EXPECT_EQ(painter.GetUnfiledCount(), 1);
    outside->SetPosition(710, 110); // still the caller's to use

    painter.Draw(0, 0, 1024, 768, true);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    std::vector<uint32_t> px = Read();
    EXPECT_EQ(Red(PixelAt(px, 1024, 108, 108)), 255);
    EXPECT_EQ(Red(PixelAt(px, 1024, 112, 100)), 0);   // beyond the half-size
    EXPECT_EQ(Red(PixelAt(px, 1024, 312, 100)), 255); // the turned one reaches further along x
    EXPECT_EQ(Red(PixelAt(px, 1024, 308, 108)), 0);   // and no longer fills its corners
    EXPECT_EQ(Red(PixelAt(px, 1024, 101, 301)), 255); // destroyed, still drawn
    EXPECT_EQ(Red(PixelAt(px, 1024, 106, 300)), 0);
    EXPECT_EQ(Red(PixelAt(px, 1024, 710, 110)), 0); // filed nowhere, drawn never
    ExpectMatchesGolden("particles_drawn", px, 1024, 768);

    // Moved particles are rebuilt; drawing with draw = false shows nothing.
    square->SetPosition(150, 150);
    renderer_->BeginScene();
    painter.Draw(0, 0, 1024, 768, false);
    EXPECT_EQ(LitPixels(Read()), 0);
    EXPECT_EQ(painter.GetDrawnCount(0), 0);
    painter.Draw(0, 0, 1024, 768, true);
    px = Read();
    EXPECT_EQ(Red(PixelAt(px, 1024, 150, 150)), 255);
    EXPECT_EQ(Red(PixelAt(px, 1024, 100, 100)), 0);

    painter.Clear();
    EXPECT_EQ(painter.GetUnfiledCount(), 0);
    for (int cell = 0; cell < painter.GetCellCount(); ++cell)
        EXPECT_EQ(painter.GetParticleCount(cell), 0);
    renderer_->BeginScene();
    painter.Draw(0, 0, 1024, 768, true);
    EXPECT_EQ(LitPixels(Read()), 0);
    glEnable(GL_TEXTURE_2D);
}

// Particle texture coordinates come from the particle's own rectangle of
// the texture bound by the caller.
TEST_F(Particles, ParticlesShowTheirRectangleOfTheTexture)
{
    std::vector<uint32_t> sheet(64 * 32, Rgb(255, 0, 0));
    for (int y = 0; y < 32; ++y)
        for (int x = 32; x < 64; ++x)
            sheet[size_t(y) * 64 + x] = Rgb(0, 0, 255);
    Texture_SDL* texture = MakeTexture("particles.png", 64, 32, sheet);
    renderer_->SetTexture(0, texture);
    ParticlePainter_SDL painter;
    ASSERT_TRUE(painter.Init(4, 3, 256, 256, 8));
    painter.CreateParticle(100, 100, 0, 0, 32, 32, texture);
    painter.CreateParticle(200, 100, 32, 0, 64, 32, texture);
    painter.Draw(0, 0, 1024, 768, true);
    const std::vector<uint32_t> px = Read();
    EXPECT_EQ(PixelAt(px, 1024, 100, 100) & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(PixelAt(px, 1024, 200, 100) & 0xFFFFFFu, 0xFF0000u);
}

// More cells in view than buffers: the cells past the pool are skipped, and
// a later view hands the buffers of cells it left to the cells it meets.
// A cell with more particles than a buffer holds draws the ones that fit.
TEST_F(Particles, BuffersPassFromCellsLeftBehindAndFullCellsDrawWhatFits)
{
    ParticlePainter_SDL painter;
    ASSERT_TRUE(painter.Init(32, 1, 128, 768, 4));
    ASSERT_EQ(painter.GetPoolSize(), (8 + 1) * (1 + 1));
    for (int cell = 0; cell < 32; ++cell)
        painter.CreateParticle(cell * 128.0f + 64, 100, 0, 0, 16, 16, nullptr);
    for (int i = 0; i < 5; ++i)
        painter.CreateParticle(20.0f + 20 * i, 300, 0, 0, 10, 10, nullptr); // cell 0 holds six
    glDisable(GL_TEXTURE_2D);
    painter.Draw(0, 0, 4096, 768, false);
    int drawnCells = 0;
    for (int cell = 0; cell < 32; ++cell)
        drawnCells += painter.GetDrawnCount(cell) > 0;
    EXPECT_EQ(drawnCells, 0); // draw = false
    painter.Draw(0, 0, 4096, 768, true);
    for (int cell = 0; cell < 32; ++cell)
        EXPECT_EQ(painter.GetDrawnCount(cell), cell < 18 ? (cell == 0 ? 4 : 1) : 0) << cell;

    // Cells 16 to 31 are in view now; 0 to 14 lend their buffers.
    renderer_->BeginScene();
    renderer_->SetTranslation(-2048, 0, 0);
    painter.Draw(2048, 0, 4096, 768, true);
    renderer_->ResetTranslation();
    for (int cell = 15; cell < 32; ++cell)
        EXPECT_EQ(painter.GetDrawnCount(cell), 1) << cell;
    EXPECT_EQ(painter.GetDrawnCount(0), 0);
    const std::vector<uint32_t> px = Read();
    for (int cell = 16; cell < 24; ++cell)
        EXPECT_EQ(Red(PixelAt(px, 1024, (cell - 16) * 128 + 64, 100)), 255) << cell;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glEnable(GL_TEXTURE_2D);
}
