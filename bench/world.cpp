// Loading the largest default level from "game.data" the way the game does:
// open it through the file manager, read and check the whole file, put the
// grid into the world and make its wall bodies. The yardstick only reads
// the same file's bytes out of the package.
#include "game/world/map/World.h"
#include "engine/core/Engine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/render/ITexture.h"
#include "game/world/map/LevelFile.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/GameBenchSupport.h"

namespace {

using GameBench::HeadlessResources;
using GameBench::SilentServer;

struct DataSet {
    std::unique_ptr<Engine> engine;
    std::unique_ptr<ResourceManager> resources;
    std::u16string level; // the level with the most cells
    int cells = 0;

    DataSet()
    {
        char old[4096];
        if (!getcwd(old, sizeof old) || chdir(VORNHAL_BUILD_DIR) != 0)
            return;
        engine.reset(new Engine());
        if (chdir(old) != 0)
            return;
        resources.reset(new HeadlessResources(engine.get()));
        {
            ResourceScript blocks(resources.get(), engine->GetFileManager());
            blocks.Load(u"blocks.cfg");
        }
        resources->BuildIndex();
        for (const char16_t* name : {u"levels/tdm_riotcity.lvl", u"levels/ctf_harbour.lvl", u"levels/koh_quarry.lvl"}) {
            std::unique_ptr<IFile> file(Open(name));
            LevelContents contents;
            if (file && ReadLevel(file.get(), resources.get(), &contents) &&
                contents.world.width * contents.world.height > cells) {
                cells = contents.world.width * contents.world.height;
                level = name;
            }
        }
    }
    IFile* Open(const char16_t* name) { return engine->GetFileManager()->Open(name, kOpenRead, 0); }
};

DataSet& Data()
{
    static DataSet data;
    return data;
}

void BM_LoadLargestLevel(benchmark::State& state)
{
    DataSet& data = Data();
    if (data.level.empty()) {
        state.SkipWithError("no default level in game.data");
        return;
    }
    World world(data.resources.get());
    PhysEng::PhysicsEngine physics;
    world.SetPhysics(&physics, nullptr);
    for (auto _ : state) {
        std::unique_ptr<IFile> file(data.Open(data.level.c_str()));
        LevelContents contents;
        if (!ReadLevel(file.get(), data.resources.get(), &contents)) {
            state.SkipWithError("the level does not read");
            return;
        }
        physics.Clear();
        contents.world.ApplyTo(world);
        world.BuildMeshes(false);
        world.BuildWallBodies();
        benchmark::DoNotOptimize(world.GetWallBodyCount());
    }
    state.SetLabel(std::to_string(world.GetWidth()) + "x" + std::to_string(world.GetHeight()) + ", " +
                   std::to_string(world.GetWallBodyCount()) + " wall bodies");
}
BENCHMARK(BM_LoadLargestLevel)->Unit(benchmark::kMillisecond);

void BM_ReadLevelBytesYardstick(benchmark::State& state)
{
    DataSet& data = Data();
    if (data.level.empty()) {
        state.SkipWithError("no default level in game.data");
        return;
    }
    std::vector<uint8_t> bytes(1 << 20);
    for (auto _ : state) {
        std::unique_ptr<IFile> file(data.Open(data.level.c_str()));
        benchmark::DoNotOptimize(file->Read(bytes.data(), int(bytes.size())));
    }
}
BENCHMARK(BM_ReadLevelBytesYardstick)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
