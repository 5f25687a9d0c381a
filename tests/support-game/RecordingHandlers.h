#pragma once

// The game's handlers with nothing sent for them: they keep what the game
// hands them. Given a server or client, they replicate through it.

#include "engine/net/IClient.h"
#include "engine/net/IServer.h"
#include "game/shell/protocol/ClientHandler.h"
#include "game/shell/protocol/MemoryConnection.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/GamePacket.h"
#include "game/world/player/Player.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// Numbers the objects it is handed when no server does. Keeps the packet
// types it broadcasts and hands the packets to the memory connections a
// test joins; keeps the texts, blasts and level starts; moves a player
// between teams at once. A player's team may be set by id.
class RecordingServer : public ServerHandler {
public:
    ~RecordingServer() override { delete server; }
    void AddObject(MPAPI::Object* o) override
    {
        added.push_back(o);
        if (server)
            server->AddObject(o);
        else
            o->SetNetworkId(++lastId);
    }
    void AddLevelObject(MPAPI::Object* o) override
    {
        levelAdded.push_back(o);
        if (server)
            server->AddObjectUnlocked(o);
    }
    void RemoveObject(MPAPI::Object* o) override
    {
        removed.push_back(o);
        if (server)
            server->RemoveObject(o);
    }
    // Owned, as the game's handler owns it.
    void SetServer(MPAPI::IServer* s) override { server = s; }
    MPAPI::IServer* GetServer() override { return server; }
    void SetLevelCheckValue(int32_t v) override { checkValue = v; }
    void BroadcastBlast(float, float, float, float) override { ++blasts; }
    void SendPlayerStatus() override { ++statusReports; }
    void Broadcast(GamePacket* p, MPAPI::IConnection* except) override
    {
        sent.push_back(p->GetType());
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
    int GetPlayerTeam(int32_t id) override
    {
        auto t = teams.find(id);
        return t != teams.end() ? t->second : ServerHandler::GetPlayerTeam(id);
    }
    int Count(int type) const { return int(std::count(sent.begin(), sent.end(), type)); }

    MPAPI::IServer* server = nullptr;
    int32_t lastId = 100;
    std::vector<MPAPI::Object*> added, levelAdded, removed;
    std::vector<int> sent;
    std::vector<MemoryConnection*> connections;
    std::vector<std::u16string> notices, messages;
    std::map<int32_t, int> teams;
    int32_t checkValue = 0;
    int blasts = 0, statusReports = 0, levelStarts = 0;
};

class RecordingClient : public ClientHandler {
public:
    void AddObject(MPAPI::Object* o) override { added.push_back(o); }
    void AddLevelObject(MPAPI::Object* o) override
    {
        levelAdded.push_back(o);
        if (client)
            client->AddObject(o);
    }
    void RemoveObject(MPAPI::Object* o) override
    {
        removed.push_back(o);
        if (client)
            client->RemoveObject(o);
    }

    MPAPI::IClient* client = nullptr;
    std::vector<MPAPI::Object*> added, levelAdded, removed;
};
