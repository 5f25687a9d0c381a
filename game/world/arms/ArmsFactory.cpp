#include "game/world/arms/ArmsFactory.h"

#include "game/world/arms/BulletProjectile.h"
#include "game/world/arms/Projectile.h"
#include "game/world/arms/Trap.h"
#include "game/world/arms/Vehicle.h"
#include "game/world/system/ObjectFactory.h"

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

Trap* CreateTrap(int definitionId, float x, float y)
{
    return Register(new Trap(definitionId), x, y, 0.0f);
}

Vehicle* CreateVehicle(int definitionId, float x, float y)
{
    auto* vehicle = Register(new Vehicle(definitionId), x, y, 0.0f);
    // Places the body at the pose just set.
    vehicle->SetAngle(vehicle->GetAngle());
    return vehicle;
}
