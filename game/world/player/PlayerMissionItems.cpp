#include "game/world/geometry/TileSize.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/player/Player.h"
#include "game/world/state/IGameState.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {

GameMod* Mode()
{
    IGameState* game = Services().game;
    return game ? game->GetGameMode() : nullptr;
}

template <class Write> void BroadcastWhileServing(Write write)
{
    IMultiplayerHandler* handler = ActiveHandler();
    if (!handler || !IsServing())
        return;
    GamePacket& p = handler->Outgoing();
    write(p);
    handler->Broadcast(&p, nullptr);
}

} // namespace

bool Player::TakeMissionItem(MissionItem* item)
{
    if (!item)
        return false;
    missionItems_.Remove(item);
    GameMod* mode = Mode();
    if (mode && !mode->OnFlagTouched(this, item))
        return false;
    const int itemId = item->GetNetworkId();
    const int type = item->GetType();
    // A dropped team flag goes away when taken: it is never carried, and
    // nothing of it is read once it has been picked up.
    if (type == MissionItem::DroppedFinnish || type == MissionItem::DroppedRussian) {
        if (mode)
            mode->OnFlagTaken(this, item);
        BroadcastWhileServing([&](GamePacket& p) { GameMessages::WriteMissionItemTaken(p, GetNetworkId(), itemId); });
        item->PickUp(GetNetworkId());
        return true;
    }
    missionItems_.Add(item);
    item->PickUp(GetNetworkId());
    if (mode)
        mode->OnFlagTaken(this, item);
    BroadcastWhileServing([&](GamePacket& p) { GameMessages::WriteMissionItemTaken(p, GetNetworkId(), itemId); });
    return true;
}

void Player::RemoveMissionItem(MissionItem* item) { missionItems_.Remove(item); }

bool Player::HasMissionItemOfType(int type)
{
    for (int i = 0; i < missionItems_.GetCount(); ++i)
        if (missionItems_.Get(i)->GetType() == type)
            return true;
    return false;
}

bool Player::RemoveMissionItemOfType(int type)
{
    for (int i = 0; i < missionItems_.GetCount(); ++i) {
        MissionItem* item = missionItems_.Get(i);
        if (item->GetType() != type)
            continue;
        BroadcastWhileServing(
            [&](GamePacket& p) { GameMessages::WriteMissionItemRemoved(p, GetNetworkId(), item->GetNetworkId()); });
        item->Drop(x_, y_, false);
        missionItems_.RemoveAt(i);
        return true;
    }
    return false;
}

void Player::DropMissionItems(bool spawn)
{
    if (missionItems_.GetCount() == 0)
        return;
    // On the centre of the tile underfoot, never inside a wall's edge.
    const float cx = std::isfinite(x_) ? std::floor(x_ / kTileSize) * kTileSize + 16.0f : 16.0f;
    const float cy = std::isfinite(y_) ? std::floor(y_ / kTileSize) * kTileSize + 16.0f : 16.0f;
    GameMod* mode = IsServing() ? Mode() : nullptr;
    for (int i = 0; i < missionItems_.GetCount(); ++i) {
        MissionItem* item = missionItems_.Get(i);
        item->Drop(cx, cy, spawn);
        // A team flag that left its dropped marker there stays as it is.
        if (!item->IsCarried())
            item->SetPosition(cx, cy);
        if (mode)
            mode->OnFlagDropped(this, item);
    }
    missionItems_.Clear();
    BroadcastWhileServing([&](GamePacket& p) { GameMessages::WriteMissionItemsDropped(p, GetNetworkId()); });
}
