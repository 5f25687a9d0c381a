#pragma once

#include "game/world/modes/GameTiming.h"

#include <cstdint>
#include <string>
#include <vector>

class GamePacket;
class ITexture;
class MissionItem;
class IMultiplayerHandler;
class Object;
class ObjectManager;
class Player;
namespace MPAPI {
class IConnection;
}

// The rules of the match on the current level; the game state owns the one
// of the level being played. The same object runs on the server, which
// calls Update every frame, and on each client, which calls CheckLimits and
// follows the server's clock and limits through messages 2001 and 2002.
// Every operation has a default so that a mode overrides only what it
// changes; the defaults below are the rules the three modes share.
class GameMod {
public:
    static constexpr int kFinland = 0;
    static constexpr int kRussia = 7;
    // Team choices of the team menu and of message 21.
    static constexpr int kChooseFinland = 1;
    static constexpr int kChooseRussia = 2;
    static constexpr int kFinlandRgb[3] = {151, 145, 253};
    static constexpr int kRussiaRgb[3] = {252, 81, 90};
    static constexpr float kRespawnCooldown = 10.0f;
    static constexpr float kTimeMessageInterval = 5.0f;

    GameMod();
    virtual ~GameMod() {}
    GameMod(const GameMod&) = delete;
    GameMod& operator=(const GameMod&) = delete;

    virtual float GetTimeLimit() { return clock_.GetTimeLimit(); }
    virtual float GetTimeLeft() { return clock_.GetTimeLeft(); }
    virtual float GetElapsedTime() { return clock_.GetElapsed(); }
    virtual float GetScoreFactor() { return 1.0f; }
    // Server, at every level start: a new clock, phases and cooldowns.
    virtual void Start();
    // Client, every frame.
    virtual void CheckLimits(float dt);
    // Server, every frame. The base takes the phase snapshots only; a mode
    // advances the clock first (AdvanceServerClock) and calls this.
    virtual void Update(float dt);
    virtual void DrawHud() {}
    virtual void DrawScoreboard() {}
    virtual void DrawTeamSelect();
    virtual void DrawMapFlags(float /*x*/, float /*y*/, float /*scaleX*/, float /*scaleY*/) {}
    virtual Player* CreatePlayer();
    virtual void SpawnPlayer(Player* player);
    // choice 1 Finland, 2 Russia.
    virtual void SetPlayerTeam(Player* player, int choice, bool respawn, bool force);
    virtual bool ToggleBalance();
    virtual bool IsBalancePending() { return balanceNow_; }
    // Told of every death on every machine; scores only while serving.
    // killDetail 1 is a head shot; the killer may be any object or null.
    virtual void OnKill(Player* victim, Object* killer, int killDetail, int weaponId);
    virtual void AwardFrag(Player* player);
    virtual bool CanRespawn(Player* player);
    // Null lets the caller make a plain mission item.
    virtual MissionItem* CreateFlagObject(int /*definitionId*/) { return nullptr; }
    virtual bool OnFlagTouched(Player*, MissionItem*) { return true; }
    virtual void OnFlagTaken(Player*, MissionItem*) {}
    virtual void OnFlagDropped(Player*, MissionItem*) {}
    virtual bool IsGameOver();
    // Client, at every level start: the clock waits for the server's.
    virtual void Restart();
    // Server, for a joining player: the limits and the mode's status line.
    virtual void SendModeInfo(MPAPI::IConnection* /*connection*/, int32_t /*playerId*/) {}
    // Client side of the mode's messages; false for a type it does not use.
    virtual bool HandleMessage(MPAPI::IConnection*, GamePacket*) { return false; }
    virtual bool HandleMessage2(MPAPI::IConnection*, GamePacket*) { return false; }

    // The team's number on the scoreboard: its frags, or its captures in
    // the modes that count them.
    virtual int GetScoreboardNumber(int team);

    int GetPhase() const { return phase_; }
    bool IsWaitingForTime() const { return waitingForTime_; }
    int GetReceivedFragLimit() const { return fragLimit_; }
    int GetReceivedTeamFragLimit() const { return teamFragLimit_; }
    float GetCooldown(int team) const { return cooldown_[team == kFinland ? 0 : 1]; }

protected:
    // The handler of the side this runs on; null without one.
    IMultiplayerHandler* Handler();
    // The registry given at creation, else the game's; null without either.
    ObjectManager* Objects();
    GameTiming& Clock() { return clock_; }
    static bool Serving();

    // Server clock step against the option's limit.
    void AdvanceServerClock(float dt);
    // Client clock step against the server's limit once it is known.
    void AdvanceClientClock(float dt);
    void UpdateCooldowns(float dt);
    // Clears the balance-now flag once the teams are within one player.
    void UpdateBalanceFlag();
    // Frag-limited modes, server: game over after a limit, the next level
    // 20 s later or when the time is up, and message 2001 every 5 s.
    void UpdateMatchEnd(float dt);
    // Server: at the time limit, starts the next level and answers true
    // (the next level replaces this object: the caller returns at once);
    // otherwise sends message 2001 every 5 s.
    bool EndAtTimeLimit(float dt, IMultiplayerHandler* handler);
    // Frag-limited modes, client: the clock, then the received limits.
    void CheckReceivedLimits(float dt);
    // Message 2001: the server's time left and, when sent, its time limit
    // and its frag limits.
    void ReadTimeMessage(GamePacket* packet);
    // Message 2002: the frag limit and the team frag limit.
    void ReadLimitsMessage(GamePacket* packet);

    // Modes whose scoreboard counts captures send every player's count
    // behind what older readers of messages 2001 and 2004 read: a client is
    // never sent a player's count with the player, nor sent far players.
    virtual bool CountsCaptures() const { return false; }
    void WriteCaptureCounts(GamePacket& packet);
    void ReadCaptureCounts(GamePacket* packet);
    // A player's captures: the server's count, or a client's as last told.
    int CapturesOf(int32_t playerId);

    // Messages. Nothing is sent unless serving.
    void BroadcastTime();
    void BroadcastLimits();
    void SendLimits(MPAPI::IConnection* connection);
    void BroadcastScoringTeam(int team);
    void SendStatus(MPAPI::IConnection* connection, int32_t playerId, const char16_t* text);
    void BroadcastNotice(const char16_t* text, bool notice);

    // Players and teams.
    Player* FindPlayer(int32_t id);
    const char16_t* PlayerName(Player* player);
    int CountTeam(int team);
    // The frame shared by the scoreboards; scores are frags unless a mode
    // says otherwise.
    void DrawScoreboardFrame(int finlandNumber, int russiaNumber);
    virtual int ScoreboardScore(int /*playerId*/, int frags, int /*captures*/) { return frags; }
    // A picture under "gfx/", loaded once per mode object; null when missing
    // or on the dedicated server.
    ITexture* Image(const char16_t* file);
    // Draws a picture at its own size with its top-left corner at (x, y).
    void DrawImage(ITexture* image, float x, float y, float alpha);
    // "gui/finland_scores.png" (team 0) or "gui/russia_scores.png" (team 7)
    // at its own size, centred on x 512 with its top at y 200.
    void DrawScoringBanner(int team, float alpha);
    // Capture the flag drops the carried items before a team change.
    virtual void BeforeTeamChange(Player*) {}

    int32_t counts_[3] = {};
    int32_t phase_ = 0;
    GameTiming clock_;
    bool waitingForTime_ = false;
    float timeMessageTimer_ = 0.0f;
    // The server's limit in seconds as message 2001 told it; < 0 unknown.
    float serverTimeLimit_ = -1.0f;
    bool gameOver_ = false;
    float gameOverTimer_ = 0.0f;
    // The limits as a client received them; 0 until told.
    int32_t fragLimit_ = 0;
    int32_t teamFragLimit_ = 0;
    bool balanceNow_ = false;
    float cooldown_[2] = {};

private:
    struct CachedImage {
        std::u16string file;
        ITexture* texture;
    };

    void ReportPhase();

    std::vector<CachedImage> images_;
    // A client's copy of the server's capture counts: player id, count.
    std::vector<std::pair<int32_t, int>> toldCaptures_;
};
