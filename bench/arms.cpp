// One served frame of the default level with 200 bullets and 20 grenades in
// flight, beside the same frame with nothing fired (the yardstick). The
// level and blocks come from the build tree's game.data, as the server
// loads them.
#include "engine/core/Engine.h"
#include "engine/render/ITexture.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/arms/ArmsFactory.h"
#include "game/world/arms/BulletProjectile.h"
#include "game/world/arms/Projectile.h"
#include "game/world/map/World.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <memory>

#include "bench/GameBenchSupport.h"

namespace {

using GameBench::HeadlessResources;
using GameBench::SilentServer;

constexpr int kBullets = 200;
constexpr int kGrenades = 20;
constexpr int kGrenadeId = 7 << 18;

void AddParam(IResource* block, const char16_t* name, std::initializer_list<ParameterValue> values)
{
    auto* record = new ParameterRecord();
    record->name = name;
    for (const ParameterValue& v : values)
        record->values[record->valueCount++] = v;
    block->AddItem(record);
}

ParameterValue Int(int v)
{
    ParameterValue p;
    p.type = ParameterValue::Integer;
    p.integer = v;
    return p;
}

ParameterValue Word(const char16_t* w)
{
    ParameterValue p;
    p.type = ParameterValue::Word;
    p.text = w;
    return p;
}

struct Server {
    // Outlives the game state, whose objects leave the handler as they go.
    SilentServer handler;
    std::unique_ptr<Engine> engine;
    std::unique_ptr<ResourceManager> resources;
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    bool loaded = false;
    unsigned seed = 1;

    Server()
    {
        char old[4096];
        if (!getcwd(old, sizeof old) || chdir(VORNHAL_BUILD_DIR) != 0)
            return;
        engine.reset(new Engine());
        resources.reset(new HeadlessResources(engine.get()));
        {
            ResourceScript blocks(resources.get(), engine->GetFileManager());
            blocks.Load(u"blocks.cfg");
        }
        // A timed grenade that stays in flight for the whole run.
        ObjectResource* grenade = resources->CreateObjectResource(ResourceClass::Weapon);
        grenade->SetId(kGrenadeId);
        AddParam(grenade, u"w_speed", {Int(400)});
        AddParam(grenade, u"w_range", {Int(10)});
        AddParam(grenade, u"w_damage", {Int(60)});
        AddParam(grenade, u"w_behaviour", {Word(u"explode"), Int(4), Int(0)});
        AddParam(grenade, u"w_detonation", {Word(u"time"), Int(1000000)});
        resources->BuildIndex();
        world.reset(new World(resources.get()));
        game.reset(new GameSystem(engine.get(), world.get(), resources.get(), nullptr, nullptr));
        Services().weapons->AddWeapon(grenade);
        game->SetHandlers(&handler, nullptr);
        game->SetActiveHandler(&handler);
        loaded = game->LoadLevel(u"levels/tdm_riotcity.lvl");
        if (chdir(old) != 0)
            loaded = false;
    }
    ~Server() { Services().objects->Clear(); }

    float Random(float range)
    {
        seed = seed * 1103515245u + 12345u;
        return float((seed >> 8) % 10000) / 10000.0f * range;
    }

    // Tops up what walls and age took, at random points of the level.
    void Fire()
    {
        int bullets = 0, grenades = 0;
        for (Object* o : Services().objects->Objects()) {
            if (!o)
                continue;
            bullets += o->GetKind() == 9;
            grenades += o->GetKind() == 8;
        }
        const float w = float(world->GetWidth() * 32), h = float(world->GetHeight() * 32);
        for (; bullets < kBullets; ++bullets)
            CreateBullet(Random(w), Random(h), Random(360.0f), 1, 0.0f)->SetDamage(20.0f);
        for (; grenades < kGrenades; ++grenades)
            CreateGrenade(kGrenadeId, Random(w), Random(h), 255)->SetAngle(Random(360.0f));
    }
};

Server& Level()
{
    static Server server;
    return server;
}

void BM_FrameWithBulletsAndGrenades(benchmark::State& state)
{
    Server& s = Level();
    if (!s.loaded) {
        state.SkipWithError("no default level in game.data");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        s.Fire();
        state.ResumeTiming();
        s.game->Update(0.016f);
    }
    state.SetLabel(std::to_string(kBullets) + " bullets, " + std::to_string(kGrenades) + " grenades");
}
BENCHMARK(BM_FrameWithBulletsAndGrenades)->Unit(benchmark::kMicrosecond);

void BM_EmptyFrameYardstick(benchmark::State& state)
{
    Server& s = Level();
    if (!s.loaded) {
        state.SkipWithError("no default level in game.data");
        return;
    }
    Services().objects->ForEachObject([](Object* o) {
        if (o->GetKind() == 8 || o->GetKind() == 9)
            delete o;
    });
    for (auto _ : state)
        s.game->Update(0.016f);
}
BENCHMARK(BM_EmptyFrameYardstick)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
