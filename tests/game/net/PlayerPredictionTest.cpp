// A client's own player, moved by the client's prediction and reported as
// its client state, through real MPAPI on loopback with a tenth of the
// datagrams lost each way: the server's copy follows it along walls and
// ends where the client does.
#include "engine/net/LossyRelay.h"
#include "engine/net/ClientManager.h"
#include "engine/net/IConnection.h"
#include "engine/net/ServerManager.h"
#include "game/player/PlayerFixture.h"
#include "game/world/ObjectManager.h"
#include "platform/os/Os.h"

#include <cmath>
#include <string>
#include <vector>

using namespace playertest;

namespace {

class NetServer : public SilentServer {
public:
    void AddObject(MPAPI::Object* o) override { mp->AddObject(o); }
    void RemoveObject(MPAPI::Object* o) override { mp->RemoveObject(o); }
    MPAPI::ServerManager* mp = nullptr;
};

class NetClient : public SilentClient {
public:
    void RemoveObject(MPAPI::Object* o) override { mp->RemoveObject(o); }
    MPAPI::ClientManager* mp = nullptr;
};

// The server's map, built again for the client: floor, wall column, water.
void CopyMap(World& from, World& to)
{
    to.Resize(from.GetWidth(), from.GetHeight(), 0, 0, 0, 0, -1, -1);
    for (int y = 0; y < from.GetHeight(); ++y)
        for (int x = 0; x < from.GetWidth(); ++x)
            to.SetCell(x, y, from.GetCell(x, y));
    to.BuildWallBodies();
}

struct Leg {
    float seconds;
    uint32_t flags;
};

} // namespace

TEST(PlayerOverLoopback, PredictionAgreesWithTheServerAtATenthLoss)
{
    using namespace PlayerInputFlags;
    PlayerWorld pw;
    MPAPI::ServerManager server;
    ASSERT_TRUE(server.Listen(0));
    NetServer serverHandler;
    serverHandler.mp = &server;
    pw.game->SetHandlers(&serverHandler, &pw.client);
    pw.game->SetActiveHandler(&serverHandler);
    const WorldServices serverSide = Services();

    World clientWorld(&pw.resources);
    auto clientGame = std::make_unique<GameSystem>(nullptr, &clientWorld, &pw.resources, nullptr, nullptr);
    CopyMap(*pw.world, clientWorld);
    Services().physics->SyncFromEngine();
    MPAPI::ClientManager client;
    NetClient clientHandler;
    clientHandler.mp = &client;
    clientGame->SetHandlers(nullptr, &clientHandler);
    clientGame->SetActiveHandler(&clientHandler);
    client.SetListener(clientGame.get());
    const WorldServices clientSide = Services();

    NetTest::LossProfile loss;
    loss.loss = 0.1;
    NetTest::LossyRelay relay(server.GetPort(), loss, 7);
    ASSERT_TRUE(relay.Ok());
    ASSERT_NE(client.Connect(u"127.0.0.1", relay.GetPort(), nullptr), nullptr);
    MPAPI::IConnection* toClient = nullptr;
    for (int i = 0; i < 500 && !toClient; ++i) {
        server.Update(0.02f);
        client.Update(0.02f);
        toClient = server.NextNewConnection();
        Os::SleepMs(2);
    }
    ASSERT_NE(toClient, nullptr);

    Services() = serverSide;
    Player* player = pw.Spawn(0, 0, 0);
    player->SetPosition(100, 40); // a placement: sent to its owner
    player->SetConnection(toClient);
    toClient->SetPlayerObject(player);
    ASSERT_NE(player->GetNetworkId(), 0);
    clientHandler.SetLocalPlayerId(player->GetNetworkId());
    ASSERT_TRUE(client.GetConnection()->SetStreaming(true));

    Player* own = nullptr;
    uint32_t flags = 0;
    float worst = 0.0f;
    // One fixed frame of both machines; the client reports what it predicted.
    auto frame = [&](float dt) {
        Services() = serverSide;
        server.Update(dt);
        pw.game->Update(dt);
        Services() = clientSide;
        client.Update(dt);
        if (!own)
            own = dynamic_cast<Player*>(Services().objects->FindObject(player->GetNetworkId()));
        if (own)
            own->SetInputState(flags, 0, -1, -1, 0);
        clientGame->Update(dt);
        if (own)
            client.SetClientState(int(flags), own->GetX(), own->GetY(), 90.0f, -1, -1, 0, 0);
        Os::SleepMs(1);
    };
    for (int i = 0; i < 1000 && !(own && own->GetX() == 100.0f && own->GetY() == 40.0f); ++i)
        frame(0.02f);
    ASSERT_NE(own, nullptr);
    ASSERT_TRUE(own->IsLocal());
    ASSERT_FLOAT_EQ(own->GetX(), 100.0f) << "the placement did not reach the owner";

    // Ten seconds: along the top, down past the wall, into it from the
    // right, sliding up it, away to the right, then standing.
    const Leg legs[] = {{2.0f, Right},          {2.0f, Down},  {1.5f, Left},
                        {1.5f, Up | Left | Sprint}, {2.0f, Right}, {1.0f, 0}};
    std::vector<std::pair<float, float>> ends;
    for (const Leg& leg : legs) {
        flags = leg.flags;
        for (int i = 0; i < int(std::lround(leg.seconds / 0.02f)); ++i) {
            frame(0.02f);
            worst = std::max(worst, std::hypot(own->GetX() - player->GetX(), own->GetY() - player->GetY()));
        }
        ends.push_back({own->GetX(), own->GetY()});
    }
    const auto counts = relay.GetCounts(true);
    EXPECT_GT(counts.dropped, 0) << "nothing was lost on the way to the server";

    // Both stopped at the same place, and the path went as the map says:
    // the wall held the walk to the left and the sprint slid up along it.
    EXPECT_NEAR(own->GetX(), player->GetX(), 0.5f);
    EXPECT_NEAR(own->GetY(), player->GetY(), 0.5f);
    EXPECT_NEAR(ends[1].first, 380.0f, 0.5f);
    EXPECT_NEAR(ends[1].second, 320.0f, 0.5f);
    EXPECT_GT(ends[2].first, 288.0f);
    EXPECT_LT(ends[2].first, 288.0f + 2 * Player::kBodyRadius);
    EXPECT_NEAR(ends[3].first, ends[2].first, 0.5f);
    EXPECT_LT(ends[3].second, 300.0f);
    EXPECT_GT(ends[4].first, ends[3].first + 150.0f);
    // Lost reports leave the server some frames behind on the way, never
    // adrift.
    EXPECT_LT(worst, 60.0f);
    RecordProperty("worst", std::to_string(worst));

    client.Disconnect();
    Services() = clientSide;
    clientGame.reset();
    Services() = serverSide;
}
