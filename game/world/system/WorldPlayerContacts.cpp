#include "game/world/system/WorldPlayerContacts.h"

#include "game/world/arms/Trap.h"
#include "game/world/map/World.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/phys/Object.h"
#include "game/world/player/Player.h"
#include "game/world/player/PlayerTargets.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {

// A live Player behind the object, else null; only the server hands
// anything over.
Player* Taker(Object* object)
{
    if (!object || object->GetKind() != ObjectKind::Player || !IsServing() || !object->IsAlive())
        return nullptr;
    return static_cast<Player*>(object);
}

template <class F> Object* FirstLivePlayer(F accept)
{
    ObjectManager* objects = Services().objects;
    Object* found = nullptr;
    if (!objects)
        return nullptr;
    objects->ForEachPlayer([&](Object* player) {
        if (!found && player->GetKind() == ObjectKind::Player && player->IsAlive() && accept(player))
            found = player;
    });
    return found;
}

} // namespace

Object* WorldPlayerContacts::FindPlayerNear(float x, float y, float distance)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(distance))
        return nullptr;
    return FirstLivePlayer([&](Object* p) {
        const float dx = std::fabs(p->GetX() - x), dy = std::fabs(p->GetY() - y);
        return dx <= 100.0f && dy <= 100.0f && dx < distance && dy < distance;
    });
}

Object* WorldPlayerContacts::FindPlayerInSquare(float x, float y, float distance)
{
    return FindLivingPlayerNear(x, y, distance);
}

Object* WorldPlayerContacts::FindPlayerInHull(PhysEng::Object* body, float distance)
{
    if (!body || !std::isfinite(distance))
        return nullptr;
    const Position& pose = body->GetPose();
    const float reach = 3.0f * distance;
    return FirstLivePlayer([&](Object* p) {
        const float px = p->GetX(), py = p->GetY();
        if (std::fabs(px - pose.x) > reach || std::fabs(py - pose.y) > reach)
            return false;
        return body->OverlapsRegion(px - distance, py - distance, px + distance, py + distance);
    });
}

uint32_t WorldPlayerContacts::GetInputBits(Object* player)
{
    if (!player || player->GetKind() != ObjectKind::Player)
        return 0;
    return static_cast<Player*>(player)->GetInputFlags();
}

bool WorldPlayerContacts::OfferAmmo(Object* player, Object* ammo)
{
    Player* taker = Taker(player);
    return taker && ammo && taker->PickUpAmmo(ammo->GetDefinitionId());
}

bool WorldPlayerContacts::OfferItem(Object* player, Object* item, float, float)
{
    Player* taker = Taker(player);
    return taker && item && taker->PickUpItem(item->GetDefinitionId());
}

void WorldPlayerContacts::OfferMissionItem(Object* player, MissionItem* item)
{
    if (Player* taker = Taker(player); taker && item)
        taker->TakeMissionItem(item);
}

bool WorldPlayerContacts::PickUpWeapon(Object* player, int weaponId, int clip)
{
    Player* taker = Taker(player);
    return taker && taker->PickUpWeapon(weaponId, clip);
}

void WorldPlayerContacts::ClaimParkedTraps(Object* player, int tag)
{
    if (Player* taker = Taker(player))
        ::ClaimParkedTraps(taker->GetNetworkId(), tag);
}

bool WorldPlayerContacts::ApplyFireDamage(int playerNetworkId, float x, float y, int definitionId)
{
    Object* owner = FindPlayerById(playerNetworkId);
    ObjectManager* objects = Services().objects;
    if (!owner || !objects || !std::isfinite(x) || !std::isfinite(y))
        return false;
    World* world = Services().world;
    objects->ForEachPlayer([&](Object* p) {
        if (!p->IsAlive())
            return;
        const float d = std::hypot(p->GetX() - x, p->GetY() - y);
        if (d >= 200.0f)
            return;
        if (world) {
            float hx, hy;
            int tx, ty, side;
            const float wall = world->CastRay(&hx, &hy, x, y, p->GetX(), p->GetY(), &tx, &ty, &side);
            if (wall >= 0.0f && wall <= d)
                return;
        }
        p->TakeBlastDamage(x, y, 200.0f - d, playerNetworkId, definitionId);
    });
    return true;
}

bool WorldPlayerContacts::GetLocalPlayerPosition(float* x, float* y)
{
    IMultiplayerHandler* handler = ActiveHandler();
    Object* local = handler ? FindPlayerById(handler->GetLocalPlayerId()) : nullptr;
    if (!local)
        return false;
    local->GetPosition(x, y);
    return true;
}
