#include "game/world/arms/ArmsFactory.h"

#include "game/world/arms/BulletProjectile.h"
#include "game/world/arms/Projectile.h"
#include "game/world/arms/Trap.h"
#include "game/world/arms/Vehicle.h"
#include "game/world/player/Player.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"

#include <algorithm>
#include <cmath>

namespace {

template <class T> T* Register(T* object, float x, float y, float angle)
{
    object->LoadProperties();
    object->SetPositionAngle(x, y, angle);
    AddToWorld(object);
    return object;
}

} // namespace

MissileProjectile* CreateMissile(int definitionId, float x, float y, bool trail)
{
    return Register(new MissileProjectile(definitionId, trail), x, y, 0.0f);
}

GrenadeProjectile* CreateGrenade(int definitionId, float x, float y, uint8_t strength)
{
    return Register(new GrenadeProjectile(definitionId, strength), x, y, 0.0f);
}

BulletProjectile* CreateBullet(float x, float y, float angle, int definitionId, float range)
{
    auto* bullet = new BulletProjectile(definitionId);
    bullet->SetRange(range);
    return Register(bullet, x, y, angle);
}

Trap* CreateTrap(int definitionId, float x, float y) { return Register(new Trap(definitionId), x, y, 0.0f); }

Vehicle* CreateVehicle(int definitionId, float x, float y)
{
    auto* vehicle = Register(new Vehicle(definitionId), x, y, 0.0f);
    // Places the body at the pose just set.
    vehicle->SetAngle(vehicle->GetAngle());
    return vehicle;
}

Object* CreateProjectile(const WeaponDef& weapon, Player* shooter, float x, float y, float angle, int power,
                         float aimDistance)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle))
        return nullptr;
    const int owner = shooter ? shooter->GetNetworkId() : 0;
    const float facing = shooter ? shooter->GetAngle() : angle;
    switch (weapon.type) {
    case 1: {
        // Thrown from 20 units ahead so that it clears the thrower.
        const float a = (angle - 90.0f) / 180.0f * 3.1516f;
        GrenadeProjectile* grenade = CreateGrenade(weapon.id, x + 20.0f * std::cos(a), y + 20.0f * std::sin(a),
                                                   uint8_t(std::clamp(power, 0, 255)));
        grenade->SetAngle(angle);
        grenade->SetOwnerId(owner);
        return grenade;
    }
    case 2:
    case 3: {
        Trap* trap = CreateTrap(weapon.id, x, y);
        trap->SetAngle(facing);
        trap->SetOwnerId(owner);
        trap->SetPlacementMode(weapon.type);
        if (weapon.type == 2)
            trap->Trigger();
        return trap;
    }
    case 4:
        return nullptr;
    default:
        break;
    }
    if (weapon.hasProjectile) {
        MissileProjectile* missile = CreateMissile(weapon.id, x, y, weapon.effect == 1);
        missile->SetAngle(angle);
        missile->SetOwnerId(owner);
        return missile;
    }
    // A shot scattered far off its facing flies short.
    const float range = 2.0f * (angle - facing) > 5.0f ? 200.0f : aimDistance;
    BulletProjectile* bullet = CreateBullet(x, y, angle, weapon.id, range);
    bullet->SetOwnerId(owner);
    bullet->SetDamage(weapon.damage);
    return bullet;
}
