#pragma once

class Object;

// Every call that projectiles and traps make on players, in one place: the
// players are reached through the Object base and the handler's team table.

// The player (kind 2) with that network id, else null.
Object* FindPlayerById(int id);
// True when both are players of one team by the active handler.
bool SameTeam(Object* a, Object* b);
// The nearest living player other than the shooter (and not of its team)
// whose 20-unit hit circle the ray from (x, y) along the unit (dx, dy) meets
// within length; its distance along the ray goes to distance.
Object* FindPlayerOnRay(float x, float y, float dx, float dy, float length, Object* shooter, float* distance);
// The first living player within r on both axes.
Object* FindLivingPlayerNear(float x, float y, float r);
// A bullet's damage to a player, credited to the owner.
void HitPlayerWithBullet(Object* player, float damage, float angle, int ownerId, float hitX, float hitY, int weaponId);
