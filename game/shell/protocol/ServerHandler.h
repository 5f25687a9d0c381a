#pragma once

#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/shell/protocol/RequestBudget.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class IGameOptions;
namespace MPAPI {
class IServer;
}

// The serving side of the game protocol: owns the game server, greets
// connections with the level, uploads it to clients that lack it, turns
// client messages into game changes and starts levels.
class ServerHandler : public MultiplayerHandler {
public:
    // One level upload in progress; the whole file is held in memory.
    struct UploadInfo {
        MPAPI::IConnection* connection = nullptr;
        int32_t bytesSent = 0;
        int32_t totalSize = 0;
        std::vector<uint8_t> data;
    };

    static constexpr int kChunkBytes = 1000;
    static constexpr int kUploadSendSpace = 5000;
    // Longer level paths are refused: the first chunk must carry the name.
    static constexpr int kMaxPathUnits = 255;
    // After no level of the cycle would load, the end of a match asks
    // again only this often.
    static constexpr float kLevelRetrySeconds = 5.0f;

    explicit ServerHandler(GameSystem* game = nullptr);
    ~ServerHandler() override;

    void SetServer(MPAPI::IServer* server) override;
    virtual MPAPI::IServer* GetServer() { return server_; }
    void SetLevelCheckValue(int32_t value) override { levelCheckValue_ = value; }
    void SetLevelFile(std::vector<uint8_t> bytes) override { levelFile_ = std::move(bytes); }
    void BroadcastBlast(float x, float y, float power, float radius) override;
    void SendPlayerStatus() override;

    // Dedicated-server lines (complete, ending in "\n"); none when unset.
    void SetConsolePrinter(std::function<void(const std::u16string&)> printer) { printer_ = std::move(printer); }
    // A client that hosts plays with a player of its own.
    void SetHostsOwnPlayer(bool on) { hostsOwnPlayer_ = on; }
    const char16_t* GetLevelPath() const { return levelPath_.c_str(); }
    int CountConnections() const { return int(peers_.size()); }
    int CountUploads() const { return int(uploads_.size()); }

    void AcceptConnection(MPAPI::IConnection* connection);
    // The level being played goes as the bytes that were loaded; another
    // path is read as levels are (the package first). False when it cannot
    // be read.
    bool StartUpload(MPAPI::IConnection* connection, const char16_t* path);
    void HandleMessages(MPAPI::IConnection* connection);

    void RemoveObject(MPAPI::Object* object) override;
    void AddObject(MPAPI::Object* object) override;
    void AddLevelObject(MPAPI::Object* object) override;
    bool RemovePlayer(int32_t id) override;
    void SendPlayerList(MPAPI::IConnection* connection) override;
    void SendPlayerTable(MPAPI::IConnection* connection) override;
    void AddPlayer(int32_t id, const char16_t* name, MPAPI::IConnection* connection) override;
    void UpdatePlayer(int32_t id, float x, float y, int value, int team, MPAPI::IConnection* connection) override;
    uint32_t GetPlayerAddress(int32_t id) override;
    int GetPlayerPort(int32_t id) override;
    void KickPlayer(int32_t id) override;
    bool BanPlayer(const char16_t* name) override;
    bool UnbanPlayer(const char16_t* name) override;
    void BanAddress(uint32_t address) override;
    void ChangeTeam(Player* player, int team) override;
    void Stop() override;
    void SetClientState(int flags, float x, float y, float value, int a, int b, float u, float v) override;
    void Update(float dt) override;
    void ResetObjects() override;
    bool IsLevelReadable(const char16_t* path) override;
    void Broadcast(GamePacket* packet, MPAPI::IConnection* except) override;
    bool ProcessNetwork() override;
    void SendMessageTo(Player* player, const char16_t* text) override;
    void BroadcastMessage(const char16_t* text, int team, bool notice, bool teamOnly) override;
    void SendChat(const char16_t* text, bool teamOnly) override;
    void RequestTeamChange(int team) override;
    void SetMaxPlayers(int count) override;
    void SetPassword(const char16_t* password) override;
    bool StartLevel() override;
    void SendPlayerAction(int power) override;
    void SendInventoryClear(Player* player) override;

private:
    // A greeted connection and where it stands in the level hand-over.
    struct Peer {
        MPAPI::IConnection* connection = nullptr;
        uint32_t address = 0;       // kept: a closed connection forgets it
        bool awaitingCheck = false; // told the level, its check not yet taken
        bool ready = false;         // told the level is ready: it may join
        // Requests a client may repeat at will. A wall-state request over
        // budget waits (its answer drives the client's chain); the others
        // are dropped.
        RequestBudget wallState{8.0f, 8.0f};
        RequestBudget teamChange{2.0f, 1.0f};
        RequestBudget chat{4.0f, 2.0f};
        bool wallStatePending = false;
        uint32_t wallStateStart = 0;
    };

    Peer* FindPeer(MPAPI::IConnection* connection);
    MPAPI::IConnection* ConnectionOf(int32_t playerId);
    Player* PlayerOf(MPAPI::IConnection* connection);
    void Print(const std::u16string& line);
    void SendLevelStart(Peer& peer);
    void SendLevelReady(MPAPI::IConnection* connection);
    void HandleLevelCheck(Peer& peer, uint32_t check);
    // Answers the peer's waiting wall-state request when its budget and its
    // outgoing stream allow.
    void AnswerWallState(Peer& peer);
    void RefillBudgets(float dt);
    void AdvanceUploads();
    void DropUploadsOf(MPAPI::IConnection* connection);
    void AbortUploads();
    // object: the connection's player object as it was before its state was read.
    void DropLostConnection(size_t index, MPAPI::Object* object);
    // The path, or the first after it in the map cycle, that reads as a
    // level; false when none does.
    bool ChooseLoadableLevel(std::u16string* path);
    bool LevelParses(const std::u16string& path);
    // Says so when the game folder's own copy of the level played would
    // not be played.
    void ReportDamagedDiskCopy(const std::u16string& path);
    // Makes the mode and loads the level; after a failure, the level played
    // before, then the rest of the cycle. False when none loaded.
    bool LoadWithFallback(std::u16string* path, const std::u16string& previous);
    bool Load(const std::u16string& path);
    void ReportInvalidLevel(const std::u16string& path);
    void ForgetPlayerObjects();
    void JoinOwnPlayer();
    void AddRoundStats();

    MPAPI::IServer* server_ = nullptr;
    std::vector<Peer> peers_;
    std::u16string levelPath_;
    int32_t levelCheckValue_ = 0;
    std::vector<uint8_t> levelFile_;
    std::vector<std::unique_ptr<UploadInfo>> uploads_;
    std::function<void(const std::u16string&)> printer_;
    bool hostsOwnPlayer_ = false;
    // Set while the match rules run: a level start asked for from there
    // is the automatic one at a match end.
    bool inMatchUpdate_ = false;
    float levelRetryWait_ = 0.0f;
    // The player count last handed to the master service's announcement.
    int announcedPlayers_ = -1;
    // Paths already reported invalid since the last level that started.
    std::vector<std::u16string> reportedInvalid_;
};
