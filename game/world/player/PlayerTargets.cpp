#include "game/world/player/PlayerTargets.h"

#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/player/Player.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {

bool Finite(float a, float b, float c, float d)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// A Player knows its team; any other kind-2 object is asked of the handler.
int TeamOf(Object* player)
{
    if (Player* real = dynamic_cast<Player*>(player))
        return real->GetTeam();
    IMultiplayerHandler* handler = ActiveHandler();
    return handler && player ? handler->GetPlayerTeam(player->GetNetworkId()) : -1;
}

bool Seated(Object* player)
{
    Player* real = dynamic_cast<Player*>(player);
    return real && (real->GetStateFlags() & Player::InVehicle);
}

} // namespace

Object* FindPlayerById(int id)
{
    ObjectManager* objects = Services().objects;
    Object* found = objects && id != 0 ? objects->FindObject(id) : nullptr;
    return found && found->GetKind() == ObjectKind::Player ? found : nullptr;
}

bool SameTeam(Object* a, Object* b)
{
    if (!a || !b || a->GetKind() != ObjectKind::Player || b->GetKind() != ObjectKind::Player)
        return false;
    int team = TeamOf(a);
    return team >= 0 && team == TeamOf(b);
}

Object* FindPlayerOnRay(float x, float y, float dx, float dy, float length, Object* shooter, float* distance)
{
    ObjectManager* objects = Services().objects;
    if (!objects || !Finite(x, y, dx, dy) || !std::isfinite(length))
        return nullptr;
    const float radius = 20.0f;
    Object* best = nullptr;
    float bestT = 0.0f;
    objects->ForEachPlayer([&](Object* player) {
        if (player == shooter || !player->IsAlive() || Seated(player) || SameTeam(player, shooter))
            return;
        float cx = player->GetX() - x, cy = player->GetY() - y;
        float along = cx * dx + cy * dy;
        float miss2 = cx * cx + cy * cy - along * along;
        if (miss2 > radius * radius)
            return;
        float t = along - std::sqrt(radius * radius - miss2);
        if (t < 0.0f)
            t = 0.0f;
        if (along < 0.0f || t > length || (best && t >= bestT))
            return;
        best = player;
        bestT = t;
    });
    if (best && distance)
        *distance = bestT;
    return best;
}

Object* FindLivingPlayerNear(float x, float y, float r)
{
    ObjectManager* objects = Services().objects;
    Object* found = nullptr;
    if (!objects)
        return nullptr;
    objects->ForEachPlayer([&](Object* player) {
        if (found || !player->IsAlive())
            return;
        if (std::fabs(player->GetX() - x) <= r && std::fabs(player->GetY() - y) <= r)
            found = player;
    });
    return found;
}

void HitPlayerWithBullet(Object* player, float damage, float angle, int ownerId, float hitX, float hitY, int weaponId)
{
    if (Player* real = dynamic_cast<Player*>(player)) {
        real->TakeBulletDamage(damage, angle, FindPlayerById(ownerId), hitX, hitY, false, weaponId);
        return;
    }
    // The owner's id rides in the source field of the hit.
    player->TakeHit(damage, true, ownerId, hitX, hitY, angle);
}
