#pragma once

class GameMod;
class ILight;
class Object;
class Player;
struct WeaponDef;

// The one place where world objects come into being.

// A level object by definition id, as the level loader and the editor make
// them; null for an unknown id and for kinds a client gets by replication.
Object* CreateObjectByType(int definitionId, float x, float y);
// A client's object for a replicated type id; subTypeId is the definition.
Object* CreateReplicatedObject(int typeId, int subTypeId);
// A one-shot effect object of a replicated type.
Object* CreateEffectObjectOfType(int typeId);
// The rules object of a level's mode (0, 1, 2).
GameMod* CreateGameModeObject(int mode);
// Into the registry and, with a handler active, replicated; the object.
Object* AddToWorld(Object* object);
// A light at (x, y), owned by the registry once made.
ILight* CreateLight(float x, float y);
// A new player on the server, registered and handed to the handler.
Player* CreatePlayer();
// The dead body a killed player leaves, registered and replicated.
Object* CreateCorpse(Player* player);
// One projectile (or placed charge) of a shot by the weapon's type; null
// for a weapon that fires nothing.
Object* CreateProjectile(const WeaponDef& weapon, Player* shooter, float x, float y, float angle, int power,
                         float aimDistance);
// A weapon thrown from a player onto the ground.
Object* CreateDroppedWeapon(int weaponId, int clip, int detonatorTag, float x, float y, float angle);
// A patch on the ground (variant 1, a scorch of random size) or a piece.
Object* CreateMess(int variant, float x, float y, float angle);
// A fire moving from (x, y) along the direction, burning for its owner.
Object* CreateFire(float x, float y, float dirX, float dirY, float speed, float size, float lifetime, float damage,
                   int ownerId, int definitionId);
