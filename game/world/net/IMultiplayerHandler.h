#pragma once

#include <cstdint>
#include <vector>

class GamePacket;
class IPlayerRoster;
class Player;
namespace MPAPI {
class IConnection;
class IServer;
class Object;
} // namespace MPAPI

// One entry of the player table.
struct PlayerSlot {
    static constexpr int32_t kNoTeam = 1000;
    static constexpr float kNoPosition = -1000.0f;

    int32_t id = 0; // 0: free
    float x = 0.0f;
    float y = 0.0f;
    char16_t name[64] = {};
    uint16_t value = 0; // ping, 0..9999
    int32_t team = kNoTeam;

    bool IsUsed() const { return id != 0 && team != kNoTeam; }
};

// The game protocol as the world sees it: replication of its objects, the
// messages it sends, and the player table. The shell's handlers implement
// it; the game state holds the serving and the client one and knows which
// is active.
class IMultiplayerHandler {
public:
    static constexpr int kSlotCount = 64;

    virtual ~IMultiplayerHandler() {}

    virtual void RemoveObject(MPAPI::Object* object) = 0;
    // A new object made while the game runs; serving, it gets its network id.
    virtual void AddObject(MPAPI::Object* object) = 0;
    // An object every machine builds itself from the level file.
    virtual void AddLevelObject(MPAPI::Object* object) = 0;

    // The handler's message being built; Broadcast sends it to every joined
    // connection but the excluded one.
    virtual GamePacket& Outgoing() = 0;
    virtual void Broadcast(GamePacket* packet, MPAPI::IConnection* except) = 0;
    virtual void SendMessageTo(Player* player, const char16_t* text) = 0;
    // team -1: everybody.
    virtual void BroadcastMessage(const char16_t* text, int team, bool notice, bool teamOnly) = 0;
    virtual void SendInventoryClear(Player* player) = 0;
    virtual bool StartLevel() = 0;

    // The player table.
    // x or y of -1000 keeps the stored one; value -1 keeps value and team.
    virtual void UpdatePlayer(int32_t id, float x, float y, int value, int team, MPAPI::IConnection* connection) = 0;
    // The handler's slot, or null.
    virtual const PlayerSlot* GetSlot(int i) const = 0;
    virtual int32_t GetLocalPlayerId() const = 0;
    // Borrowed: valid until the player table changes.
    virtual const char16_t* GetPlayerName(int32_t id) = 0;
    virtual int GetPlayerTeam(int32_t id) = 0;
    virtual int CountPlayers() = 0;
    virtual int GetPlayerFragsAt(int n) = 0;
    virtual int GetPlayerCapturesAt(int n) = 0;
    virtual int GetPlayerRankAt(int n) = 0;
    virtual int GetTeamFrags(int team) = 0;
    virtual int GetTeamCaptures(int team) = 0;
    virtual int CountTeamPlayers(int team) = 0;
    virtual int CountLivingTeamPlayers(int team) = 0;
    virtual int GetTopFrags() = 0;
    // 0, 7, or -1 for a full tie.
    virtual int GetLeadingTeam() = 0;
    // Where the handler reaches the world's players and match rules.
    virtual void SetRoster(IPlayerRoster* roster) = 0;

    // The serving side's part; a handler that never serves keeps these.
    // Takes the listening server over.
    virtual void SetServer(MPAPI::IServer*) {}
    virtual void SetLevelCheckValue(int32_t) {}
    // The level file's bytes as loaded, for clients that lack the level.
    virtual void SetLevelFile(std::vector<uint8_t> /*bytes*/) {}
    virtual void BroadcastBlast(float /*x*/, float /*y*/, float /*power*/, float /*radius*/) {}
    virtual void SendPlayerStatus() {}
};
