// The dedicated server's versions of the arms' drawing (ArmsDraw.cpp): it
// draws nothing.
#include "game/world/arms/BulletProjectile.h"
#include "game/world/arms/Projectile.h"
#include "game/world/arms/Trap.h"
#include "game/world/arms/Vehicle.h"

void Projectile::DrawExtra() {}
void GrenadeProjectile::DrawExtra() {}
void BulletProjectile::DrawExtra() {}
void Trap::Draw() {}
void Vehicle::Draw() {}
