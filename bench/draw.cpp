// 65,000 sprites in one batch against a raw-OpenGL program that draws the
// same quads from one vertex buffer, and a full 1024 x 768 view of block
// meshes.

#include "engine/core/IEngine.h"
#include "engine/render/GlFunctions.h"
#include "engine/render/IBlockMesh.h"
#include "engine/render/ISprite.h"
#include "engine/render/Quad.h"
#include "engine/render/Renderer_SDL.h"
#include "engine/render/SpritePainter_SDL.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kSprites = 65000;
Renderer_SDL* g_renderer = nullptr;

Quad SpriteQuad(int i, float shift)
{
    Quad q;
    const float x = float(i % 256) * 4.0f + shift, y = float(i / 256) * 3.0f;
    q.topLeft = {x, y};
    q.topRight = {x + 4, y};
    q.bottomLeft = {x, y + 3};
    q.bottomRight = {x + 4, y + 3};
    q.r = uint8_t(i);
    q.g = uint8_t(i >> 8);
    return q;
}

// Every sprite moves each frame, so the whole position section is uploaded.
void BM_SpritePainter65000(benchmark::State& state)
{
    SpritePainter_SDL painter;
    painter.Init(kSprites);
    std::vector<ISprite*> sprites;
    for (int i = 0; i < kSprites; ++i) {
        ISprite* s = painter.CreateSprite(i & 7);
        Quad q = SpriteQuad(i, 0);
        s->Set(&q, 0.0f);
        s->SetVisible(true);
        sprites.push_back(s);
    }
    painter.Draw(0, 0, 1024, 768, false);
    float shift = 0;
    for (auto _ : state) {
        shift = shift == 0 ? 1.0f : 0.0f;
        for (int i = 0; i < kSprites; ++i) {
            Quad q = SpriteQuad(i, shift);
            sprites[size_t(i)]->SetCorners(&q);
        }
        painter.Draw(0, 0, 1024, 768, false);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * kSprites);
}

// The yardstick: the same quads rewritten into one buffer and drawn.
void BM_RawVertexBuffer65000(benchmark::State& state)
{
    struct Vertex {
        float x, y, z;
        uint8_t rgba[4];
        float u, v;
    };
    std::vector<Vertex> vertices(size_t(kSprites) * 4);
    GLuint vbo = 0;
    g_gl.GenBuffers(1, &vbo);
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, vbo);
    g_gl.BufferData(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(vertices.size() * sizeof(Vertex)), nullptr, GL_DYNAMIC_DRAW_ARB);
    float shift = 0;
    for (auto _ : state) {
        shift = shift == 0 ? 1.0f : 0.0f;
        for (int i = 0; i < kSprites; ++i) {
            const Quad q = SpriteQuad(i, shift);
            const Vector2* c[4] = {&q.topLeft, &q.topRight, &q.bottomRight, &q.bottomLeft};
            for (int k = 0; k < 4; ++k)
                vertices[size_t(i) * 4 + k] = {c[k]->x, c[k]->y, 0, {q.r, q.g, q.b, q.a}, 0, 0};
        }
        g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, vbo);
        g_gl.BufferSubData(GL_ARRAY_BUFFER_ARB, 0, GLsizeiptrARB(vertices.size() * sizeof(Vertex)), vertices.data());
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(Vertex), nullptr);
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), reinterpret_cast<const void*>(12));
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(16));
        glDrawArrays(GL_QUADS, 0, GLsizei(vertices.size()));
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
        glFinish();
    }
    g_gl.DeleteBuffers(1, &vbo);
    state.SetItemsProcessed(state.iterations() * kSprites);
}

// A 256 x 256 block world, viewed 1024 x 768 pixels at a time.
void BM_BlockMeshView(benchmark::State& state)
{
    IBlockMesh* mesh = g_renderer->CreateBlockMesh(1, 256, 256);
    for (int row = 0; row < 256; ++row)
        for (int col = 0; col < 256; ++col) {
            if ((row * 7 + col * 3) % 11 == 0)
                continue;
            Quad q;
            q.topLeft = {col * 32.0f, row * 32.0f};
            q.topRight = {col * 32.0f + 32, row * 32.0f};
            q.bottomLeft = {col * 32.0f, row * 32.0f + 32};
            q.bottomRight = {col * 32.0f + 32, row * 32.0f + 32};
            mesh->SetBlock(&q, 0);
        }
    mesh->Build();
    int x = 0;
    for (auto _ : state) {
        x = (x + 96) % 4096;
        g_renderer->SetTranslation(float(-x), float(-x), 0);
        mesh->Bind();
        mesh->DrawRect(x, x, x + 1024, x + 768);
        mesh->Unbind();
        glFinish();
    }
    g_renderer->ResetTranslation();
    delete mesh;
}

BENCHMARK(BM_SpritePainter65000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawVertexBuffer65000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlockMeshView)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::printf("bench_draw: skipped, no X display (run under xvfb-run -a)\n");
        return 0;
    }
    Renderer_SDL renderer(GetEngine(), nullptr);
    if (!renderer.Init(1024, 768, 32, false, false)) {
        std::printf("bench_draw: skipped, no GL window could be opened\n");
        return 0;
    }
    g_renderer = &renderer;
    glDisable(GL_TEXTURE_2D);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    renderer.Shutdown();
    return 0;
}
