#include "game/world/WeaponFire.h"

#include "game/world/ObjectFactory.h"
#include "game/world/Player.h"
#include "game/world/WeaponTable.h"
#include "game/world/WorldServices.h"

#include <algorithm>
#include <random>

namespace {

// u in -1..1 in steps of 1/10000.
float Scatter()
{
    static std::minstd_rand random(12345);
    return float(int(random() % 20001u) - 10000) / 10000.0f;
}

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
    player->StartMuzzleFlash();
    player->PlayShotSound();
    return true;
}

int DetonateRemoteCharges(Player*)
{
    // The charge class answers here once it lands; none exist before.
    return 0;
}

int RetagRemoteCharges(Player*, int)
{
    return 0;
}
