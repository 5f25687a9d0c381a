#include "engine/core/Random.h"
#include "game/shell/protocol/ClientHandler.h"
#include "game/world/map/World.h"
#include "game/world/net/GameMessage.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/objects/WorldEffects.h"
#include "game/world/player/Player.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/Inventory.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <cmath>

namespace {

constexpr int kMessageList = 0;
constexpr int kPickUpList = 1;
constexpr int kNoticeList = 2;
constexpr float kSmokeSpeed = 10.0f;
// Beyond this a position is no pixel of any level and must not become an int.
constexpr float kMaxCoordinate = 1.0e8f;

Object* FindKind(uint32_t id, int kind)
{
    ObjectManager* objects = Services().objects;
    // Objects made after the level (players among them) have ids from
    // 0x80000000 on: the id is the same 32 bits as the object's int.
    Object* object = objects && id != 0 ? objects->FindObject(int32_t(id)) : nullptr;
    return object && object->GetKind() == kind ? object : nullptr;
}

void PlaceGroundMess(float x, float y)
{
    World* world = Services().world;
    if (std::fabs(x) > kMaxCoordinate || std::fabs(y) > kMaxCoordinate)
        return;
    if (world && world->GetWaterAt(int(x), int(y), nullptr))
        return;
    ObjectManager* objects = Services().objects;
    if (!objects)
        return;
    Mess* mess = new Mess();
    mess->variant = 1;
    mess->SetPositionAngle(x, y, float(Util::Random() % 360));
    mess->LoadProperties();
    objects->AddObject(mess);
}

} // namespace

bool ClientHandler::HandleInventoryMessage(GamePacket& packet)
{
    GameSystem* game = game_;
    Inventory* inventory = game ? game->GetInventory() : nullptr;
    switch (GameMessage(packet.GetType())) {
    case GameMessage::Message: {
        uint8_t flag = 0;
        std::u16string text;
        if (game && GameMessages::ReadFlaggedText(packet, &flag, &text))
            game->Messages(kMessageList).AddMessage(text.c_str(), flag == 1);
        return true;
    }
    case GameMessage::Notice: {
        std::u16string text;
        if (game && GameMessages::ReadNotice(packet, &text))
            game->Messages(kNoticeList).AddMessage(text.c_str(), false);
        return true;
    }
    case GameMessage::AmmoUpdate: {
        uint32_t type = 0;
        int16_t amount = 0;
        GameMessages::ReadAmmoUpdate(packet, &type, &amount);
        if (Inventory::AmmoEntry* entry = inventory ? inventory->FindAmmo(int(type)) : nullptr)
            entry->amount = amount;
        return true;
    }
    case GameMessage::WeaponUpdate: {
        uint32_t id = 0;
        int16_t ammo = 0, clip = 0;
        GameMessages::ReadWeaponUpdate(packet, &id, &ammo, &clip);
        if (inventory && inventory->SetWeapon(int(id), clip, ammo)) {
            IResourceManager* resources = Services().resources;
            IResource* definition = resources ? resources->GetById(int(id)) : nullptr;
            const char16_t* name = definition ? definition->GetName() : nullptr;
            game->Messages(kPickUpList).AddMessage(name ? name : u"", false);
        }
        return true;
    }
    case GameMessage::InventoryClear:
        if (inventory)
            inventory->Clear();
        return true;
    case GameMessage::SelectWeapon:
        if (inventory)
            inventory->SelectWeapon(int(GameMessages::ReadValue(packet)));
        return true;
    case GameMessage::RemoveWeapon: {
        int id = int(GameMessages::ReadValue(packet));
        if (inventory) {
            bool selected = inventory->GetSelectedWeapon() == id;
            inventory->RemoveWeapon(id);
            if (selected)
                inventory->SelectWeapon(-1);
        }
        return true;
    }
    case GameMessage::Countdown: {
        float seconds = 0.0f;
        if (game && GameMessages::ReadFloats(packet, &seconds, 1) && seconds >= 0.0f)
            game->countdown = game->countdownTotal = seconds;
        return true;
    }
    default:
        return false;
    }
}

bool ClientHandler::HandleWorldMessage(GamePacket& packet)
{
    GameSystem* game = game_;
    float v[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    switch (GameMessage(packet.GetType())) {
    case GameMessage::Blast:
        if (game && GameMessages::ReadFloats(packet, v, 4))
            game->ApplyBlast(v[0], v[1], v[2], v[3]);
        return true;
    case GameMessage::Explosion: {
        uint8_t size = 0;
        if (GameMessages::ReadExplosion(packet, &v[0], &v[1], &size)) {
            SpawnExplosion(v[0], v[1], size);
            PlaceGroundMess(v[0], v[1]);
        }
        return true;
    }
    case GameMessage::Blood:
        if (GameMessages::ReadFloats(packet, v, 3))
            SpawnBlood(v[0], v[1], v[2]);
        return true;
    case GameMessage::Smoke:
        if (GameMessages::ReadFloats(packet, v, 3))
            SpawnSmoke(v[0], v[1], v[2], kSmokeSpeed);
        return true;
    case GameMessage::MissionItemTaken:
    case GameMessage::MissionItemRemoved: {
        uint32_t playerId = 0, itemId = 0;
        GameMessages::ReadPair(packet, &playerId, &itemId);
        // Both are checked for their kinds: an id the server names may be
        // any object.
        auto* player = static_cast<Player*>(FindKind(playerId, ObjectKind::Player));
        auto* item = static_cast<MissionItem*>(FindKind(itemId, ObjectKind::MissionItem));
        if (!player || !item)
            return true;
        if (GameMessage(packet.GetType()) == GameMessage::MissionItemTaken) {
            // The player's own list, so that the flag it carries shows and a
            // later drop finds it.
            player->TakeMissionItem(item);
            return true;
        }
        player->RemoveMissionItem(item);
        if (item->GetCarrierId() == int(playerId))
            item->Drop(player->GetX(), player->GetY(), false);
        return true;
    }
    case GameMessage::MissionItemsDropped: {
        uint32_t playerId = GameMessages::ReadValue(packet);
        auto* player = static_cast<Player*>(FindKind(playerId, ObjectKind::Player));
        ObjectManager* objects = Services().objects;
        if (!player || !objects)
            return true;
        // Not serving: no game mode hears of it and no dropped flag is made.
        player->DropMissionItems(false);
        objects->ForEachObject([&](Object* object) {
            if (object->GetKind() != ObjectKind::MissionItem)
                return;
            auto* item = static_cast<MissionItem*>(object);
            if (item->GetCarrierId() == int(playerId) && item->IsCarried())
                item->Drop(player->GetX(), player->GetY(), false);
        });
        return true;
    }
    default:
        return false;
    }
}
