#pragma once

class Player;

// Fires the weapon for the player (serving only): honours the cooldown and
// the player's CanFire, spends the rounds and asks the factory for each
// projectile. spread, when given, receives the spread of this shot in
// degrees. False when nothing was fired.
bool FireWeapon(Player* player, int weaponId, int power, float aimDistance, float* spread = nullptr);

// The owner's placed charges: set off, or moved to a new detonator tag.
// Only charges the owner placed are touched; the counts come back.
int DetonateRemoteCharges(Player* owner);
int RetagRemoteCharges(Player* owner, int tag);
