// Packing 500 small pictures into an atlas and uploading them, against a
// raw glTexSubImage2D of the same pixels into one texture.

#include "engine/core/IEngine.h"
#include "engine/render/Renderer_SDL.h"
#include "engine/render/Texture_SDL.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kCount = 500;
constexpr int kSide = 32;
Renderer_SDL* g_renderer = nullptr;

std::vector<std::vector<uint32_t>> Pictures()
{
    std::vector<std::vector<uint32_t>> all(kCount);
    for (int i = 0; i < kCount; ++i)
        all[i].assign(kSide * kSide, 0xFF000000u | uint32_t(i * 2654435761u));
    return all;
}

void BM_AtlasPackAndUpload(benchmark::State& state)
{
    const auto pictures = Pictures();
    const int size = g_renderer->GetAtlasWidth();
    for (auto _ : state) {
        Texture_SDL atlas(nullptr, nullptr);
        atlas.SetSize(size, size);
        atlas.ResetFreeAreas(size, size);
        for (const auto& p : pictures) {
            int x = 0, y = 0;
            if (atlas.AllocateArea(kSide, kSide, &x, &y))
                atlas.WritePixels(p.data(), x, y, kSide, kSide);
        }
        atlas.Upload();
        glFinish();
        atlas.Unload(true);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_RawTexSubImage(benchmark::State& state)
{
    const auto pictures = Pictures();
    const int size = g_renderer->GetAtlasWidth();
    for (auto _ : state) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        const int perRow = size / kSide;
        for (int i = 0; i < kCount; ++i)
            glTexSubImage2D(GL_TEXTURE_2D, 0, (i % perRow) * kSide, (i / perRow) * kSide, kSide, kSide, GL_RGBA,
                            GL_UNSIGNED_BYTE, pictures[i].data());
        glFinish();
        glDeleteTextures(1, &name);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

BENCHMARK(BM_AtlasPackAndUpload)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawTexSubImage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::printf("bench_render: skipped, no X display (run under xvfb-run -a)\n");
        return 0;
    }
    Renderer_SDL renderer(GetEngine());
    renderer.SetUseFonts(false);
    if (!renderer.Init(256, 256, 32, false, false)) {
        std::printf("bench_render: skipped, no GL window could be opened\n");
        return 0;
    }
    g_renderer = &renderer;
    // Keep freed atlas-sized blocks in the heap: otherwise whichever row
    // runs first pays the kernel's faults on fresh mappings for both.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    renderer.Shutdown();
    return 0;
}
