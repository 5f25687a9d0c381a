#pragma once

#include "game/world/modes/GameMod.h"

#include <functional>

class MissionItemFlag;

// Teams take the level's hill flags by standing at them; holding every flag
// at once wins a round, after which flags and players start over. Only the
// time limit ends the match.
class KingOfTheHill : public GameMod {
public:
    static constexpr float kRoundWinDisplay = 5.0f;
    static constexpr int kRoundWinPoints = 5;

    KingOfTheHill();

    void Start() override;
    void CheckLimits(float dt) override;
    void Update(float dt) override;
    void DrawHud() override;
    void DrawScoreboard() override;
    void DrawMapFlags(float x, float y, float scaleX, float scaleY) override;
    MissionItem* CreateFlagObject(int definitionId) override;
    bool OnFlagTouched(Player*, MissionItem*) override { return false; }
    bool IsGameOver() override;
    void Restart() override;
    void SendModeInfo(MPAPI::IConnection* connection, int32_t playerId) override;
    bool HandleMessage(MPAPI::IConnection* connection, GamePacket* packet) override;

    // The team that holds every hill flag (0 or 7), -1 when none does or
    // there are no flags.
    int FindHolder();
    // Told by a flag whose capture just completed.
    void AnnounceCapture(Player* player, int previousTeam);
    bool IsShowingRoundWin() const { return roundWinner_ != -1; }
    int GetRoundWinner() const { return roundWinner_; }

protected:
    int ScoreboardScore(int, int frags, int captures) override { return captures * kRoundWinPoints + frags; }
    bool CountsCaptures() const override { return true; }

private:
    void ForEachHillFlag(const std::function<void(MissionItemFlag*)>& f);
    template <class F> void ForEachPlayer(F f);
    void AdvanceRoundWin(float dt);
    void ScoreRound(int team);
    void StartNextRound();

    int32_t roundWinner_ = -1;
    float roundWinTimer_ = 0.0f;
};
