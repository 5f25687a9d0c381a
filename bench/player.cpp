// The serving update of 32 players walking, turning and firing on the
// default level (target 0.5 ms a frame or less). The yardstick is the bare
// physics sweep of the same 32 steps, which every player step includes.
#include "game/world/player/Player.h"
#include "engine/core/Engine.h"
#include "engine/render/ITexture.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/World.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/ObjectFactory.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "bench/GameBenchSupport.h"

namespace {

using GameBench::HeadlessResources;
using GameBench::SilentServer;

constexpr int kPlayers = 32;
constexpr float kFrame = 1.0f / 60.0f;

struct Match {
    // Outlives the game state, whose objects leave the handler as they go.
    SilentServer server;
    std::unique_ptr<Engine> engine;
    std::unique_ptr<ResourceManager> resources;
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    std::vector<Player*> players;

    Match()
    {
        char old[4096];
        if (!getcwd(old, sizeof old) || chdir(VORNHAL_BUILD_DIR) != 0)
            return;
        engine.reset(new Engine());
        resources.reset(new HeadlessResources(engine.get()));
        {
            ResourceScript scripts(resources.get(), engine->GetFileManager());
            for (const char16_t* name : {u"blocks.cfg", u"items.cfg", u"objects.cfg", u"weapons_fin_vs_rus.cfg"})
                scripts.Load(name);
        }
        resources->BuildIndex();
        world.reset(new World(resources.get()));
        game.reset(new GameSystem(engine.get(), world.get(), resources.get(), nullptr, nullptr));
        resources->ApplyItemDefinitions(Services().weapons);
        game->SetHandlers(&server, nullptr);
        game->SetActiveHandler(&server);
        const bool loaded = game->LoadLevel(u"levels/tdm_riotcity.lvl");
        if (chdir(old) != 0 || !loaded)
            return;
        int weapon = -1;
        const WeaponTable* table = Services().weapons;
        for (int i = 0; i < table->GetWeaponCount() && weapon == -1; ++i)
            if (table->GetWeaponAt(i)->category == 2 && table->GetWeaponAt(i)->clip > 0)
                weapon = table->GetWeaponAt(i)->id;
        if (weapon == -1)
            return;
        for (int i = 0; i < kPlayers; ++i) {
            Player* p = CreatePlayer();
            p->SetTeam(i % 2 ? 7 : 0);
            p->SetPositionAngle(float(world->GetWidth() * 8 + (i % 8) * 64),
                                float(world->GetHeight() * 8 + (i / 8) * 64), float(i * 11));
            p->PickUpWeapon(weapon, -1);
            p->SelectWeapon(weapon);
            p->GiveAllAmmo();
            players.push_back(p);
        }
    }
};

// Each player walks a diagonal that turns every second, turning and firing.
uint32_t Input(int player, int frame)
{
    static const uint32_t kMoves[4] = {0x1 | 0x4, 0x2 | 0x4, 0x2 | 0x8, 0x1 | 0x8};
    return kMoves[(player + frame / 60) % 4] | PlayerInputFlags::Shoot | (player % 3 ? 0 : PlayerInputFlags::Sprint);
}

void BM_PlayersServerUpdate(benchmark::State& state)
{
    Match match;
    if (match.players.size() != size_t(kPlayers)) {
        state.SkipWithError("the default level or its scripts are missing");
        return;
    }
    int frame = 0;
    for (auto _ : state) {
        for (int i = 0; i < kPlayers; ++i) {
            Player* p = match.players[size_t(i)];
            p->SetInputState(Input(i, frame), 0, 0, 0, 0);
            p->SetAngle(float((frame * 3 + i * 11) % 360));
            p->Update(kFrame);
        }
        ++frame;
    }
    state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_PlayersServerUpdate)->Unit(benchmark::kMicrosecond);

void BM_SweepYardstick(benchmark::State& state)
{
    Match match;
    if (match.players.size() != size_t(kPlayers)) {
        state.SkipWithError("the default level or its scripts are missing");
        return;
    }
    PhysEng::PhysicsEngine* physics = Services().physics;
    int frame = 0;
    for (auto _ : state) {
        for (int i = 0; i < kPlayers; ++i) {
            float x, y;
            match.players[size_t(i)]->GetPosition(&x, &y);
            float mx = (Input(i, frame) & 0x1) ? -2.3f : 2.3f, my = (Input(i, frame) & 0x4) ? -2.3f : 2.3f, sx, sy;
            physics->MoveCircle(x, y, &mx, &my, Player::kBodyRadius, true, false, false, &sx, &sy,
                                physics->NewPacket());
            benchmark::DoNotOptimize(mx);
        }
        ++frame;
    }
    state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_SweepYardstick)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
