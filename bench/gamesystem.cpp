// One frame of the game state while serving: 500 breakable props with
// polygon bodies (target 0.3 ms or less). The yardstick is the same objects
// updated from a plain array, which is what the registry's walk costs over.
#include "game/world/system/GameSystem.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/objects/Object.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/ObjectFactory.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/GameBenchSupport.h"

namespace {

using GameBench::HeadlessResources;
using GameBench::SilentServer;

constexpr int kObjects = 500;
constexpr int kDefinitions = 8;

struct Match {
    // Outlives the game state, whose objects leave the handler as they go.
    SilentServer server;
    ResourceManager resources{nullptr, nullptr, nullptr};
    std::unique_ptr<GameSystem> game;

    Match()
    {
        const float outline[8] = {2, 2, 40, 2, 40, 30, 2, 30};
        for (int i = 0; i < kDefinitions; ++i) {
            ObjectResource* definition = resources.CreateObjectResource(ResourceClass::Furniture);
            definition->SetId((200 + i) << 18);
            definition->LoadParameters(outline, 4);
            auto* health = new ParameterRecord();
            health->name = u"health";
            health->valueCount = 1;
            health->values[0].type = ParameterValue::Integer;
            health->values[0].integer = 100;
            definition->AddItem(health);
        }
        resources.BuildIndex();
        game = std::make_unique<GameSystem>(nullptr, nullptr, &resources, nullptr, nullptr);
        game->SetHandlers(&server, nullptr);
        game->SetActiveHandler(&server);
        Services().physics->SetArea(128 * 32, 128 * 32);
        for (int i = 0; i < kObjects; ++i)
            CreateObjectByType((200 + i % kDefinitions) << 18, float(64 + (i * 97) % 4000),
                               float(64 + (i * 61) % 4000));
    }
};

void BM_GameSystemUpdate(benchmark::State& state)
{
    Match match;
    if (Services().objects->CountObjects() != kObjects) {
        state.SkipWithError("props were not made");
        return;
    }
    for (auto _ : state)
        match.game->Update(0.01f);
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_GameSystemUpdate)->Unit(benchmark::kMicrosecond);

void BM_YardstickPlainArray(benchmark::State& state)
{
    Match match;
    std::vector<Object*> plain = Services().objects->Objects();
    for (auto _ : state)
        for (Object* object : plain)
            object->Update(0.01f);
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_YardstickPlainArray)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
