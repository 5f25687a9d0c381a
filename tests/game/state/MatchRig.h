#pragma once

// The fixture's game state serving a mode over real UDP on loopback, and two
// client game states of their own worlds joining it as players. The world's
// services are process-wide, so each machine's are put in place before it
// runs. The handlers carry joins, replication, the player table and the
// mode's messages.

#include "StateFixture.h"

#include "engine/net/IClient.h"
#include "game/world/WorldServices.h"

#include <functional>
#include <memory>
#include <vector>

namespace StateTest {

class MatchServer : public RecordingServer {
public:
    void AddObject(MPAPI::Object* o) override { server->AddObject(o); }
    void RemoveObject(MPAPI::Object* o) override { server->RemoveObject(o); }
    void Broadcast(GamePacket* p, MPAPI::IConnection* except) override;
    void ChangeTeam(Player* player, int choice) override;
    bool StartLevel() override { return ++levelStarts, true; }
    // Every client learns the whole player table.
    void SendTable();
    std::vector<MPAPI::IConnection*> joined;
    int levelStarts = 0;
};

class MatchClient : public RecordingClient {
public:
    void RemoveObject(MPAPI::Object* o) override { client->RemoveObject(o); }
    // The client's frame: the table and the mode's messages, then its limits.
    void Step(float dt);
    std::unique_ptr<MPAPI::IClient> client;
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    WorldServices services;
};

class MatchRig {
public:
    static constexpr int kClients = 2;
    // The fixture's handlers come back to the server's game at the end.
    MatchRig(Engine* engine, ResourceManager* resources, GameSystem* serverGame, ServerHandler* fixtureServer,
             ClientHandler* fixtureClient);
    ~MatchRig();
    // Serves on a port the system chooses.
    bool Serve();
    // With the mode and level in place on the server: the clients load the
    // level too (configure sees each client's game first) and connect.
    bool AddClients(const char16_t* level, const std::function<void(GameSystem*)>& configure = {});
    // Frames of every machine, 0.05 s each, until done() holds; false when
    // it never did within the seconds. Joins are accepted as they come.
    bool Run(float seconds, const std::function<bool()>& done);
    // fn on each client with its services in place; the server's after.
    void OnClients(const std::function<void(MatchClient&)>& fn);

    MatchServer server;
    MatchClient clients[kClients];
    Player* players[kClients] = {};
    // Server side, as each player joins (index in join order).
    std::function<void(Player*, int)> onJoin;
    WorldServices serverSide;

private:
    Engine* engine_;
    ResourceManager* resources_;
    GameSystem* serverGame_;
    ServerHandler* fixtureServer_;
    ClientHandler* fixtureClient_;
    int port_ = 0;
};

} // namespace StateTest
