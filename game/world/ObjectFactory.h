#pragma once

class GameMod;
class GameSystem;
class ILight;
class Object;
class Player;
struct WeaponDef;

// The one place where world objects come into being. Kinds whose classes
// are not in the library yet answer null here, and nowhere else.

// A level object by definition id, as the level loader and the editor make
// them; null for an unknown id and for kinds a client gets by replication.
Object* CreateObjectByType(int definitionId, float x, float y);
// A client's object for a replicated type id; subTypeId is the definition.
Object* CreateReplicatedObject(int typeId, int subTypeId);
// A one-shot effect object of a replicated type.
Object* CreateEffectObjectOfType(int typeId);
// The rules object of a level's mode (0, 1, 2).
GameMod* CreateGameModeObject(int mode, GameSystem* game);
// A light at (x, y), owned by the registry once made.
ILight* CreateLight(float x, float y);
// A new player on the server, registered and handed to the handler.
Player* CreatePlayer();
// The dead body a killed player leaves; null until the corpse class lands.
Object* CreateCorpse(Player* player);
// One projectile of a shot; null until the projectile classes land.
Object* CreateProjectile(const WeaponDef& weapon, Player* shooter, float x, float y, float angle, int power,
                         float aimDistance);
// A weapon thrown from a player onto the ground; null until the weapon
// pick-up class lands.
Object* CreateDroppedWeapon(int weaponId, int clip, int detonatorTag, float x, float y, float angle);
