#pragma once

#include "game/shell/protocol/LevelDownload.h"
#include "game/shell/protocol/MultiplayerHandler.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>

namespace MPAPI {
class IClient;
}

// The client side of the game protocol: joins the server's level (checking,
// downloading and loading it), applies the server's messages to the game
// state and sends the player's chat, team choice and actions.
class ClientHandler : public MultiplayerHandler {
public:
    // Waiting for a level ends after this long without a step towards it
    // (a level start, a chunk, the level ready, the player id).
    static constexpr double kLevelWaitSeconds = 30.0;

    explicit ClientHandler(GameSystem* game = nullptr);
    ~ClientHandler() override;

    // The client of a joined game; not owned. Starts afresh.
    void SetClient(MPAPI::IClient* client);
    MPAPI::IClient* GetClient() { return client_; }

    void RemoveObject(MPAPI::Object* object) override;
    void AddObject(MPAPI::Object*) override {}
    void AddLevelObject(MPAPI::Object* object) override;
    int GetPing() override;
    float GetBytesOutPerSecond() override;
    float GetBytesInPerSecond() override;
    int GetPacketsSent() override;
    int GetPacketsReceived() override;
    int GetConnectionState() override;
    void Stop() override;
    void SetClientState(int flags, float x, float y, float value, int a, int b, float u, float v) override;
    void Update(float dt) override;
    void ResetObjects() override;
    bool ProcessNetwork() override;
    void SendChat(const char16_t* text, bool teamOnly) override;
    void RequestTeamChange(int team) override;
    void SendPlayerAction(int power) override;

    // Pumps the network until the level is loaded and the own player id has
    // arrived (true), or the level cannot be had, the connection ends, or
    // nothing arrives for kLevelWaitSeconds (false).
    bool WaitForLevel();
    // The same wait for a level start that already came in the middle of
    // play; it keeps what has arrived of it.
    bool AwaitLevel();
    // A level start came and its level is not yet played.
    bool IsAwaitingLevel() const { return client_ && !(levelLoaded_ && playerIdReceived_); }
    // Handles one message from the server.
    void HandleMessage(GamePacket& packet);

    bool IsLevelLoaded() const { return levelLoaded_; }
    bool HasPlayerId() const { return playerIdReceived_; }
    bool HasJoined() const { return joined_; }
    bool HasLevelMismatch() const { return levelMismatch_; }
    const char16_t* GetLevelPath() const { return levelPath_.c_str(); }
    const LevelDownload& GetDownload() const { return download_; }

    // What waiting uses for sleeping and for the time; the system's own
    // unless set (tests run them on a fake clock).
    void SetSleep(std::function<void(int ms)> sleep) { sleep_ = std::move(sleep); }
    void SetClock(std::function<double()> now) { now_ = std::move(now); }

private:
    MPAPI::IConnection* Connection();
    void Send();
    void ShowText(const char16_t* text, bool newLine);
    // Ends the join with a text: disconnects and makes the wait give up.
    void Refuse(const char16_t* format);

    void OnLevelStart(GamePacket& packet);
    void OnLevelReady(GamePacket& packet);
    void OnPlayerId(GamePacket& packet);
    void OnWallState(GamePacket& packet);
    // The messages that change the own inventory and the HUD lines.
    bool HandleInventoryMessage(GamePacket& packet);
    // Effects, blasts and mission items.
    bool HandleWorldMessage(GamePacket& packet);
    void Pump();
    void Sleep(int ms);
    double Now();

    MPAPI::IClient* client_ = nullptr;
    bool levelLoaded_ = false;
    bool playerIdReceived_ = false;
    std::u16string levelPath_;
    LevelDownload download_;
    bool progressChanged_ = false;
    bool levelMismatch_ = false;
    bool joined_ = false;
    bool localCopy_ = false;
    bool refused_ = false;
    bool progressShown_ = false;
    unsigned joinSteps_ = 0;
    // Levels fetched from a server: their copy on disk is the one to play,
    // whatever the package holds under the same name.
    std::set<std::u16string> fetched_;
    std::function<void(int)> sleep_;
    std::function<double()> now_;
};
