// A hill flag taken by a player on the server reaches a client over real
// UDP on loopback: the client makes it a hill flag of its own and follows
// its capture, team and owner.
#include "StateFixture.h"

#include "engine/net/IClient.h"
#include "engine/net/IConnection.h"
#include "game/world/KingOfTheHill.h"
#include "game/world/MissionItemFlag.h"
#include "game/world/ObjectFactory.h"
#include "game/world/ObjectManager.h"
#include "game/world/Player.h"
#include "game/world/WorldServices.h"

#include <functional>

namespace StateTest {
namespace {

constexpr int kWhiteFlag = 28835840;

class HillServer : public RecordingServer {
public:
    void AddObject(MPAPI::Object* o) override
    {
        if (server)
            server->AddObject(o);
    }
    void RemoveObject(MPAPI::Object* o) override
    {
        if (server)
            server->RemoveObject(o);
    }
};

class HillClient : public RecordingClient {
public:
    void RemoveObject(MPAPI::Object* o) override
    {
        if (client)
            client->RemoveObject(o);
    }
    MPAPI::IClient* client = nullptr;
};

MissionItemFlag* FindFlag()
{
    MissionItemFlag* flag = nullptr;
    Services().objects->ForEachObject([&](Object* o) {
        if (!flag)
            flag = dynamic_cast<MissionItemFlag*>(o);
    });
    return flag;
}

} // namespace

TEST_F(GameState, HillFlagCaptureReplicatesToAClientOverLoopback)
{
    WriteTestLevel("r_hill.lvl", 20, 15, u"Hill", 2, {{kWhiteFlag, 300, 200, 0}});
    HillServer hillServer;
    game_->SetHandlers(&hillServer, &client_);
    ASSERT_TRUE(game_->StartServer(0));
    const int port = engine_->GetMasterServerUpdater().GetServerPort();
    ASSERT_NE(game_->CreateGameMode(u"levels/r_hill.lvl"), 0);
    ASSERT_TRUE(game_->LoadLevel(u"levels/r_hill.lvl"));
    MissionItemFlag* serverFlag = FindFlag();
    ASSERT_NE(serverFlag, nullptr);
    EXPECT_EQ(serverFlag->GetTeam(), -1);
    Player* boris = CreatePlayer();
    boris->SetTeam(7);
    float cx, cy;
    serverFlag->GetCentre(&cx, &cy);
    boris->SetPositionAngle(cx + 20.0f, cy - 20.0f, 0.0f);
    const WorldServices serverSide = Services();

    World clientWorld(resources_);
    GameSystem* clientGame = new GameSystem(engine_, &clientWorld, resources_, nullptr, nullptr);
    WorldServices clientSide = Services();
    clientSide.renderer = nullptr;
    clientSide.spritePainter = nullptr;
    clientSide.particlePainter = nullptr;
    Services() = clientSide;
    HillClient hillClient;
    std::unique_ptr<MPAPI::IClient> client(engine_->CreateClient());
    hillClient.client = client.get();
    client->SetListener(clientGame);
    clientGame->SetHandlers(nullptr, &hillClient);
    clientGame->SetActiveHandler(&hillClient);
    ASSERT_NE(client->Connect(u"127.0.0.1", port, nullptr), nullptr);
    ASSERT_NE(clientGame->CreateGameMode(u"levels/r_hill.lvl"), 0);
    ASSERT_NE(dynamic_cast<KingOfTheHill*>(clientGame->GetGameMode()), nullptr);
    ASSERT_TRUE(clientGame->LoadLevel(u"levels/r_hill.lvl"));
    // Clients get the flags by replication only.
    EXPECT_EQ(FindFlag(), nullptr);

    MissionItemFlag* clientFlag = nullptr;
    auto run = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 400; ++i) {
            Services() = serverSide;
            MPAPI::IServer* server = hillServer.GetServer();
            server->Update(0.05f);
            if (MPAPI::IConnection* joined = server->NextNewConnection()) {
                joined->SetPlayerObject(boris);
                joined->SetStreaming(true);
            }
            game_->Update(0.05f);
            Services() = clientSide;
            client->Update(0.05f);
            clientGame->Update(0.05f);
            clientFlag = FindFlag();
            if (clientFlag && done())
                return true;
            usleep(2000);
        }
        return false;
    };

    EXPECT_TRUE(run([&] { return clientFlag->GetProgress() > 0.2f; }));
    EXPECT_EQ(clientFlag->GetCapturer(), boris->GetNetworkId());
    EXPECT_EQ(clientFlag->GetTeam(), -1);
    EXPECT_FALSE(clientFlag->IsOwned());
    EXPECT_TRUE(run([&] { return clientFlag->GetTeam() == 7; }));
    EXPECT_TRUE(clientFlag->IsOwned());
    EXPECT_EQ(clientFlag->GetCapturer(), 0);
    EXPECT_FLOAT_EQ(clientFlag->GetX(), 300.0f);

    Services() = clientSide;
    delete clientGame;
    client.reset();
    Services() = serverSide;
    game_->SetHandlers(&server_, &client_);
}

} // namespace StateTest
