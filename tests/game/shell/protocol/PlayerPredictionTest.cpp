// A client's own player, moved by the client's prediction and reported as
// its client state, through real MPAPI on loopback with a tenth of the
// datagrams lost each way: the server's copy follows it along the walls and
// stops where the client does.
#include "engine/net/ClientManager.h"
#include "engine/net/IConnection.h"
#include "engine/net/LossyRelay.h"
#include "engine/net/ServerManager.h"
#include "game/world/player/PlayerFixture.h"
#include "game/world/state/ObjectManager.h"
#include "platform/os/Os.h"
#include "support-game/ServiceSides.h"

#include <cmath>
#include <vector>

using namespace playertest;

TEST(PlayerOverLoopback, PredictionAgreesWithTheServerAtATenthLoss)
{
    using namespace PlayerInputFlags;
    PlayerWorld pw;
    // The handler owns it, as the game's does.
    MPAPI::ServerManager& server = *new MPAPI::ServerManager();
    pw.server.SetServer(&server);
    ASSERT_TRUE(server.Listen(0));
    const WorldServices serverSide = Services();

    // The client's own copy of the map.
    World clientWorld(&pw.resources);
    auto clientGame = std::make_unique<GameSystem>(nullptr, &clientWorld, &pw.resources, nullptr, nullptr);
    clientWorld.Resize(pw.world->GetWidth(), pw.world->GetHeight(), 0, 0, 0, 0, -1, -1);
    for (int y = 0; y < pw.world->GetHeight(); ++y)
        for (int x = 0; x < pw.world->GetWidth(); ++x)
            clientWorld.SetCell(x, y, pw.world->GetCell(x, y));
    clientWorld.BuildWallBodies();
    Services().physics->SyncFromEngine();
    MPAPI::ClientManager client;
    RecordingClient clientHandler;
    clientHandler.client = &client;
    clientGame->SetHandlers(nullptr, &clientHandler);
    clientGame->SetActiveHandler(&clientHandler);
    client.SetListener(clientGame.get());
    const WorldServices clientSide = Services();
    ServiceSides sides;
    sides.AddClient(&client);

    NetTest::LossProfile loss;
    loss.loss = 0.1;
    NetTest::LossyRelay relay(server.GetPort(), loss, 7);
    ASSERT_TRUE(relay.Ok());
    ASSERT_NE(client.Connect(u"127.0.0.1", relay.GetPort(), nullptr), nullptr);
    MPAPI::IConnection* toClient = nullptr;
    for (int i = 0; i < 500 && !toClient; ++i, Os::SleepMs(2)) {
        server.Update(0.02f);
        client.Update(0.02f);
        toClient = server.NextNewConnection();
    }
    ASSERT_NE(toClient, nullptr);

    sides.Enter(serverSide);
    Player* player = pw.Spawn(0, 0, 0);
    player->SetPosition(100, 40); // a placement: sent to its owner
    player->SetConnection(toClient);
    toClient->SetPlayerObject(player);
    clientHandler.SetLocalPlayerId(player->GetNetworkId());
    ASSERT_TRUE(client.GetConnection()->SetStreaming(true));

    Player* own = nullptr;
    uint32_t flags = 0;
    // One fixed frame of both machines; the client reports what it predicted.
    auto frame = [&] {
        sides.Enter(serverSide);
        server.Update(0.02f);
        pw.game->Update(0.02f);
        sides.Enter(clientSide);
        client.Update(0.02f);
        own = own ? own : dynamic_cast<Player*>(Services().objects->FindObject(player->GetNetworkId()));
        if (own)
            own->SetInputState(flags, 0, -1, -1, 0);
        clientGame->Update(0.02f);
        if (own)
            client.SetClientState(int(flags), own->GetX(), own->GetY(), 90.0f, -1, -1, 0, 0);
        Os::SleepMs(1);
    };
    for (int i = 0; i < 1000 && !(own && own->GetX() == 100.0f && own->GetY() == 40.0f); ++i)
        frame();
    ASSERT_TRUE(own && own->IsLocal());
    ASSERT_EQ(own->GetX(), 100.0f) << "the placement did not reach the owner";

    // Ten seconds: along the top, down past the wall, into it from the
    // right, sprinting up along it, away to the right, then standing.
    const std::pair<int, uint32_t> legs[] = {{100, Right}, {100, Down}, {75, Left}, {75, Up | Left | Sprint},
                                             {100, Right}, {50, 0}};
    std::vector<std::pair<float, float>> ends;
    float worst = 0.0f;
    for (auto [frames, legFlags] : legs) {
        flags = legFlags;
        for (int i = 0; i < frames; ++i) {
            frame();
            worst = std::max(worst, std::hypot(own->GetX() - player->GetX(), own->GetY() - player->GetY()));
        }
        ends.push_back({own->GetX(), own->GetY()});
    }
    EXPECT_GT(relay.GetCounts(true).dropped, 0) << "nothing was lost on the way to the server";
    // Standing on while the relay threads, late on a busy machine, bring
    // the last reports.
    for (int i = 0; i < 3000 && std::hypot(own->GetX() - player->GetX(), own->GetY() - player->GetY()) > 0.5f; ++i)
        frame();

    EXPECT_NEAR(own->GetX(), player->GetX(), 0.5f);
    EXPECT_NEAR(own->GetY(), player->GetY(), 0.5f);
    // Lost reports leave the server some frames behind, never adrift.
    EXPECT_LT(worst, 60.0f);
    EXPECT_NEAR(ends[1].first, 380.0f, 0.5f);
    EXPECT_NEAR(ends[1].second, 320.0f, 0.5f);
    // The wall held the walk to the left, and the sprint slid up along it.
    EXPECT_GT(ends[2].first, 288.0f);
    EXPECT_LT(ends[2].first, 288.0f + 2 * Player::kBodyRadius);
    EXPECT_NEAR(ends[3].first, ends[2].first, 0.5f);
    EXPECT_LT(ends[3].second, 300.0f);
    EXPECT_GT(ends[4].first, ends[3].first + 150.0f);

    client.Disconnect();
    sides.Enter(clientSide);
    {
        ServiceSides::Held held = sides.Hold();
        clientGame.reset();
    }
    sides.Enter(serverSide);
}
