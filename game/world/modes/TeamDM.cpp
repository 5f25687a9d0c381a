#include "game/world/modes/TeamDM.h"

#include "game/world/net/GameMessage.h"
#include "game/world/net/IMultiplayerHandler.h"

TeamDM::TeamDM() = default;

void TeamDM::Start()
{
    GameMod::Start();
    // Every connection learns the limits of the new level, not only those
    // that join: a client would otherwise keep the previous level's.
    BroadcastLimits();
}

void TeamDM::CheckLimits(float dt) { CheckReceivedLimits(dt); }

void TeamDM::Update(float dt)
{
    AdvanceServerClock(dt);
    GameMod::Update(dt);
    UpdateCooldowns(dt);
    UpdateBalanceFlag();
    UpdateMatchEnd(dt);
}

void TeamDM::SendModeInfo(MPAPI::IConnection* connection, int32_t playerId)
{
    if (!connection)
        return;
    SendLimits(connection);
    SendStatus(connection, playerId, u"Playing team death match");
}

bool TeamDM::HandleMessage(MPAPI::IConnection*, GamePacket* packet)
{
    if (!packet)
        return false;
    switch (GameMessage(packet->GetType())) {
    case GameMessage::GameModeTime:
        ReadTimeMessage(packet);
        return true;
    case GameMessage::GameModeData:
        ReadLimitsMessage(packet);
        return true;
    default:
        return false;
    }
}

const char16_t* TeamDM::GetResultImage()
{
    IMultiplayerHandler* handler = Handler();
    int finland = handler ? handler->GetTeamFrags(kFinland) : 0;
    int russia = handler ? handler->GetTeamFrags(kRussia) : 0;
    int leader = finland > russia ? kFinland : russia > finland ? kRussia : handler ? handler->GetLeadingTeam() : -1;
    if (leader == kFinland)
        return u"gui/finland_wins.png";
    if (leader == kRussia)
        return u"gui/russia_wins.png";
    return u"gui/draw.png";
}
