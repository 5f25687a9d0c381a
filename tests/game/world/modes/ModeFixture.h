#pragma once

// A serving game state on an empty map whose handler keeps what it sent:
// bytes per joined connection, notices, level starts.
#include "game/shell/protocol/ClientHandler.h"
#include "game/shell/protocol/MemoryConnection.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/player/Player.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/ObjectFactory.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace modetest {

class ModeServer : public ServerHandler {
public:
    void AddObject(MPAPI::Object* o) override { o->SetNetworkId(++lastId); }
    void AddLevelObject(MPAPI::Object*) override {}
    void RemoveObject(MPAPI::Object*) override {}
    void SetServer(MPAPI::IServer*) override {}
    MPAPI::IServer* GetServer() override { return nullptr; }
    void SetLevelCheckValue(int32_t) override {}
    void BroadcastBlast(float, float, float, float) override {}
    void SendPlayerStatus() override {}
    void Broadcast(GamePacket* p, MPAPI::IConnection* except) override
    {
        for (MemoryConnection* c : connections)
            if (c != except)
                p->Send(c);
    }
    void BroadcastMessage(const char16_t* text, int, bool notice, bool) override
    {
        (notice ? notices : messages).push_back(text);
    }
    void SendMessageTo(Player*, const char16_t* text) override { messages.push_back(text); }
    bool StartLevel() override { return ++levelStarts, true; }
    void ChangeTeam(Player* player, int choice) override
    {
        if (GameMod* mode = Services().game->GetGameMode())
            mode->SetPlayerTeam(player, choice, true, true);
        UpdatePlayer(player->GetNetworkId(), player->GetX(), player->GetY(), 0, player->GetTeam(), nullptr);
    }

    int32_t lastId = 100;
    int levelStarts = 0;
    std::vector<MemoryConnection*> connections;
    std::vector<std::u16string> notices, messages;
};

class ModeClient : public ClientHandler {
public:
    void AddObject(MPAPI::Object*) override {}
    void AddLevelObject(MPAPI::Object*) override {}
    void RemoveObject(MPAPI::Object*) override {}
};

struct ModeWorld {
    ResourceManager resources{nullptr, nullptr, nullptr};
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    ModeServer server;
    ModeClient client;
    std::vector<std::unique_ptr<MemoryConnection>> connections;
    std::vector<std::unique_ptr<FakeScores>> scores;

    // The level's mode made as a level header names it.
    explicit ModeWorld(int mode)
    {
        resources.CreateObjectResource(ResourceClass::Floor)->SetId(1);
        resources.BuildIndex();
        world = std::make_unique<World>(&resources);
        world->Resize(16, 16, 0, 0, 0, 0, -1, -1);
        game = std::make_unique<GameSystem>(nullptr, world.get(), &resources, nullptr, nullptr);
        game->SetHandlers(&server, &client);
        game->SetActiveHandler(&server);
        game->SetGameMode(CreateGameModeObject(mode));
    }

    GameMod* Mode() { return game->GetGameMode(); }
    GameOptions& Options() { return game->Options(); }
    void Limits(int minutes, int frags, int teamFrags)
    {
        Options().SetServerTimeLimit(minutes), Options().SetServerFragLimit(frags);
        Options().SetServerTeamFragLimit(teamFrags);
    }

    // A client joining over its connection, then taking a team (1, 2).
    Player* Join(const char16_t* name, int choice)
    {
        connections.push_back(std::make_unique<MemoryConnection>());
        MemoryConnection* c = connections.back().get();
        server.connections.push_back(c);
        Player* p = server.AcceptJoin(c, name, "uid");
        scores.push_back(std::make_unique<FakeScores>());
        p->SetScores(scores.back().get());
        server.ChangeTeam(p, choice);
        return p;
    }
    FakeScores& ScoresOf(Player* p) { return *static_cast<FakeScores*>(p->GetScores()); }

    void Kill(Player* victim, Player* killer, bool headShot = false)
    {
        victim->TakeBulletDamage(1000.0f, 0.0f, killer, victim->GetX(), victim->GetY(), headShot, -1);
        victim->ResetForSpawn();
    }

    // Server frames of 0.1 s until `seconds` have passed or a level starts.
    void Run(float seconds)
    {
        for (int i = 0, starts = server.levelStarts; i < int(seconds * 10.0f + 0.5f) && server.levelStarts == starts; ++i)
            Mode()->Update(0.1f);
    }

    // Hands every message a client has been sent so far to `mode`.
    int Deliver(MemoryConnection* c, GameMod* mode)
    {
        MemoryConnection in;
        in.inbound.swap(c->sent);
        int handled = 0;
        while (GamePacket* p = client.ReceiveNext(&in))
            handled += mode->HandleMessage(&in, p) ? 1 : 0;
        return handled;
    }
};

} // namespace modetest
