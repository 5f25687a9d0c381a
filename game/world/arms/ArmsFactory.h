#pragma once

#include <cstdint>

class BulletProjectile;
class Object;
class Player;
class GrenadeProjectile;
class MissileProjectile;
class Trap;
class Vehicle;
struct WeaponDef;

// Factories of what weapons fire and of vehicles: each loads, places,
// registers the object and adds it to the server's replication. The firing
// code then sets angle, owner and damage.
MissileProjectile* CreateMissile(int definitionId, float x, float y, bool trail);
GrenadeProjectile* CreateGrenade(int definitionId, float x, float y, uint8_t strength);
// range 0 flies until the bullet's age runs out.
BulletProjectile* CreateBullet(float x, float y, float angle, int definitionId, float range);
Trap* CreateTrap(int definitionId, float x, float y);
Vehicle* CreateVehicle(int definitionId, float x, float y);
// One projectile (or placed charge) of a shot by the weapon's type; null
// for a weapon that fires nothing.
Object* CreateProjectile(const WeaponDef& weapon, Player* shooter, float x, float y, float angle, int power,
                         float aimDistance);
