#pragma once

#include "game/world/modes/GameMod.h"

// Each team guards its flag at its base; a player scores by bringing the
// enemy flag to the own one. A carrier who dies leaves a dropped flag that
// the owners return by touching it and the enemies take up again.
class CaptureTheFlag : public GameMod {
public:
    static constexpr float kScoringDisplay = 7.0f;
    static constexpr int kCapturePoints = 10;

    CaptureTheFlag();

    void Start() override;
    void CheckLimits(float dt) override;
    void Update(float dt) override;
    void DrawHud() override;
    void DrawScoreboard() override;
    void DrawMapFlags(float x, float y, float scaleX, float scaleY) override;
    bool OnFlagTouched(Player* player, MissionItem* item) override;
    void OnFlagTaken(Player* player, MissionItem* item) override;
    void OnFlagDropped(Player* player, MissionItem* item) override;
    void SendModeInfo(MPAPI::IConnection* connection, int32_t playerId) override;
    bool HandleMessage(MPAPI::IConnection* connection, GamePacket* packet) override;

    int GetScoringTeam() const { return scoringTeam_; }
    float GetScoringTimer() const { return scoringTimer_; }
    // The banner's alpha: 0.7, fading over the last half second.
    float GetBannerAlpha() const;
    // The base flag of the team (0 or 7) last taken; null when unknown.
    MissionItem* GetTeamFlag(int team);

protected:
    int ScoreboardScore(int, int frags, int captures) override { return captures * 10 + frags; }
    bool CountsCaptures() const override { return true; }
    void BeforeTeamChange(Player* player) override;

private:
    // The player of team T gives up the enemy flag it carries at its base.
    void Capture(Player* player, int carriedType);
    // A team's dropped flag touched by a player.
    void TouchDropped(Player* player, int flagTeam, MissionItem* dropped);
    void AdvanceScoring(float dt);
    void Announce(const char16_t* format, Player* player);

    int32_t scoringTeam_ = -1;
    float scoringTimer_ = 0.0f;
    // Not owned: checked against the world before every use.
    MissionItem* teamFlags_[2] = {};
};
