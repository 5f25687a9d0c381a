#pragma once

#include "game/world/net/GamePacket.h"
#include "game/world/net/IMultiplayerHandler.h"

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

// The game-protocol side of a machine: replicated objects, the player table,
// chat and the per-frame network work. The serving and the client handler
// implement the network operations; the defaults here are what a side that
// has no such operation does.
class MultiplayerHandler : public IMultiplayerHandler {
public:
    using GamePacket = ::GamePacket;

    explicit MultiplayerHandler(GameSystem* game = nullptr);
    ~MultiplayerHandler() override {}
    MultiplayerHandler(const MultiplayerHandler&) = delete;
    MultiplayerHandler& operator=(const MultiplayerHandler&) = delete;

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
    void UpdatePlayer(int32_t id, float x, float y, int value, int team, MPAPI::IConnection* connection) override;
    virtual int GetPlayerFrags(int32_t id);
    int GetPlayerTeam(int32_t id) override;
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
    void Broadcast(GamePacket*, MPAPI::IConnection*) override {}
    virtual bool ProcessNetwork() { return false; }
    void SendMessageTo(Player*, const char16_t*) override {}
    // team -1: everybody.
    void BroadcastMessage(const char16_t*, int /*team*/, bool /*notice*/, bool /*teamOnly*/) override {}
    virtual void SendChat(const char16_t*, bool) {}
    virtual void RequestTeamChange(int) {}
    virtual void SetMaxPlayers(int) {}
    virtual void SetPassword(const char16_t*) {}
    bool StartLevel() override { return false; }
    virtual void SendPlayerAction(int) {}
    void SendInventoryClear(Player*) override {}

    // The next whole message of the connection's stream, valid until the
    // next call; null when none is complete. A header announcing more than
    // 1020 bytes disconnects the peer.
    GamePacket* ReceiveNext(MPAPI::IConnection* connection);

    // The slot holding that id, else the first free one claimed for it.
    PlayerSlot* GetOrAddPlayerSlot(int32_t id);
    void ClearPlayerSlots();
    const PlayerSlot* GetSlot(int i) const override { return i >= 0 && i < kSlotCount ? &slots_[i] : nullptr; }
    const char16_t* GetPlayerName(int32_t id) override;
    int CountPlayers() override;
    const char16_t* GetPlayerNameAt(int n);
    int32_t GetPlayerIdAt(int n);
    int GetPlayerTeamAt(int n);
    int GetPlayerFragsAt(int n) override;
    int GetPlayerCapturesAt(int n) override;
    int GetPlayerRankAt(int n) override;
    int32_t FindPlayerIdByName(const char16_t* name);
    int GetTeamFrags(int team) override;
    int GetTeamCaptures(int team) override;
    int CountTeamPlayers(int team) override;
    int CountLivingTeamPlayers(int team) override;
    int GetTopFrags() override;
    // 0, 7, or -1 for a full tie.
    int GetLeadingTeam() override;
    Player* GetOwnPlayer();
    int32_t GetLocalPlayerId() const override { return ownPlayerId_; }
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
    void SetRoster(IPlayerRoster* roster) override { roster_ = roster; }
    // Settings for a handler made without a game state; one with a game
    // state works by the game state's, as every server program's does.
    void SetOptions(IGameOptions* options) { options_ = options; }
    IPlayerRoster* GetRoster() { return roster_; }
    IGameOptions* Settings();
    // The console command interpreter that runs operators' "!" lines.
    void SetCommandRunner(std::function<void(const char16_t*)> runner) { runCommand_ = std::move(runner); }
    GameSystem* GetGame() { return game_; }
    GamePacket& Outgoing() override { return outgoing_; }

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

// The game state's active handler as the shell's own type: every handler the
// shell installs in the game state is a MultiplayerHandler.
MultiplayerHandler* ActiveHandlerOf(GameSystem* game);
