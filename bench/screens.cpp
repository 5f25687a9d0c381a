// Client frames under llvmpipe (run under Xvfb): the scene step and the
// HUD over a cleared screen, and a night frame of the largest default level with 32
// players and the HUD; the yardstick is the empty frame of the same run.
#include "engine/core/Engine.h"
#include "engine/render/IInput.h"
#include "engine/render/IRenderer.h"
#include "game/shell/client/Game.h"
#include "game/shell/hud/HudFrame.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/player/Player.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/ObjectFactory.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int kPlayers = 32;

// A hosting game in a window at night on the largest default level, its
// own player and 31 more around it, the view on its own player.
struct Match {
    std::unique_ptr<Engine> engine;
    std::unique_ptr<Game> game;
    IRenderer* renderer = nullptr;
    std::string error;

    Match()
    {
        const char* display = std::getenv("DISPLAY");
        char old[4096];
        if (!display || !*display || !getcwd(old, sizeof old) || chdir(VORNHAL_BUILD_DIR) != 0) {
            error = "no display or no game folder: run under xvfb-run from the build";
            return;
        }
        engine.reset(new Engine());
        if (chdir(old) != 0 || !engine->Init()) {
            error = "the engine did not start";
            return;
        }
        engine->SetMasterServer(u"127.0.0.1:1");
        game.reset(new Game());
        game->Init(engine.get());
        renderer = engine->CreateRenderer(2);
        if (!renderer || !renderer->Init(1024, 768, 32, false, false) || !renderer->LoadShaders()) {
            error = "no renderer";
            return;
        }
        for (const char16_t* name : {u"blocks.cfg", u"objects.cfg", u"items.cfg", u"weapons_fin_vs_rus.cfg"}) {
            ResourceScript script(game->GetResources(), engine->GetFileManager());
            if (!script.Load(name))
                error = "a script did not load";
        }
        game->GetResources()->BuildIndex();
        game->GetResources()->ApplyItemDefinitions(Services().weapons);
        game->SetRenderer(renderer);
        game->SetInput(engine->GetInput());
        GameSystem* state = game->GetGameSystem();
        state->InitObjectRenderBuffers();
        if (error.empty())
            Host(state);
    }

    ~Match()
    {
        if (game)
            game->Shutdown();
    }

    void Host(GameSystem* state)
    {
        state->RefreshLevelList();
        const GameSystem::LevelInfo* largest = nullptr;
        int cells = 0;
        for (int i = 0; i < state->GetLevelCount(); ++i) {
            const GameSystem::LevelInfo* level = state->GetLevel(i);
            World* world = game->GetWorld();
            if (state->LoadLevel(level->path.c_str()) && world->GetWidth() * world->GetHeight() > cells) {
                cells = world->GetWidth() * world->GetHeight();
                largest = level;
            }
        }
        if (!largest) {
            error = "no default level loads";
            return;
        }
        state->Options().SetServerLevel(largest->path.c_str());
        state->Options().SetServerMode(largest->gameMode);
        state->Options().SetServerLighting(2);
        ServerHandler* server = game->GetServerHandler();
        server->SetHostsOwnPlayer(true);
        if (!state->StartServer(0) || !server->StartLevel()) {
            error = "hosting failed";
            return;
        }
        game->GetWorld()->SetLighting(2);
        Player* own = Hud::LocalPlayer(state, server);
        if (!own) {
            error = "no player of one's own";
            return;
        }
        state->GetGameMode()->SetPlayerTeam(own, GameMod::kChooseFinland, true, true);
        for (int i = 1; i < kPlayers; ++i) {
            Player* p = CreatePlayer();
            p->SetTeam(i % 2 ? GameMod::kRussia : GameMod::kFinland);
            p->SetHealth(100.0f);
            p->SetPositionAngle(own->GetX() + float((i % 8) * 60 - 240), own->GetY() + float((i / 8) * 60 - 120),
                                float(i * 11));
        }
        state->Camera().x = own->GetX() - 512.0f;
        state->Camera().y = own->GetY() - 384.0f;
        game->Scene().cursorX = 120.0f;
        game->Scene().cursorY = -80.0f;
    }
};

Match& TheMatch()
{
    static Match match;
    return match;
}

// The shared match, or nothing when it could not be set up (the
// benchmark is then skipped with the reason).
Match* Ready(benchmark::State& state)
{
    Match& m = TheMatch();
    if (m.error.empty())
        return &m;
    state.SkipWithError(m.error.c_str());
    return nullptr;
}

void Tick(Match& m)
{
    m.engine->UpdateFrameTime1();
    m.engine->UpdateFrameTime2();
}

void BM_EmptyFrame(benchmark::State& state)
{
    Match* ready = Ready(state);
    if (!ready)
        return;
    Match& m = *ready;
    for (auto _ : state) {
        Tick(m);
        m.renderer->PrepareTextures();
        m.renderer->BeginScene();
        m.renderer->EndScene();
        m.renderer->Present();
    }
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMicrosecond);

// The scene step and the HUD over a cleared screen, finished by the GPU:
// everything of a client frame but the world.
void BM_ClientFrameWithoutWorld(benchmark::State& state)
{
    Match* ready = Ready(state);
    if (!ready)
        return;
    Match& m = *ready;
    for (auto _ : state) {
        Tick(m);
        if (m.game->StepScene()) {
            state.SkipWithError("the scene step left play");
            return;
        }
        m.renderer->PrepareTextures();
        m.renderer->BeginScene();
        m.game->DrawHud();
        m.renderer->EndScene();
        glFinish();
    }
}
BENCHMARK(BM_ClientFrameWithoutWorld)->Unit(benchmark::kMicrosecond);

void BM_NightFrame32Players(benchmark::State& state)
{
    Match* ready = Ready(state);
    if (!ready)
        return;
    Match& m = *ready;
    for (auto _ : state) {
        Tick(m);
        m.game->DrawScene();
        m.renderer->Present();
    }
}
BENCHMARK(BM_NightFrame32Players)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
