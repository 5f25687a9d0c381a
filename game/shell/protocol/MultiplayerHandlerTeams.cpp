// Team and player figures read from the player objects of the table.
#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/world/net/IPlayerRoster.h"

#include <climits>

namespace {

// The figures of a slot's player object; false when the slot is free or
// its player is gone.
bool FiguresOf(IPlayerRoster* roster, const PlayerSlot* s, IPlayerRoster::Figures* out)
{
    Player* p = roster && s && s->id != 0 ? roster->FindPlayer(s->id) : nullptr;
    if (p)
        *out = roster->GetFigures(p);
    return p != nullptr;
}

} // namespace

int MultiplayerHandler::GetPlayerFrags(int32_t id)
{
    Player* p = roster_ && id != 0 ? roster_->FindPlayer(id) : nullptr;
    return p ? roster_->GetFigures(p).frags : 0;
}

int MultiplayerHandler::GetPlayerTeam(int32_t id)
{
    Player* p = roster_ && id != 0 ? roster_->FindPlayer(id) : nullptr;
    return p ? roster_->GetFigures(p).team : 0;
}

int MultiplayerHandler::GetPlayerFragsAt(int n)
{
    IPlayerRoster::Figures f;
    return FiguresOf(roster_, UsedSlotAt(n), &f) ? f.frags : 0;
}

int MultiplayerHandler::GetPlayerCapturesAt(int n)
{
    IPlayerRoster::Figures f;
    return FiguresOf(roster_, UsedSlotAt(n), &f) ? f.captures : 0;
}

int MultiplayerHandler::GetPlayerRankAt(int n)
{
    IPlayerRoster::Figures f;
    return FiguresOf(roster_, UsedSlotAt(n), &f) ? f.rank : 0;
}

int MultiplayerHandler::GetTeamFrags(int team)
{
    int sum = 0;
    IPlayerRoster::Figures f;
    for (const PlayerSlot& s : slots_)
        if (FiguresOf(roster_, &s, &f) && f.team == team && f.frags > 0)
            sum += f.frags;
    return sum;
}

int MultiplayerHandler::GetTeamCaptures(int team)
{
    int sum = 0;
    IPlayerRoster::Figures f;
    for (const PlayerSlot& s : slots_)
        if (FiguresOf(roster_, &s, &f) && f.team == team)
            sum += f.captures;
    return sum;
}

int MultiplayerHandler::CountTeamPlayers(int team)
{
    // The table, not the player objects: a client has only the players the
    // server sends it, and the server keeps every slot's team up to date.
    int n = 0;
    for (const PlayerSlot& s : slots_)
        n += s.IsUsed() && s.team == team ? 1 : 0;
    return n;
}

int MultiplayerHandler::CountLivingTeamPlayers(int team)
{
    int n = 0;
    IPlayerRoster::Figures f;
    for (const PlayerSlot& s : slots_)
        n += FiguresOf(roster_, &s, &f) && f.team == team && f.health > 0.0f ? 1 : 0;
    return n;
}

int MultiplayerHandler::GetTopFrags()
{
    int top = 0;
    IPlayerRoster::Figures f;
    for (const PlayerSlot& s : slots_)
        if (FiguresOf(roster_, &s, &f) && f.frags > top)
            top = f.frags;
    return top;
}

int MultiplayerHandler::GetLeadingTeam()
{
    // Equal leaders hand the decision to the best players below them.
    long long below = LLONG_MAX;
    for (;;) {
        bool has0 = false, hasOther = false;
        long long best0 = LLONG_MIN, bestOther = LLONG_MIN;
        IPlayerRoster::Figures f;
        for (const PlayerSlot& s : slots_) {
            if (!FiguresOf(roster_, &s, &f) || f.frags >= below)
                continue;
            if (f.team == 0) {
                has0 = true;
                best0 = f.frags > best0 ? f.frags : best0;
            } else {
                hasOther = true;
                bestOther = f.frags > bestOther ? f.frags : bestOther;
            }
        }
        if (!has0)
            return hasOther ? 7 : -1;
        if (best0 != bestOther)
            return best0 > bestOther ? 0 : 7;
        below = best0;
    }
}

Player* MultiplayerHandler::GetOwnPlayer()
{
    return roster_ && ownPlayerId_ != 0 ? roster_->FindPlayer(ownPlayerId_) : nullptr;
}
