#include "game/world/arms/WeaponFire.h"

#include "engine/core/Random.h"
#include "game/world/arms/ArmsFactory.h"
#include "game/world/arms/Trap.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/player/Player.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>

namespace {

// u in -1..1 in steps of 1/10000.
float Scatter() { return float(Util::Random() % 20001 - 10000) / 10000.0f; }

} // namespace

bool FireWeapon(Player* player, int weaponId, int power, float aimDistance, float* spread)
{
    const WeaponTable* table = Services().weapons;
    const WeaponDef* def = table ? table->FindWeapon(weaponId) : nullptr;
    if (!player || !def || !IsServing() || player->GetFireCooldown() > 0.0f)
        return false;
    int rounds = 1;
    if (!player->CanFire(&rounds, weaponId))
        return false;
    player->SpendAmmo(rounds, weaponId);
    player->SetFireCooldown(float(def->shotInterval) / 1000.0f);
    const float shotSpread = (def->dispersion[0] + player->GetDispersion()) * player->GetDispersionFactor();
    if (spread)
        *spread = shotSpread;
    float x, y;
    player->GetPosition(&x, &y);
    const int projectiles = std::clamp(def->shots, 1, 64);
    for (int i = 0; i < projectiles; ++i) {
        float angle = player->GetAngle() + Scatter() * shotSpread / 2.0f;
        CreateProjectile(*def, player, x, y, angle, power, aimDistance);
    }
    if (def->dispersion[3] > 0.001f || def->dispersion[4] > 0.001f)
        player->SetDispersion(def->dispersion[3], def->dispersion[0], def->dispersion[4]);
    else if (def->dispersion[2] > 0.001f)
        player->AddDispersion(def->dispersion[1], def->dispersion[2] - def->dispersion[0]);
    if (def->type == 1)
        player->ClearGrenadeArmed();
    if ((def->type < 1 || def->type > 4) && !def->hasProjectile)
        player->StartMuzzleFlash();
    player->PlayShotSound(*def);
    return true;
}

namespace {

int CountTrapsOf(int ownerId)
{
    ObjectManager* objects = Services().objects;
    int n = 0;
    if (objects && ownerId != 0)
        objects->ForEachObject([&](Object* o) {
            n += o->GetKind() == ObjectKind::Trap && static_cast<Trap*>(o)->GetOwnerId() == ownerId;
        });
    return n;
}

} // namespace

int DetonateRemoteCharges(Player* owner)
{
    const int id = owner ? owner->GetNetworkId() : 0;
    const int n = CountTrapsOf(id);
    if (n > 0)
        TriggerOwnedTraps(id);
    return n;
}

int RetagRemoteCharges(Player* owner, int tag)
{
    const int id = owner ? owner->GetNetworkId() : 0;
    const int n = CountTrapsOf(id);
    if (n > 0 && !ParkOwnedTraps(id, tag))
        return 0;
    return n;
}
