// A night frame of a default level with 2,000 live particles and 50 lights,
// updated and drawn (llvmpipe under Xvfb), beside the same frame without
// the effects: the yardstick is the empty frame of the same run.
#include "engine/core/Engine.h"
#include "engine/render/IRenderer.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResourceHost.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int kParticles = 2000;
constexpr int kLights = 50;

class Host : public IResourceHost {
public:
    IRenderer* GetRenderer() override { return renderer; }
    void SetCurrentResource(int, IResource*) override {}
    bool HasEditor() override { return false; }
    void SelectBlockTool() override {}
    void SelectObjectTool() override {}
    IEditorListener* GetStartedEditorListener() override { return nullptr; }
    IEditorSelectionPage* GetSelectionPage(Page) override { return nullptr; }
    IRenderer* renderer = nullptr;
};

struct Scene {
    std::unique_ptr<Engine> engine;
    IRenderer* renderer = nullptr;
    Host host;
    std::unique_ptr<ResourceManager> resources;
    std::unique_ptr<CommonMedia> media;
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    std::string error;
    float cx = 0, cy = 0;

    Scene()
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) {
            error = "no display: run under xvfb-run";
            return;
        }
        char old[4096];
        if (!getcwd(old, sizeof old) || chdir(VORNHAL_BUILD_DIR) != 0)
            return;
        engine.reset(new Engine());
        if (chdir(old) != 0 || !engine->Init()) {
            error = "the engine did not start";
            return;
        }
        renderer = engine->CreateRenderer(2);
        if (!renderer || !renderer->Init(1024, 768, 32, false, false) || !renderer->LoadShaders()) {
            error = "no renderer";
            return;
        }
        renderer->SetUseFonts(false);
        renderer->CreateAtlas(0, 0);
        renderer->CreateAtlas(1, 1);
        renderer->CreateAtlas(2, 1);
        host.renderer = renderer;
        resources.reset(new ResourceManager(&host, engine.get(), nullptr));
        for (const char16_t* script : {u"blocks.cfg", u"objects.cfg"}) {
            ResourceScript loader(resources.get(), engine->GetFileManager());
            loader.Load(script);
        }
        resources->BuildIndex();
        media.reset(new CommonMedia(engine.get(), resources.get()));
        media->Load();
        renderer->PrepareTextures();
        world.reset(new World(resources.get()));
        game.reset(new GameSystem(engine.get(), world.get(), resources.get(), media.get(), nullptr));
        game->SetRenderer(renderer);
        game->InitObjectRenderBuffers();
        if (!game->LoadLevel(u"levels/tdm_riotcity.lvl")) {
            error = "the level did not load";
            return;
        }
        world->SetLighting(2);
        cx = float(world->GetWidth() * 16);
        cy = float(world->GetHeight() * 16);
        game->Camera().x = cx - 512.0f;
        game->Camera().y = cy - 384.0f;
    }
    ~Scene()
    {
        game.reset();
        world.reset();
        resources.reset();
        if (renderer)
            renderer->Shutdown();
        if (engine)
            engine->Shutdown();
    }

    void Frame()
    {
        game->Update(0.016f);
        renderer->BeginScene();
        game->DrawWorld();
        game->DrawLightsAndOverlays();
        renderer->EndScene();
        glFinish();
    }

    // Keeps the count up with a mix of every kind over the view.
    void TopUp(int& next, int count)
    {
        ParticleSystem& particles = *Services().particles;
        while (particles.Count() < count) {
            const float x = cx - 500.0f + float((next * 37) % 1000), y = cy - 370.0f + float((next * 53) % 740);
            switch (next++ % 5) {
            case 0:
                SpawnExplosion(x, y, 2 + next % 2);
                break;
            case 1:
                SpawnSmoke(x, y, float(next % 360), 40.0f);
                break;
            case 2:
                SpawnFireParticle(x, y);
                break;
            case 3:
                SpawnBloodPool(x, y);
                break;
            default:
                SpawnDust(x, y, 1);
                break;
            }
        }
    }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_EmptyNightFrame(benchmark::State& state)
{
    Scene& scene = TheScene();
    if (!scene.error.empty()) {
        state.SkipWithError(scene.error.c_str());
        return;
    }
    Services().particles->Clear();
    for (auto _ : state)
        scene.Frame();
    state.SetLabel(std::to_string(Services().objects->CountLights()) + " level lights");
}
BENCHMARK(BM_EmptyNightFrame)->Unit(benchmark::kMillisecond);

void BM_NightFrameWith2000ParticlesAnd50Lights(benchmark::State& state)
{
    Scene& scene = TheScene();
    if (!scene.error.empty()) {
        state.SkipWithError(scene.error.c_str());
        return;
    }
    std::vector<ILight*> lights;
    const int particleCount = int(state.range(0)), lightCount = int(state.range(1));
    for (int i = 0; i < lightCount; ++i) {
        ILight* light =
            CreateLight(scene.cx - 480.0f + float(i % 10) * 100.0f, scene.cy - 300.0f + float(i / 10) * 150.0f);
        light->SetColor(float(i % 3 == 0), float(i % 3 == 1), float(i % 3 == 2) + 0.3f);
        light->SetSize(200.0f);
        lights.push_back(light);
    }
    int next = 0;
    scene.TopUp(next, particleCount);
    for (int i = 0; i < 30; ++i)
        scene.Frame();
    for (auto _ : state) {
        state.PauseTiming();
        scene.TopUp(next, particleCount);
        state.ResumeTiming();
        scene.Frame();
    }
    state.SetLabel(std::to_string(Services().particles->Count()) + " particles, " +
                   std::to_string(Services().objects->CountLights()) + " lights");
    for (ILight* light : lights)
        delete light;
    Services().particles->Clear();
}
// The whole load first; then each half of it alone, to tell which costs.
BENCHMARK(BM_NightFrameWith2000ParticlesAnd50Lights)
    ->Args({kParticles, kLights})
    ->Args({kParticles, 0})
    ->Args({0, kLights})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
