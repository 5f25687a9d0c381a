// The level editor on the largest default level: one frame as the editor's
// timer makes it (Update, then the view drawn; the 20 ms hold between two
// draws left out), beside an empty frame of the same window; and the fill
// tool's flood fill over a whole 256 x 256 map. In milliseconds.
#include "engine/core/StringKit.h"
#include "game/world/map/World.h"
#include "support/DisplayCheck.h"
#include "support/GameFolder.h"
#include "tests/game/shell/editor/EditorRig.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

EditorTest::Session* g_session = nullptr;

// The session on the largest default level, or null without a display.
EditorTest::Session* OpenSession(const std::string& folder)
{
    if (!HaveDisplay())
        return nullptr;
    TestSupport::LayOutGameFolder(folder);
    auto* s = new EditorTest::Session();
    std::string why;
    if (!s->Open(folder, &why)) {
        std::fprintf(stderr, "editor session: %s\n", why.c_str());
        delete s;
        return nullptr;
    }
    std::u16string largest;
    int cells = 0;
    for (const char* name : {"tdm_riotcity", "ctf_harbour", "koh_quarry"}) {
        const std::u16string path = Util::Widen((folder + "/levels/" + name + ".lvl").c_str());
        int w = 0, h = 0;
        if (s->ui->LoadLevelByName(path.c_str()) && (s->ui->GetLevelSize(&w, &h), w * h > cells))
            cells = w * h, largest = path;
    }
    s->ui->LoadLevelByName(largest.c_str());
    // The middle of the map in view; the first frame loads the shaders and
    // uploads the pictures, and is not counted.
    s->ui->CenterViewOnMiniMap(100, 100);
    s->game->DrawEditorView(s->window);
    return s;
}

void BM_EditorFrame(benchmark::State& state)
{
    if (!g_session) {
        state.SkipWithError("no display");
        return;
    }
    IEditorUI* ui = g_session->ui;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ui->Update());
        g_session->game->DrawEditorView(g_session->window);
    }
}
BENCHMARK(BM_EditorFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EmptyFrame(benchmark::State& state)
{
    if (!g_session) {
        state.SkipWithError("no display");
        return;
    }
    IRenderer* renderer = g_session->renderer;
    for (auto _ : state) {
        renderer->MakeWindowCurrent(g_session->window, 1024, 768);
        renderer->PrepareTextures();
        renderer->BeginScene();
        renderer->EndScene();
        renderer->PresentWindow(g_session->window, 0, 0, 1024, 768, 0, 0, 1024, 768);
    }
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FloodFill256(benchmark::State& state)
{
    World world(nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        world.ReplaceCells(256, 256, {});
        state.ResumeTiming();
        world.FillRegion(128, 128, 1);
    }
    state.counters["cells"] = double(world.GetBlockAt(0, 0) == 1 && world.GetBlockAt(255, 255) == 1 ? 65536 : 0);
}
BENCHMARK(BM_FloodFill256)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TestSupport::TempDir dir;
    g_session = OpenSession(dir.File("game"));
    benchmark::RunSpecifiedBenchmarks();
    delete g_session;
    benchmark::Shutdown();
    return 0;
}
