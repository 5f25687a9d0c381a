// The Editor program's start-up to its first drawn frame of the largest
// default level, beside the same start-up with no level opened (the
// yardstick): the process is started, binds the engine and the game,
// builds its palettes, loads the level and draws the view. In milliseconds;
// skipped without an X display.
#include "support/ChildProcess.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string LargestLevel(const std::string& folder)
{
    std::string best;
    uintmax_t size = 0;
    for (const auto& e : fs::directory_iterator(folder + "/levels"))
        if (e.path().extension() == ".lvl" && e.file_size() > size)
            size = e.file_size(), best = "levels/" + e.path().filename().string();
    return best;
}

void StartUp(benchmark::State& state, bool withLevel)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no X display");
        return;
    }
    TestSupport::TempDir dir;
    const std::string folder = dir.File("game");
    TestSupport::LayOutEditorFolder(folder);
    std::ofstream(dir.File("first.script")) << "wait-draw\nprint first frame\nexit\n";
    setenv("VORNHAL_UI", "headless", 1);
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    std::vector<std::string> args = {"--script", dir.File("first.script")};
    if (withLevel)
        args.push_back(LargestLevel(folder));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TestSupport::ChildProcess editor(std::string(VORNHAL_BUILD_DIR) + "/Editor", args, folder);
        if (!editor.WaitFor("first frame\n", 120000)) {
            state.SkipWithError(("the editor drew nothing: " + editor.Output()).c_str());
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (editor.WaitExit(60000) != 0) {
            state.SkipWithError(("the editor failed: " + editor.Output()).c_str());
            return;
        }
    }
}

void BM_EditorToFirstFrame_LargestLevel(benchmark::State& state) { StartUp(state, true); }
void BM_EditorToFirstFrame_NoLevel(benchmark::State& state) { StartUp(state, false); }

BENCHMARK(BM_EditorToFirstFrame_NoLevel)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EditorToFirstFrame_LargestLevel)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
