#pragma once

// Players as the handler sees them through its roster, and a handler that
// records the texts it is asked to broadcast.
#include "engine/net/Object.h"
#include "engine/web/IPlayerScores.h"
#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/world/net/IPlayerRoster.h"

#include <memory>
#include <string>
#include <vector>

struct FakePlayer : MPAPI::Object {
    int32_t id = 0;
    IPlayerRoster::Figures figures;
    MPAPI::IConnection* connection = nullptr;
    IPlayerScores* scores = nullptr;
    bool relativeMoving = false;

    const MPAPI::FieldRecord* GetFieldTable() override { return nullptr; }
    int GetTypeId() override { return 2; }
    float GetX() override { return 0; }
    float GetY() override { return 0; }
    bool IsNear(float, float, bool*) override { return true; }
    void SetNetPosition(float, float, float, float) override {}
};

// Player is the game's class; here a handle onto a FakePlayer.
inline Player* AsPlayer(FakePlayer* p) { return reinterpret_cast<Player*>(p); }
inline FakePlayer* AsFake(Player* p) { return reinterpret_cast<FakePlayer*>(p); }

class FakeRoster : public IPlayerRoster {
public:
    std::vector<std::unique_ptr<FakePlayer>> players;
    int32_t nextId = 100;
    bool hasMode = true;
    int modeInfos = 0;

    FakePlayer* Add(int32_t id, int team, int frags, float health = 100.0f)
    {
        players.push_back(std::make_unique<FakePlayer>());
        FakePlayer* p = players.back().get();
        p->id = id;
        p->figures.team = team;
        p->figures.frags = frags;
        p->figures.health = health;
        return p;
    }
    Player* FindPlayer(int32_t id) override
    {
        for (auto& p : players)
            if (p->id == id)
                return AsPlayer(p.get());
        return nullptr;
    }
    int32_t GetPlayerId(Player* p) override { return AsFake(p)->id; }
    Figures GetFigures(Player* p) override { return AsFake(p)->figures; }
    Player* CreatePlayer() override { return hasMode ? AsPlayer(Add(nextId++, -1, 0)) : nullptr; }
    MPAPI::Object* AsNetObject(Player* p) override { return AsFake(p); }
    void SetConnection(Player* p, MPAPI::IConnection* c) override { AsFake(p)->connection = c; }
    void SetScores(Player* p, IPlayerScores* s) override { AsFake(p)->scores = s; }
    IPlayerScores* GetScores(Player* p) override { return AsFake(p)->scores; }
    void SetRelativeMoving(Player* p, bool on) override { AsFake(p)->relativeMoving = on; }
    void SendModeInfo(MPAPI::IConnection*) override { ++modeInfos; }
};

struct SentText {
    std::u16string text;
    int team;
    bool teamOnly;
};

class RecordingHandler : public MultiplayerHandler {
public:
    void RemoveObject(MPAPI::Object*) override {}
    void AddObject(MPAPI::Object*) override {}
    void AddLevelObject(MPAPI::Object*) override {}
    void BroadcastMessage(const char16_t* text, int team, bool, bool teamOnly) override
    {
        broadcasts.push_back({text, team, teamOnly});
    }
    std::vector<SentText> broadcasts;
};
