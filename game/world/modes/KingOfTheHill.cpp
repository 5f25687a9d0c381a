#include "game/world/modes/KingOfTheHill.h"

#include "engine/core/StringKit.h"
#include "engine/web/IPlayerScores.h"
#include "game/world/modes/MissionItemFlag.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/player/Player.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

namespace {

// A team value from the wire: anything but the two teams shows nothing.
int32_t TeamOrNone(uint32_t value) { return value == 0 || value == 7 ? int32_t(value) : -1; }

} // namespace

KingOfTheHill::KingOfTheHill() = default;

void KingOfTheHill::ForEachHillFlag(const std::function<void(MissionItemFlag*)>& f)
{
    ObjectManager* objects = Objects();
    if (!objects)
        return;
    objects->ForEachObject([&](Object* object) {
        if (object->GetKind() == ObjectKind::MissionItem)
            if (MissionItemFlag* flag = dynamic_cast<MissionItemFlag*>(object))
                f(flag);
    });
}

template <class F> void KingOfTheHill::ForEachPlayer(F f)
{
    ObjectManager* objects = Objects();
    if (!objects)
        return;
    objects->ForEachPlayer([&](Object* object) {
        if (object->GetKind() == ObjectKind::Player)
            f(static_cast<Player*>(object));
    });
}

void KingOfTheHill::Start()
{
    GameMod::Start();
    roundWinner_ = -1;
    roundWinTimer_ = 0.0f;
}

void KingOfTheHill::Restart()
{
    GameMod::Restart();
    roundWinner_ = -1;
    roundWinTimer_ = 0.0f;
}

void KingOfTheHill::AdvanceRoundWin(float dt)
{
    if (roundWinner_ == -1)
        return;
    roundWinTimer_ += dt;
    if (roundWinTimer_ <= kRoundWinDisplay)
        return;
    roundWinTimer_ = 0.0f;
    roundWinner_ = -1;
    if (Serving())
        StartNextRound();
}

void KingOfTheHill::Update(float dt)
{
    AdvanceServerClock(dt);
    GameMod::Update(dt);
    AdvanceRoundWin(dt);
    UpdateCooldowns(dt);
    UpdateBalanceFlag();
    if (EndAtTimeLimit(dt, Handler()))
        return;
    if (roundWinner_ != -1)
        return;
    const int holder = FindHolder();
    if (holder == -1)
        return;
    ScoreRound(holder);
    roundWinner_ = holder;
    roundWinTimer_ = 0.0f;
    BroadcastScoringTeam(holder);
}

void KingOfTheHill::CheckLimits(float dt)
{
    AdvanceRoundWin(dt);
    AdvanceClientClock(dt);
}

int KingOfTheHill::FindHolder()
{
    bool finnish = false, russian = false, neutral = false;
    ForEachHillFlag([&](MissionItemFlag* flag) {
        const int team = flag->GetTeam();
        finnish |= team == kFinland;
        russian |= team == kRussia;
        neutral |= team != kFinland && team != kRussia;
    });
    // A team holds the hill only with every flag its own.
    if (finnish && !russian && !neutral)
        return kFinland;
    if (russian && !finnish && !neutral)
        return kRussia;
    return -1;
}

void KingOfTheHill::ScoreRound(int team)
{
    if (!Serving())
        return;
    ForEachPlayer([&](Player* player) {
        if (player->GetTeam() != team)
            return;
        // The scoreboard weighs a round won as one capture.
        player->AddCapture();
        // A player without a score record (a bot, a test) keeps no score.
        if (IPlayerScores* scores = player->GetScores()) {
            scores->AddObjectivePoints(kRoundWinPoints);
            scores->AddPoints(kRoundWinPoints);
        }
    });
}

void KingOfTheHill::StartNextRound()
{
    ForEachHillFlag([](MissionItemFlag* flag) { flag->ResetToStart(); });
    ForEachPlayer([&](Player* player) {
        player->ResetForSpawn();
        SpawnPlayer(player);
    });
}

void KingOfTheHill::AnnounceCapture(Player* player, int previousTeam)
{
    const char16_t* format = previousTeam == kFinland  ? u"Player %s captured a finland flag"
                             : previousTeam == kRussia ? u"Player %s captured a russian flag"
                                                       : u"Player %s captured a flag";
    char16_t text[257];
    Util::FormatTo(text, sizeof text / sizeof text[0], format, PlayerName(player));
    BroadcastNotice(text, false);
}

bool KingOfTheHill::IsGameOver()
{
    if (waitingForTime_)
        return false;
    return clock_.GetTimeLimit() > 0.0f && clock_.GetTimeLeft() <= clock_.GetGameOverDisplay();
}

MissionItem* KingOfTheHill::CreateFlagObject(int definitionId) { return new MissionItemFlag(definitionId); }

void KingOfTheHill::SendModeInfo(MPAPI::IConnection* connection, int32_t playerId)
{
    SendStatus(connection, playerId, u"Playing king of the hill");
}

bool KingOfTheHill::HandleMessage(MPAPI::IConnection*, GamePacket* packet)
{
    if (!packet)
        return false;
    switch (packet->GetType()) {
    case uint16_t(GameMessage::GameModeCapture): {
        uint32_t team = uint32_t(-1);
        packet->Read32(&team);
        roundWinner_ = TeamOrNone(team);
        roundWinTimer_ = 0.0f;
        ReadCaptureCounts(packet);
        return true;
    }
    case uint16_t(GameMessage::GameModeTime):
        ReadTimeMessage(packet);
        return true;
    default:
        return false;
    }
}
