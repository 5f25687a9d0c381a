#pragma once

#include "game/shell/GamePacket.h"

#include <cstdint>
#include <functional>
#include <string>

class GameSystem;
class IGameOptions;
class IPlayerRoster;
class Player;
namespace MPAPI {
class IConnection;
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

// The game-protocol side of a machine: replicated objects, the player table,
// chat and the per-frame network work. The serving and the client handler
// implement the network operations; the defaults here are what a side that
// has no such operation does.
class MultiplayerHandler {
public:
    using GamePacket = ::GamePacket;
    static constexpr int kSlotCount = 64;

    explicit MultiplayerHandler(GameSystem* game = nullptr);
    virtual ~MultiplayerHandler() {}
    MultiplayerHandler(const MultiplayerHandler&) = delete;
    MultiplayerHandler& operator=(const MultiplayerHandler&) = delete;

    virtual void RemoveObject(MPAPI::Object* object) = 0;
    // A new object made while the game runs; serving, it gets its network id.
    virtual void AddObject(MPAPI::Object* object) = 0;
    // An object every machine builds itself from the level file.
    virtual void AddLevelObject(MPAPI::Object* object) = 0;
    virtual int GetPing() { return 0; }
    virtual float GetBytesOutPerSecond() { return 0.0f; }
    virtual float GetBytesInPerSecond() { return 0.0f; }
    virtual int GetPacketsSent() { return 0; }
    virtual int GetPacketsReceived() { return 0; }
    virtual bool RemovePlayer(int32_t id);
    virtual void SendPlayerList(MPAPI::IConnection*) {}
    virtual void SendPlayerTable(MPAPI::IConnection*) {}
    virtual void AddPlayer(int32_t id, const char16_t* name, MPAPI::IConnection* connection);
    // x or y of -1000 keeps the stored one; value -1 keeps value and team.
    virtual void UpdatePlayer(int32_t id, float x, float y, int value, int team, MPAPI::IConnection* connection);
    virtual int GetPlayerFrags(int32_t id);
    virtual int GetPlayerTeam(int32_t id);
    virtual uint32_t GetPlayerAddress(int32_t) { return 0; }
    virtual int GetPlayerPort(int32_t) { return 0; }
    virtual void KickPlayer(int32_t) {}
    virtual bool BanPlayer(const char16_t*) { return false; }
    virtual bool UnbanPlayer(const char16_t*) { return false; }
    virtual void BanAddress(uint32_t) {}
    virtual void ChangeTeam(Player*, int) {}
    virtual int GetConnectionState() { return 0; }
    virtual void Stop() {}
    virtual void SetClientState(int, float, float, float, int, int, float, float) {}
    virtual void Update(float) {}
    virtual void ResetObjects() {}
    virtual bool IsLevelReadable(const char16_t*) { return false; }
    virtual void Broadcast(GamePacket*, MPAPI::IConnection*) {}
    virtual bool ProcessNetwork() { return false; }
    virtual void SendMessageTo(Player*, const char16_t*) {}
    // team -1: everybody.
    virtual void BroadcastMessage(const char16_t*, int /*team*/, bool /*notice*/, bool /*teamOnly*/) {}
    virtual void SendChat(const char16_t*, bool) {}
    virtual void RequestTeamChange(int) {}
    virtual void SetMaxPlayers(int) {}
    virtual void SetPassword(const char16_t*) {}
    virtual bool StartLevel() { return false; }
    virtual void SendPlayerAction(int) {}
    virtual void SendInventoryClear(Player*) {}

    // The next whole message of the connection's stream, valid until the
    // next call; null when none is complete. A header announcing more than
    // 1020 bytes disconnects the peer.
    GamePacket* ReceiveNext(MPAPI::IConnection* connection);

    // The slot holding that id, else the first free one claimed for it.
    PlayerSlot* GetOrAddPlayerSlot(int32_t id);
    void ClearPlayerSlots();
    const PlayerSlot* GetSlot(int i) const { return i >= 0 && i < kSlotCount ? &slots_[i] : nullptr; }
    const char16_t* GetPlayerName(int32_t id);
    int CountPlayers();
    const char16_t* GetPlayerNameAt(int n);
    int32_t GetPlayerIdAt(int n);
    int GetPlayerTeamAt(int n);
    int GetPlayerFragsAt(int n);
    int GetPlayerCapturesAt(int n);
    int GetPlayerRankAt(int n);
    int32_t FindPlayerIdByName(const char16_t* name);
    int GetTeamFrags(int team);
    int GetTeamCaptures(int team);
    int CountTeamPlayers(int team);
    int CountLivingTeamPlayers(int team);
    int GetTopFrags();
    // 0, 7, or -1 for a full tie.
    int GetLeadingTeam();
    Player* GetOwnPlayer();
    int32_t GetLocalPlayerId() const { return ownPlayerId_; }
    void SetLocalPlayerId(int32_t id) { ownPlayerId_ = id; }

    // Null when the join is refused: no game mode, or a name that a player
    // in the table already has (compared ignoring case).
    Player* AcceptJoin(MPAPI::IConnection* connection, const char16_t* name, const char* uid);
    void HandleChat(const char16_t* text, Player* sender, bool teamOnly);
    // Server side of Join and Chat messages from a connection.
    Player* HandleJoinMessage(GamePacket* packet, MPAPI::IConnection* connection);
    void HandleChatMessage(GamePacket* packet, Player* sender);
    // Client side of the player-table messages (8, 9, 10, 19, 30); false
    // for any other type.
    bool HandleTableMessage(GamePacket* packet);

    // Where the handler reaches players and the match rules.
    void SetRoster(IPlayerRoster* roster) { roster_ = roster; }
    void SetOptions(IGameOptions* options) { options_ = options; }
    IPlayerRoster* GetRoster() { return roster_; }
    IGameOptions* GetOptions() { return options_; }
    // The console command interpreter that runs operators' "!" lines.
    void SetCommandRunner(std::function<void(const char16_t*)> runner) { runCommand_ = std::move(runner); }
    GameSystem* GetGame() { return game_; }
    GamePacket& Outgoing() { return outgoing_; }

protected:
    GameSystem* game_;
    int32_t ownPlayerId_ = 0;
    PlayerSlot slots_[kSlotCount];
    GamePacket outgoing_;
    GamePacket incoming_;

private:
    const PlayerSlot* UsedSlotAt(int n) const;
    bool NameInUse(const char16_t* name) const;

    IPlayerRoster* roster_ = nullptr;
    IGameOptions* options_ = nullptr;
    std::function<void(const char16_t*)> runCommand_;
};
