// A king-of-the-hill match between a server and two client game states over
// UDP on loopback, played to its time limit: each client makes the level's
// flag a hill flag of its own and sees it taken, the round won and the flag
// start over as the server does. The handlers carry only joins, replication
// and the mode's messages.
#include "StateFixture.h"

#include "engine/net/IClient.h"
#include "engine/net/IConnection.h"
#include "game/world/KingOfTheHill.h"
#include "game/world/MissionItemFlag.h"
#include "game/world/ObjectManager.h"
#include "game/world/Player.h"
#include "game/world/WorldServices.h"

#include <functional>

namespace StateTest {
namespace {

constexpr int kHillFlag = 28835840; // "white flag"

class HillServer : public RecordingServer {
public:
    void AddObject(MPAPI::Object* o) override { server->AddObject(o); }
    void RemoveObject(MPAPI::Object* o) override { server->RemoveObject(o); }
    void Broadcast(GamePacket* p, MPAPI::IConnection*) override
    {
        for (MPAPI::IConnection* c : joined)
            p->Send(c);
    }
    bool StartLevel() override { return ++levelStarts, true; }
    std::vector<MPAPI::IConnection*> joined;
    int levelStarts = 0;
};

class HillClient : public RecordingClient {
public:
    void RemoveObject(MPAPI::Object* o) override { client->RemoveObject(o); }
    // The client's frame: the mode's messages, then its clock.
    void Step(float dt)
    {
        client->Update(dt);
        GameMod* mode = Services().game->GetGameMode();
        while (GamePacket* p = ReceiveNext(client->GetConnection()))
            mode->HandleMessage(client->GetConnection(), p);
        mode->CheckLimits(dt);
    }
    std::unique_ptr<MPAPI::IClient> client;
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    WorldServices services;
};
MissionItemFlag* HillFlag()
{
    MissionItemFlag* flag = nullptr;
    Services().objects->ForEachObject([&](Object* o) {
        if (!flag)
            flag = dynamic_cast<MissionItemFlag*>(o);
    });
    return flag;
}

} // namespace

TEST_F(GameState, HillMatchPlaysAlikeOnServerAndClientsOverLoopback)
{
    WriteTestLevel("r_koh.lvl", 20, 15, u"Hill", 2, {{kHillFlag, 300, 200, 0}});
    HillServer hillServer;
    game_->SetHandlers(&hillServer, &client_);
    ASSERT_TRUE(game_->StartServer(0));
    const int port = engine_->GetMasterServerUpdater().GetServerPort();
    game_->Options().SetServerTimeLimit(1);
    game_->Options().SetServerBalanced(false);
    ASSERT_NE(game_->CreateGameMode(u"levels/r_koh.lvl"), 0);
    ASSERT_TRUE(game_->LoadLevel(u"levels/r_koh.lvl"));
    auto* serverMode = dynamic_cast<KingOfTheHill*>(game_->GetGameMode());
    ASSERT_NE(serverMode, nullptr);
    serverMode->Start();
    MissionItemFlag* serverFlag = HillFlag();
    ASSERT_NE(serverFlag, nullptr);
    const WorldServices serverSide = Services();

    HillClient clients[2];
    for (HillClient& c : clients) {
        c.world = std::make_unique<World>(resources_);
        c.game = std::make_unique<GameSystem>(engine_, c.world.get(), resources_, nullptr, nullptr);
        c.services = Services();
        c.services.renderer = nullptr, c.services.spritePainter = nullptr, c.services.particlePainter = nullptr;
        Services() = c.services;
        c.client.reset(engine_->CreateClient());
        c.client->SetListener(c.game.get());
        c.game->SetHandlers(nullptr, &c);
        c.game->SetActiveHandler(&c);
        ASSERT_NE(c.client->Connect(u"127.0.0.1", port, nullptr), nullptr);
        ASSERT_NE(c.game->CreateGameMode(u"levels/r_koh.lvl"), 0);
        ASSERT_TRUE(c.game->LoadLevel(u"levels/r_koh.lvl"));
        c.game->GetGameMode()->Restart();
        c.services = Services();
    }
    Services() = serverSide;

    Player* players[2] = {};
    const char16_t* names[2] = {u"Anna", u"Boris"};
    auto run = [&](float seconds, const std::function<bool()>& done) {
        for (int i = 0; i < int(seconds / 0.05f); ++i) {
            Services() = serverSide;
            hillServer.GetServer()->Update(0.05f);
            if (MPAPI::IConnection* c = hillServer.GetServer()->NextNewConnection()) {
                size_t n = hillServer.joined.size();
                hillServer.joined.push_back(c);
                players[n] = hillServer.AcceptJoin(c, names[n], "uid");
                serverMode->SetPlayerTeam(players[n], int(n) + 1, true, true);
                c->SetStreaming(true);
            }
            game_->Update(0.05f);
            serverMode->Update(0.05f);
            for (HillClient& c : clients) {
                Services() = c.services;
                c.Step(0.05f);
                c.game->Update(0.05f);
            }
            Services() = serverSide;
            if (done())
                return true;
            usleep(1000);
        }
        return false;
    };
    // True when every client's hill flag and mode pass the check.
    auto clientsSee = [&](const std::function<bool(MissionItemFlag*, KingOfTheHill*)>& check) {
        bool seen = true;
        for (HillClient& c : clients) {
            Services() = c.services;
            MissionItemFlag* flag = HillFlag();
            seen = seen && flag && check(flag, static_cast<KingOfTheHill*>(c.game->GetGameMode()));
        }
        Services() = serverSide;
        return seen;
    };

    ASSERT_TRUE(run(10.0f, [&] { return players[1] != nullptr; }));
    float cx, cy;
    serverFlag->GetCentre(&cx, &cy);
    players[1]->SetPosition(cx, cy + 30.0f);
    EXPECT_TRUE(run(4.0f, [&] {
        return clientsSee([&](MissionItemFlag* f, KingOfTheHill*) {
            return f->GetProgress() > 0.2f && f->GetCapturer() == players[1]->GetNetworkId();
        });
    }));
    ASSERT_TRUE(run(12.0f, [&] { return serverMode->GetRoundWinner() == 7; }));
    EXPECT_TRUE(run(2.0f, [&] {
        return clientsSee([](MissionItemFlag* f, KingOfTheHill* m) {
            return f->IsOwned() && f->GetTeam() == 7 && m->GetRoundWinner() == 7;
        });
    }));
    players[1]->SetPosition(40.0f, 40.0f);
    ASSERT_TRUE(run(6.0f, [&] { return serverMode->GetRoundWinner() == -1; }));
    EXPECT_TRUE(run(2.0f, [&] {
        return clientsSee([](MissionItemFlag* f, KingOfTheHill* m) {
            return f->GetTeam() == -1 && m->GetRoundWinner() == -1;
        });
    }));

    EXPECT_TRUE(run(50.0f, [&] { return hillServer.levelStarts == 1; }));
    for (HillClient& c : clients)
        EXPECT_TRUE(c.game->GetGameMode()->IsGameOver());

    for (HillClient& c : clients)
        Services() = c.services, c.game.reset(), c.client.reset();
    Services() = serverSide;
    game_->SetHandlers(&server_, &client_);
}

} // namespace StateTest
