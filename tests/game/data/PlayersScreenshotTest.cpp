// Players of both teams at night on a default level, seen by a Finnish
// player, saved under <build>/screenshots/players/: bodies, flashlights and
// the name tag under the mouse pointer, checked on the frame's pixels.
#include "DataSetChecks.h"

#include "engine/core/Engine.h"
#include "engine/render/IRenderer.h"
#include "game/shell/CommonMedia.h"
#include "game/state/StateFixture.h"
#include "game/world/GameSystem.h"
#include "game/world/ObjectFactory.h"
#include "game/world/Player.h"
#include "game/world/WorldQueries.h"
#include "game/world/WorldServices.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;

struct Frame {
    std::vector<uint8_t> rgb = std::vector<uint8_t>(1024 * 768 * 3);
    const uint8_t* At(int x, int y) const { return &rgb[size_t((767 - y) * 1024 + x) * 3]; }
    int Luma(int x, int y) const { return At(x, y)[0] + At(x, y)[1] + At(x, y)[2]; }
    // Summed brightness of a square around (x, y).
    int Area(int x, int y, int half) const
    {
        int sum = 0;
        for (int j = y - half; j <= y + half; ++j)
            for (int i = x - half; i <= x + half; ++i)
                sum += Luma(i, j);
        return sum;
    }
    // Whether the exact colour lies within one pixel of (x, y).
    bool Near(int x, int y, int r, int g, int b) const
    {
        for (int j = y - 1; j <= y + 1; ++j)
            for (int i = x - 1; i <= x + 1; ++i)
                if (At(i, j)[0] == r && At(i, j)[1] == g && At(i, j)[2] == b)
                    return true;
        return false;
    }
};

} // namespace

TEST(PlayersScreenshot, BothTeamsWithFlashlightsAndANameTagAtNight)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display";
    const std::string gameDir = DataSet::GameDir();
    ASSERT_TRUE(fs::exists(gameDir + "/game.data"));
    std::unique_ptr<Engine> engine;
    {
        TestSupport::ScopedChdir in(gameDir);
        engine.reset(new Engine());
    }
    ASSERT_TRUE(engine->Init());
    IRenderer* renderer = engine->CreateRenderer(2);
    ASSERT_NE(renderer, nullptr);
    renderer->SetUseFonts(false);
    ASSERT_TRUE(renderer->Init(1024, 768, 32, false, false));
    ASSERT_TRUE(renderer->LoadShaders());
    renderer->CreateAtlas(0, 0);
    renderer->CreateAtlas(1, 1);
    renderer->CreateAtlas(2, 1);
    StateTest::Host host;
    host.renderer = renderer;
    {
        ResourceManager resources(&host, engine.get(), nullptr);
        for (const std::string& name : DataSet::ScriptNames()) {
            std::string message;
            ASSERT_TRUE(DataSet::LoadScript(resources, engine->GetFileManager(), name, &message)) << message;
        }
        resources.BuildIndex();
        CommonMedia media(engine.get(), &resources);
        media.Load();
        ASSERT_TRUE(renderer->PrepareTextures());
        World world(&resources);
        StateTest::RecordingServer server;
        StateTest::RecordingClient client;
        GameSystem game(engine.get(), &world, &resources, &media, nullptr);
        game.SetHandlers(&server, &client);
        ASSERT_TRUE(resources.ApplyItemDefinitions(Services().weapons));
        game.SetRenderer(renderer);
        game.InitObjectRenderBuffers();
        ASSERT_TRUE(game.LoadLevel(u"levels/tdm_riotcity.lvl"));
        world.SetLighting(2);
        const float cx = float(world.GetWidth() * 16), cy = float(world.GetHeight() * 16);
        game.Camera().x = cx - 512.0f;
        game.Camera().y = cy - 384.0f;

        auto shoot = [&](const char* name, Frame* frame) {
            const std::string dir = gameDir + "/screenshots/" + name;
            fs::remove_all(dir);
            fs::create_directories(dir);
            renderer->BeginScene();
            game.DrawWorld();
            game.DrawLightsAndOverlays();
            renderer->EndScene();
            glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, frame->rgb.data());
            renderer->SaveScreenshot(Util::Widen(dir.c_str()).c_str());
            renderer->Present();
        };
        game.SetActiveHandler(&client);
        Frame empty;
        shoot("players_none", &empty);

        // Screen places: the local Finn and his mate on the left, two
        // Russians on the right; everyone's flashlight on.
        struct Placed {
            int team;
            float x, y, angle;
            uint32_t input;
            const char16_t* name;
        };
        const uint32_t light = PlayerInputFlags::Light, crouch = PlayerInputFlags::Crouch;
        const Placed placed[] = {
            {0, 380, 384, 90, light, u"Aho"},
            {0, 380, 520, 180, light | crouch, u"Virtanen"},
            {7, 660, 470, 270, light, u"Petrov"},
            {7, 660, 250, 0, light | PlayerInputFlags::Shoot, u"Orlova"},
        };
        std::vector<Player*> players;
        game.SetActiveHandler(&server);
        for (size_t i = 0; i < std::size(placed); ++i) {
            const Placed& p = placed[i];
            Player* player = CreatePlayer();
            player->SetNetworkId(int32_t(i + 1));
            player->SetTeam(p.team);
            player->SetPositionAngle(game.Camera().x + p.x, game.Camera().y + p.y, p.angle);
            ASSERT_TRUE(player->PickUpWeapon(78905344, -1));
            player->SelectWeapon(78905344);
            player->SetInputState(p.input, 0.0f, -1, -1, 0.0f);
            player->Update(0.01f); // the server turns the input into state bits
            client.AddPlayer(int32_t(i + 1), p.name, nullptr);
            players.push_back(player);
        }
        players[2]->SetHealth(50.0f);
        client.SetLocalPlayerId(1);
        game.SetActiveHandler(&client);
        for (Player* p : players)
            ASSERT_EQ(GetLineOfSight(players[0]->GetX(), players[0]->GetY(), p->GetX(), p->GetY()), 1.0f)
                << "the level no longer leaves this view open";

        // The mouse pointer just off Petrov's centre.
        SDL_Event motion = {};
        motion.type = SDL_MOUSEMOTION;
        motion.motion.x = 665;
        motion.motion.y = 476;
        ASSERT_EQ(SDL_PushEvent(&motion), 0);
        renderer->Present();
        Frame frame;
        shoot("players", &frame);

        for (const Placed& p : placed) {
            const int x = int(p.x), y = int(p.y);
            EXPECT_GT(std::abs(frame.Area(x, y, 6) - empty.Area(x, y, 6)), 169 * 10)
                << "no body at " << x << "," << y;
            // Lit 80 units ahead along the facing, not behind.
            const float a = (p.angle - 90.0f) * 3.1416f / 180.0f;
            const int ax = int(p.x + std::cos(a) * 80), ay = int(p.y + std::sin(a) * 80);
            const int bx = int(p.x - std::cos(a) * 60), by = int(p.y - std::sin(a) * 60);
            EXPECT_GT(frame.Area(ax, ay, 3), empty.Area(ax, ay, 3) + 49 * 60) << "no flashlight ahead of " << x;
            EXPECT_LT(frame.Area(bx, by, 3), empty.Area(bx, by, 3) + 49 * 60) << "light behind " << x;
        }
        // Petrov's tag at his picture's top-left corner: the Russian frame
        // and a health bar half long in the half-health colour.
        EXPECT_TRUE(frame.Near(660 - 32 + 35, 470 - 37, 252, 81, 90)) << "no Russian tag frame";
        EXPECT_TRUE(frame.Near(660 - 32 + 20, 470 - 37 + 12, 120, 119, 47)) << "no health bar";
        EXPECT_FALSE(frame.Near(660 - 32 + 50, 470 - 37 + 12, 120, 119, 47)) << "health bar too long";
        // Nobody else is under the pointer.
        EXPECT_FALSE(frame.Near(380 - 32 + 35, 384 - 37, 151, 145, 253)) << "a tag without the pointer";
    }
    renderer->Shutdown();
    engine->Shutdown();
}
