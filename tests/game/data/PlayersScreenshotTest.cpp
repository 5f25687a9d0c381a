// Players of both teams at night on a default level, seen by a Finnish
// player, saved under <build>/screenshots/players/: bodies, flashlights and
// the name tag under the mouse pointer, checked on the frame's pixels.
#include "ScreenRig.h"

#include "game/world/player/Player.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/ObjectFactory.h"

#include <GL/gl.h>
#include <SDL.h>

namespace {

struct Frame {
    std::vector<uint8_t> rgb = std::vector<uint8_t>(1024 * 768 * 3);
    const uint8_t* At(int x, int y) const { return &rgb[size_t((767 - y) * 1024 + x) * 3]; }
    // Summed brightness of the square of side 2 half + 1 around (x, y), or
    // whether the exact colour lies within one pixel of it.
    int Area(int x, int y, int half, const int* colour = nullptr) const
    {
        int sum = 0;
        for (int j = y - half; j <= y + half; ++j)
            for (int i = x - half; i <= x + half; ++i) {
                const uint8_t* p = At(i, j);
                sum += colour ? (p[0] == colour[0] && p[1] == colour[1] && p[2] == colour[2]) : p[0] + p[1] + p[2];
            }
        return sum;
    }
    // Summed per-channel difference from another frame over the same square.
    int Difference(const Frame& other, int x, int y, int half) const
    {
        int sum = 0;
        for (int j = y - half; j <= y + half; ++j)
            for (int i = x - half; i <= x + half; ++i)
                for (int c = 0; c < 3; ++c)
                    sum += std::abs(At(i, j)[c] - other.At(i, j)[c]);
        return sum;
    }
};

} // namespace

TEST(PlayersScreenshot, BothTeamsWithFlashlightsAndANameTagAtNight)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    ScreenRig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    CommonMedia media(rig.engine.get(), rig.resources.get());
    media.Load();
    ASSERT_TRUE(rig.renderer->PrepareTextures());
    World world(rig.resources.get());
    RecordingServer server;
    RecordingClient client;
    GameSystem game(rig.engine.get(), &world, rig.resources.get(), &media, nullptr);
    game.SetHandlers(&server, &client);
    ASSERT_TRUE(rig.resources->ApplyItemDefinitions(Services().weapons));
    game.SetRenderer(rig.renderer);
    game.InitObjectRenderBuffers();
    ASSERT_TRUE(game.LoadLevel(u"levels/tdm_riotcity.lvl"));
    world.SetLighting(2);
    game.Camera().x = float(world.GetWidth() * 16 - 512);
    game.Camera().y = float(world.GetHeight() * 16 - 384);
    auto shoot = [&](Frame* frame) {
        rig.renderer->BeginScene();
        game.DrawWorld();
        game.DrawLightsAndOverlays();
        rig.renderer->EndScene();
        glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, frame->rgb.data());
    };
    game.SetActiveHandler(&client);
    Frame empty, frame;
    shoot(&empty);

    // On screen: the local Finn and his crouching mate on the left, a
    // wounded Russian and one firing on the right; every light on.
    struct Placed {
        int team;
        float x, y, angle;
        uint32_t input;
        const char16_t* name;
    };
    const uint32_t light = PlayerInputFlags::Light;
    const Placed placed[] = {
        {0, 380, 384, 90, light, u"Aho"},
        {0, 380, 520, 180, light | PlayerInputFlags::Crouch, u"Virtanen"},
        {7, 660, 470, 270, light, u"Petrov"},
        {7, 660, 250, 0, light | PlayerInputFlags::Shoot, u"Orlova"},
    };
    std::vector<Player*> players;
    game.SetActiveHandler(&server);
    for (const Placed& p : placed) {
        Player* player = CreatePlayer();
        players.push_back(player);
        player->SetNetworkId(int32_t(players.size()));
        player->SetTeam(p.team);
        player->SetPositionAngle(game.Camera().x + p.x, game.Camera().y + p.y, p.angle);
        ASSERT_TRUE(player->PickUpWeapon(78905344, -1));
        player->SelectWeapon(78905344);
        player->SetInputState(p.input, 0.0f, -1, -1, 0.0f);
        player->Update(0.01f); // the server turns the input into state bits
        client.AddPlayer(player->GetNetworkId(), p.name, nullptr);
    }
    players[2]->SetHealth(50.0f);
    client.SetLocalPlayerId(1);
    game.SetActiveHandler(&client);
    for (Player* p : players)
        ASSERT_EQ(GetLineOfSight(players[0]->GetX(), players[0]->GetY(), p->GetX(), p->GetY()), 1.0f)
            << "the level no longer leaves this view open";
    SDL_Event motion = {}; // the pointer just off Petrov's centre
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 665;
    motion.motion.y = 476;
    ASSERT_EQ(SDL_PushEvent(&motion), 0);
    rig.renderer->Present();
    shoot(&frame);
    const std::string dir = DataSet::GameDir() + "/screenshots/players";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    rig.renderer->SaveScreenshot(Util::Widen(dir.c_str()).c_str());

    for (const Placed& p : placed) {
        const int x = int(p.x), y = int(p.y);
        // At night a body is about as bright as the floor it stands on:
        // it shows by its own picture, not by its shade.
        EXPECT_GT(frame.Difference(empty, x, y, 6), 169 * 10) << "no body at " << x << "," << y;
        // Lit 80 units ahead along the facing, not 60 behind.
        const float a = (p.angle - 90.0f) * 3.1416f / 180.0f, c = std::cos(a), s = std::sin(a);
        const int ax = int(p.x + c * 80), ay = int(p.y + s * 80), bx = int(p.x - c * 60), by = int(p.y - s * 60);
        EXPECT_GT(frame.Area(ax, ay, 3), empty.Area(ax, ay, 3) + 49 * 60) << "no flashlight ahead of " << x;
        EXPECT_LT(frame.Area(bx, by, 3), empty.Area(bx, by, 3) + 49 * 60) << "light behind " << x;
    }
    // Petrov's tag on his picture's top-left corner (628, 433): Russian
    // frame, health bar half long in the half-health colour; none on Aho.
    const int russia[3] = {252, 81, 90}, finland[3] = {151, 145, 253}, halfHealth[3] = {120, 119, 47};
    EXPECT_GT(frame.Area(628 + 35, 433, 1, russia), 0) << "no Russian tag frame";
    EXPECT_GT(frame.Area(628 + 20, 433 + 12, 1, halfHealth), 0) << "no health bar";
    EXPECT_EQ(frame.Area(628 + 50, 433 + 12, 1, halfHealth), 0) << "health bar too long";
    // In the tag's corner the insignia of his rank (0: one bar) from the
    // Russian icon sheet.
    const int russianBar[3] = {230, 120, 110};
    EXPECT_GT(frame.Area(628 + 5, 433 + 2, 1, russianBar), 0) << "no insignia";
    EXPECT_EQ(frame.Area(348 + 35, 347, 1, finland), 0) << "a tag without the pointer";
}
