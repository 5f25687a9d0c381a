#pragma once

// A serving game state on an empty map whose handler keeps what it sent:
// bytes per joined connection, notices, level starts.
#include "game/shell/protocol/MemoryConnection.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/player/Player.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/ObjectFactory.h"
#include "support-game/RecordingHandlers.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace modetest {

struct ModeWorld {
    ResourceManager resources{nullptr, nullptr, nullptr};
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    RecordingServer server;
    RecordingClient client;
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
        for (int i = 0, starts = server.levelStarts; i < int(seconds * 10.0f + 0.5f) && server.levelStarts == starts;
             ++i)
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
