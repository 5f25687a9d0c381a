// The flags a player carries.
#include "game/world/Player.h"

#include "game/shell/GameMessage.h"
#include "game/shell/MultiplayerHandler.h"
#include "game/world/GameMod.h"
#include "game/world/GameSystem.h"
#include "game/world/MissionItem.h"
#include "game/world/WorldServices.h"

#include <cmath>

namespace {

GameMod* CurrentMode()
{
    GameSystem* game = Services().game;
    return game ? game->GetGameMode() : nullptr;
}

// Serving only: the message goes to every client.
template <class Write> void TellClients(Write write)
{
    MultiplayerHandler* handler = ActiveHandler();
    if (!IsServing() || !handler)
        return;
    GamePacket& p = handler->Outgoing();
    write(p);
    handler->Broadcast(&p, nullptr);
}

bool VanishesOnPickUp(const MissionItem* item)
{
    return item->GetType() == MissionItem::DroppedFinnish || item->GetType() == MissionItem::DroppedRussian;
}

} // namespace

bool Player::TakeMissionItem(MissionItem* item)
{
    if (!item)
        return false;
    missionItems_.Remove(item);
    GameMod* mode = CurrentMode();
    // The mode may have removed the item by now: it is not touched again.
    if (mode && !mode->OnFlagTouched(this, item))
        return false;
    const int32_t itemId = item->GetNetworkId();
    if (VanishesOnPickUp(item)) {
        // Picking it up deletes it, so it is never listed and the mode
        // hears of it first.
        if (mode)
            mode->OnFlagTaken(this, item);
        item->PickUp(GetNetworkId());
    } else {
        missionItems_.Add(item);
        item->PickUp(GetNetworkId());
        if (mode)
            mode->OnFlagTaken(this, item);
    }
    const int32_t playerId = GetNetworkId();
    TellClients([&](GamePacket& p) { GameMessages::WriteMissionItemTaken(p, playerId, itemId); });
    return true;
}

void Player::RemoveMissionItem(MissionItem* item)
{
    missionItems_.Remove(item);
}

bool Player::HasMissionItemOfType(int type)
{
    for (int i = 0; i < missionItems_.GetCount(); ++i)
        if (missionItems_[i]->GetType() == type)
            return true;
    return false;
}

bool Player::RemoveMissionItemOfType(int type)
{
    for (int i = 0; i < missionItems_.GetCount(); ++i) {
        MissionItem* item = missionItems_[i];
        if (item->GetType() != type)
            continue;
        const int32_t playerId = GetNetworkId(), itemId = item->GetNetworkId();
        TellClients([&](GamePacket& p) { GameMessages::WriteMissionItemRemoved(p, playerId, itemId); });
        item->Drop(x_, y_, false);
        missionItems_.RemoveAt(i);
        return true;
    }
    return false;
}

void Player::DropMissionItems()
{
    // Nothing carried, nothing for the clients to drop.
    if (missionItems_.GetCount() == 0)
        return;
    const float x = std::floor(x_ / 32.0f) * 32.0f + 16.0f;
    const float y = std::floor(y_ / 32.0f) * 32.0f + 16.0f;
    GameMod* mode = IsServing() ? CurrentMode() : nullptr;
    for (int i = 0; i < missionItems_.GetCount(); ++i) {
        MissionItem* item = missionItems_[i];
        item->Drop(x, y, true);
        if (mode)
            mode->OnFlagDropped(this, item);
    }
    missionItems_.Clear();
    const int32_t playerId = GetNetworkId();
    TellClients([&](GamePacket& p) { GameMessages::WriteMissionItemsDropped(p, playerId); });
}
