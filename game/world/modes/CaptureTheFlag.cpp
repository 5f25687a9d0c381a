#include "game/world/modes/CaptureTheFlag.h"

#include "engine/core/StringKit.h"
#include "engine/web/IPlayerScores.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/player/Player.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

namespace {

int Slot(int team) { return team == GameMod::kFinland ? 0 : 1; }

} // namespace

CaptureTheFlag::CaptureTheFlag() = default;

void CaptureTheFlag::Start()
{
    GameMod::Start();
    BroadcastLimits();
    scoringTeam_ = -1;
    scoringTimer_ = 0.0f;
}

void CaptureTheFlag::AdvanceScoring(float dt)
{
    if (scoringTeam_ == -1)
        return;
    scoringTimer_ += dt;
    if (scoringTimer_ > kScoringDisplay) {
        scoringTeam_ = -1;
        scoringTimer_ = 0.0f;
    }
}

void CaptureTheFlag::Update(float dt)
{
    AdvanceServerClock(dt);
    GameMod::Update(dt);
    AdvanceScoring(dt);
    UpdateCooldowns(dt);
    UpdateBalanceFlag();
    UpdateMatchEnd(dt);
}

void CaptureTheFlag::CheckLimits(float dt)
{
    AdvanceScoring(dt);
    CheckReceivedLimits(dt);
}

float CaptureTheFlag::GetBannerAlpha() const
{
    if (scoringTimer_ > kScoringDisplay - 0.5f)
        return 0.7f * (1.0f - 2.0f * (scoringTimer_ - (kScoringDisplay - 0.5f)));
    return 0.7f;
}

MissionItem* CaptureTheFlag::GetTeamFlag(int team)
{
    MissionItem*& flag = teamFlags_[Slot(team)];
    ObjectManager* objects = Objects();
    // An item the world no longer holds is forgotten, never followed.
    if (flag && (!objects || !objects->Contains(flag)))
        flag = nullptr;
    return flag;
}

void CaptureTheFlag::Announce(const char16_t* format, Player* player)
{
    char16_t text[257];
    Util::FormatTo(text, sizeof text / sizeof text[0], format, PlayerName(player));
    BroadcastNotice(text, false);
}

bool CaptureTheFlag::OnFlagTouched(Player* player, MissionItem* item)
{
    if (!player || !item)
        return false;
    const int team = player->GetTeam();
    const int type = item->GetType();
    if (type == MissionItem::Finnish || type == MissionItem::Russian) {
        const int flagTeam = type == MissionItem::Finnish ? kFinland : kRussia;
        const int enemyType = type == MissionItem::Finnish ? MissionItem::Russian : MissionItem::Finnish;
        if (team != flagTeam)
            return !player->HasMissionItemOfType(type);
        // Only the server scores; a client hears of the capture.
        if (player->HasMissionItemOfType(enemyType) && Serving())
            Capture(player, enemyType);
        return false;
    }
    if ((type == MissionItem::DroppedFinnish || type == MissionItem::DroppedRussian) && Serving())
        TouchDropped(player, type == MissionItem::DroppedFinnish ? kFinland : kRussia, item);
    return false;
}

void CaptureTheFlag::TouchDropped(Player* player, int flagTeam, MissionItem* dropped)
{
    MissionItem* flag = GetTeamFlag(flagTeam);
    if (player->GetTeam() == flagTeam) {
        Announce(flagTeam == kFinland ? u"Finnish flag is returned to the base"
                                      : u"Russian flag is returned to the base",
                 player);
        if (flag)
            flag->Drop(0.0f, 0.0f, false);
        dropped->PickUp(player->GetNetworkId());
        return;
    }
    // Without the real flag to hand over, the dropped one stays where it is.
    if (flag && player->GetTeam() >= 0 && player->TakeMissionItem(flag))
        dropped->PickUp(player->GetNetworkId());
}

void CaptureTheFlag::Capture(Player* player, int carriedType)
{
    const int team = player->GetTeam();
    player->RemoveMissionItemOfType(carriedType);
    Announce(team == kFinland ? u"Player %s captured the Russian flag" : u"Player %s captured the Finnish flag",
             player);
    // A player without a score record (a bot, a test) keeps no score.
    if (IPlayerScores* scores = player->GetScores()) {
        scores->AddCaptures(1);
        scores->AddObjectivePoints(kCapturePoints);
        scores->AddPoints(kCapturePoints);
    }
    player->AddCapture();
    scoringTeam_ = team;
    scoringTimer_ = 0.0f;
    BroadcastScoringTeam(team);
    teamFlags_[Slot(carriedType == MissionItem::Finnish ? kFinland : kRussia)] = nullptr;
}

void CaptureTheFlag::OnFlagTaken(Player* player, MissionItem* item)
{
    if (!item)
        return;
    if (item->GetType() == MissionItem::Finnish) {
        teamFlags_[Slot(kFinland)] = item;
        Announce(u"Player %s has taken the Finnish flag", player);
    } else if (item->GetType() == MissionItem::Russian) {
        teamFlags_[Slot(kRussia)] = item;
        Announce(u"Player %s has taken the Russian flag", player);
    }
}

void CaptureTheFlag::OnFlagDropped(Player* player, MissionItem* item)
{
    if (item && item->GetType() == MissionItem::Finnish)
        Announce(u"Player %s dropped finland flag", player);
    else if (item && item->GetType() == MissionItem::Russian)
        Announce(u"Player %s dropped russian flag", player);
}

void CaptureTheFlag::BeforeTeamChange(Player* player) { player->DropMissionItems(true); }

void CaptureTheFlag::SendModeInfo(MPAPI::IConnection* connection, int32_t playerId)
{
    if (!connection)
        return;
    SendLimits(connection);
    SendStatus(connection, playerId, u"Playing capture the flag");
}

bool CaptureTheFlag::HandleMessage(MPAPI::IConnection*, GamePacket* packet)
{
    if (!packet)
        return false;
    if (packet->GetType() == uint16_t(GameMessage::GameModeTime)) {
        ReadTimeMessage(packet);
        return true;
    }
    if (packet->GetType() == uint16_t(GameMessage::GameModeData)) {
        ReadLimitsMessage(packet);
        return true;
    }
    if (packet->GetType() != uint16_t(GameMessage::GameModeCapture))
        return false;
    uint32_t team = uint32_t(-1);
    packet->Read32(&team);
    // Anything but a team from the wire shows no banner.
    scoringTeam_ = team == 0 || team == 7 ? int32_t(team) : -1;
    scoringTimer_ = 0.0f;
    ReadCaptureCounts(packet);
    return true;
}
