// A team deathmatch between a server and two client game states over UDP on
// loopback, played to the frag limit: the clients, whose own time limit is
// not the server's, agree with it on the score and the end. The handlers
// carry only joins, the player table and the mode's messages.
#include "StateFixture.h"

#include "engine/net/IClient.h"
#include "engine/net/IConnection.h"
#include "game/shell/GameMessage.h"
#include "game/world/GameMod.h"
#include "game/world/ObjectManager.h"
#include "game/world/Player.h"
#include "game/world/WorldServices.h"

#include <functional>

namespace StateTest {
namespace {

class MatchServer : public RecordingServer {
public:
    void AddObject(MPAPI::Object* o) override { server->AddObject(o); }
    void RemoveObject(MPAPI::Object* o) override { server->RemoveObject(o); }
    void Broadcast(GamePacket* p, MPAPI::IConnection* except) override
    {
        for (MPAPI::IConnection* c : joined)
            if (c != except)
                p->Send(c);
    }
    void ChangeTeam(Player* player, int choice) override
    {
        Services().game->GetGameMode()->SetPlayerTeam(player, choice, true, true);
        UpdatePlayer(player->GetNetworkId(), -1000, -1000, 0, player->GetTeam(), nullptr);
    }
    // Every client learns the whole player table.
    void SendTable()
    {
        for (int i = 0; i < kSlotCount; ++i)
            if (const PlayerSlot* s = GetSlot(i); s->id != 0) {
                GameMessages::WritePlayerEntry(outgoing_, s->id, s->name);
                Broadcast(&outgoing_, nullptr);
                GameMessages::WritePlayerSlotUpdate(outgoing_, s->id, 0, uint16_t(s->team));
                Broadcast(&outgoing_, nullptr);
            }
    }
    bool StartLevel() override { return ++levelStarts, true; }
    std::vector<MPAPI::IConnection*> joined;
    int levelStarts = 0;
};

class MatchClient : public RecordingClient {
public:
    void RemoveObject(MPAPI::Object* o) override { client->RemoveObject(o); }
    // The client's frame: the table and the mode's messages, then its limits.
    void Step(float dt)
    {
        client->Update(dt);
        GameMod* mode = Services().game->GetGameMode();
        while (GamePacket* p = ReceiveNext(client->GetConnection()))
            if (!HandleTableMessage(p) && mode)
                mode->HandleMessage(client->GetConnection(), p);
        if (mode)
            mode->CheckLimits(dt);
    }
    std::unique_ptr<MPAPI::IClient> client;
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    WorldServices services;
};

} // namespace

TEST_F(GameState, TeamMatchEndsAlikeOnServerAndClientsOverLoopback)
{
    WriteTestLevel("r_tdm.lvl", 20, 15, u"Duel", 0, {});
    MatchServer matchServer;
    game_->SetHandlers(&matchServer, &client_);
    ASSERT_TRUE(game_->StartServer(0));
    const int port = engine_->GetMasterServerUpdater().GetServerPort();
    game_->Options().SetServerTimeLimit(0);
    game_->Options().SetServerFragLimit(12);
    game_->Options().SetServerTeamFragLimit(0);
    game_->Options().SetServerBalanced(false);
    ASSERT_NE(game_->CreateGameMode(u"levels/r_tdm.lvl"), 0);
    ASSERT_TRUE(game_->LoadLevel(u"levels/r_tdm.lvl"));
    GameMod* serverMode = game_->GetGameMode();
    serverMode->Start();
    const WorldServices serverSide = Services();

    MatchClient clients[2];
    for (MatchClient& c : clients) {
        c.world = std::make_unique<World>(resources_);
        c.game = std::make_unique<GameSystem>(engine_, c.world.get(), resources_, nullptr, nullptr);
        c.services = Services();
        c.services.renderer = nullptr, c.services.spritePainter = nullptr, c.services.particlePainter = nullptr;
        c.client.reset(engine_->CreateClient());
        c.client->SetListener(c.game.get());
        c.game->SetHandlers(nullptr, &c);
        c.game->SetActiveHandler(&c);
        // The clients' own settings say 20 minutes.
        c.game->Options().SetServerTimeLimit(20);
        ASSERT_NE(c.client->Connect(u"127.0.0.1", port, nullptr), nullptr);
        ASSERT_NE(c.game->CreateGameMode(u"levels/r_tdm.lvl"), 0);
        ASSERT_TRUE(c.game->LoadLevel(u"levels/r_tdm.lvl"));
        c.game->GetGameMode()->Restart();
    }

    Player* players[2] = {};
    const char16_t* names[2] = {u"Anna", u"Boris"};
    auto run = [&](float seconds, const std::function<bool()>& done) {
        for (int i = 0; i < int(seconds / 0.05f); ++i) {
            Services() = serverSide;
            matchServer.GetServer()->Update(0.05f);
            if (MPAPI::IConnection* c = matchServer.GetServer()->NextNewConnection()) {
                size_t n = matchServer.joined.size();
                matchServer.joined.push_back(c);
                players[n] = matchServer.AcceptJoin(c, names[n], "uid");
                matchServer.ChangeTeam(players[n], int(n) + 1);
                matchServer.SendTable();
                c->SetStreaming(true);
            }
            game_->Update(0.05f);
            serverMode->Update(0.05f);
            for (MatchClient& c : clients) {
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

    ASSERT_TRUE(run(10.0f, [&] { return players[1] != nullptr; }));
    // The first time messages arrive: the clients' clocks do not run out.
    run(6.0f, [] { return false; });
    for (MatchClient& c : clients) {
        EXPECT_FALSE(c.game->GetGameMode()->IsWaitingForTime());
        EXPECT_FALSE(c.game->GetGameMode()->IsGameOver());
    }
    // Ten kills would have ended a client's match under its old default.
    for (int kill = 1; kill <= 12; ++kill) {
        players[1]->TakeBulletDamage(1000, 0, players[0], 0, 0, false, -1);
        players[1]->ResetForSpawn();
        ASSERT_TRUE(run(5.0f, [&] {
            bool seen = true;
            for (MatchClient& c : clients)
                Services() = c.services, seen = seen && c.GetTeamFrags(0) == kill;
            Services() = serverSide;
            return seen;
        })) << "kill " << kill;
        for (MatchClient& c : clients)
            EXPECT_EQ(c.game->GetGameMode()->IsGameOver(), kill == 12) << "kill " << kill;
    }
    EXPECT_TRUE(serverMode->IsGameOver());
    EXPECT_EQ(matchServer.GetTeamFrags(0), 12);
    EXPECT_TRUE(run(21.0f, [&] { return matchServer.levelStarts == 1; }));

    for (MatchClient& c : clients)
        Services() = c.services, c.game.reset(), c.client.reset();
    Services() = serverSide;
    game_->SetHandlers(&server_, &client_);
}

} // namespace StateTest
