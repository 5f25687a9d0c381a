#include "game/world/system/ObjectFactory.h"

#include "engine/core/Random.h"
#include "game/world/arms/ArmsFactory.h"
#include "game/world/arms/BulletProjectile.h"
#include "game/world/arms/Projectile.h"
#include "game/world/arms/Trap.h"
#include "game/world/arms/Vehicle.h"
#include "game/world/modes/CaptureTheFlag.h"
#include "game/world/modes/KingOfTheHill.h"
#include "game/world/modes/TeamDM.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/Door.h"
#include "game/world/objects/DummyObject.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/Pickups.h"
#include "game/world/objects/Scenery.h"
#include "game/world/objects/StartPoint.h"
#include "game/world/objects/WorldEffects.h"
#include "game/world/player/Player.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <algorithm>
#include <cmath>

namespace {

IResource* Definition(int id)
{
    IResourceManager* resources = Services().resources;
    return resources && id != kNoId ? resources->GetById(id) : nullptr;
}

// A definition with "health" of any value makes a breakable prop.
bool HasHealth(IResource* definition)
{
    return definition->FindItem(u"health") != nullptr;
}

Object* MakeDummy(IResource* definition, int id)
{
    if (HasHealth(definition))
        return new DummyBreakableObject(id);
    return new DummyObject(id);
}

// The level mode's own kind of mission item, when it has one.
MissionItem* ModeFlag(int definitionId)
{
    GameSystem* game = Services().game;
    GameMod* mode = game ? game->GetGameMode() : nullptr;
    return mode ? mode->CreateFlagObject(definitionId) : nullptr;
}

} // namespace

Object* CreateObjectByType(int definitionId, float x, float y)
{
    IResource* definition = Definition(definitionId);
    if (!definition)
        return nullptr;
    bool client = IsClient();
    Object* object = nullptr;
    // Registration: 0 none, 1 replicated, 2 a level object every machine has.
    int registration = 0;
    switch (definition->GetClassId()) {
    case ResourceClass::Vehicle:
        return client ? nullptr : CreateVehicle(definitionId, x, y);
    // Replicated to clients; the server makes them from the level.
    case ResourceClass::Ammo:
        if (client)
            return nullptr;
        object = new Ammo(definitionId);
        registration = 1;
        break;
    case ResourceClass::Item:
        if (client)
            return nullptr;
        object = new Item(definitionId);
        registration = 1;
        break;
    case ResourceClass::Weapon:
        if (client)
            return nullptr;
        object = new Weapon(definitionId);
        registration = 1;
        break;
    case ResourceClass::StartPoint:
        if (client)
            return nullptr;
        object = new StartPoint(definitionId);
        break;
    case ResourceClass::MissionItem:
        if (client)
            return nullptr;
        object = ModeFlag(definitionId);
        if (!object)
            return CreateMissionItemOfType(definitionId, x, y);
        registration = 1;
        break;
    // Every machine builds these from the level.
    case ResourceClass::Tree:
        object = new Tree(definitionId);
        break;
    case ResourceClass::Door:
        object = new Door(definitionId);
        registration = 2;
        break;
    case ResourceClass::Window:
        object = new Window(definitionId);
        registration = 2;
        break;
    default:
        object = MakeDummy(definition, definitionId);
        registration = HasHealth(definition) ? 2 : 0;
        break;
    }
    object->LoadProperties();
    object->SetPositionAngle(x, y, 0.0f);
    object->MarkTiles(x, y);
    if (ObjectManager* objects = Services().objects)
        objects->AddObject(object);
    IMultiplayerHandler* handler = ActiveHandler();
    if (handler && registration == 1)
        handler->AddObject(object);
    else if (handler && registration == 2)
        handler->AddLevelObject(object);
    return object;
}

// Runs on the network's receive thread: the objects are only made here. Their
// bodies, sprites and parts come from LoadProperties once they are ready,
// on the game thread.
Object* CreateReplicatedObject(int typeId, int subTypeId)
{
    // Loaded once, when the replication layer has filled the members in
    // (GameSystem::OnObjectReady): loading here as well would give a
    // vehicle two bodies and two part trees.
    Object* made = nullptr;
    switch (typeId) {
    case ObjectKind::Missile:
        return new MissileProjectile(subTypeId, false);
    case ObjectKind::Grenade:
        return new GrenadeProjectile(subTypeId, 255);
    case ObjectKind::Bullet:
        return new BulletProjectile(subTypeId);
    case ObjectKind::Vehicle:
        return new Vehicle(subTypeId);
    case ObjectKind::Trap:
        return new Trap(subTypeId);
    case ObjectKind::DeadPlayer:
        made = new DeadPlayer();
        break;
    case ObjectKind::Mess:
        made = new Mess();
        break;
    case ObjectKind::Fire:
        made = new Fire();
        break;
    // These carry their definition: an unknown one makes nothing.
    case ObjectKind::Window:
    case ObjectKind::Door:
    case ObjectKind::Ammo:
    case ObjectKind::Item:
    case ObjectKind::Weapon:
    case ObjectKind::Tree:
        if (!Definition(subTypeId))
            return nullptr;
        if (typeId == ObjectKind::Window)
            made = new Window(subTypeId);
        else if (typeId == ObjectKind::Door)
            made = new Door(subTypeId);
        else if (typeId == ObjectKind::Ammo)
            made = new Ammo(subTypeId);
        else if (typeId == ObjectKind::Item)
            made = new Item(subTypeId);
        else if (typeId == ObjectKind::Weapon)
            made = new Weapon(subTypeId);
        else
            made = new Tree(subTypeId);
        break;
    case ObjectKind::MissionItem:
        // A definition, or a type below 1000 for the dropped flags.
        if (subTypeId >= 1000 && !Definition(subTypeId))
            return nullptr;
        // The flag loads on the game thread like every other kind: loading
        // here would add a body to the physics and a sprite to the painter
        // while the game thread runs them.
        made = ModeFlag(subTypeId);
        if (!made)
            made = new MissionItemImpl(subTypeId == -1 ? 0 : subTypeId);
        if (subTypeId >= 0 && subTypeId < 1000)
            static_cast<MissionItem*>(made)->SetType(subTypeId);
        break;
    case ObjectKind::Player:
        made = new Player();
        break;
    // Effect objects and sound sources are made by their own calls.
    case ObjectKind::BreakParticle:
    case ObjectKind::Dust:
    case ObjectKind::SoundSource:
        return nullptr;
    default:
        break;
    }
    if (made) {
        made->SetPositionAngle(-10000.0f, -10000.0f, 0.0f);
        return made;
    }
    IResource* definition = Definition(subTypeId);
    if (!definition)
        return nullptr;
    Object* object = MakeDummy(definition, subTypeId);
    object->SetPositionAngle(-10000.0f, -10000.0f, 0.0f);
    return object;
}

Object* CreateEffectObjectOfType(int typeId)
{
    switch (typeId) {
    case ObjectKind::DeadPlayer:
        return new DeadPlayer();
    case ObjectKind::BreakParticle:
        return new BreakParticle();
    case ObjectKind::Dust:
        return new Dust();
    default:
        return nullptr;
    }
}

GameMod* CreateGameModeObject(int mode)
{
    switch (mode) {
    case 0:
        return new TeamDM();
    case 1:
        return new CaptureTheFlag();
    case 2:
        return new KingOfTheHill();
    default:
        return nullptr;
    }
}

Object* AddToWorld(Object* object)
{
    if (ObjectManager* objects = Services().objects)
        objects->AddObject(object);
    if (IMultiplayerHandler* handler = ActiveHandler())
        handler->AddObject(object);
    return object;
}

Player* CreatePlayer()
{
    Player* player = new Player();
    player->LoadProperties();
    player->SetPositionAngle(0.0f, 0.0f, 0.0f);
    AddToWorld(player);
    return player;
}

Object* CreateCorpse(Player* player)
{
    Object* corpse = CreateEffectObjectOfType(ObjectKind::DeadPlayer);
    if (!corpse)
        return nullptr;
    float x, y;
    player->GetPosition(&x, &y);
    corpse->SetPositionAngle(x, y, player->GetAngle());
    static_cast<DeadPlayer*>(corpse)->playerId = uint8_t(player->GetNetworkId());
    corpse->LoadProperties();
    return AddToWorld(corpse);
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

Object* CreateDroppedWeapon(int weaponId, int clip, int detonatorTag, float x, float y, float angle)
{
    return CreateThrownWeapon(weaponId, x, y, angle, clip, detonatorTag);
}

Object* CreateMess(int variant, float x, float y, float angle)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle))
        return nullptr;
    Mess* mess = new Mess();
    mess->variant = uint16_t(variant);
    // 1.0 to 2.4 in tenths.
    mess->scale = variant == 1 ? 1.0f + float(Util::Random() % 15) / 10.0f : 1.0f;
    mess->SetPositionAngle(x, y, angle);
    mess->LoadProperties();
    mess->StartUp();
    return AddToWorld(mess);
}

Object* CreateFire(float x, float y, float dirX, float dirY, float speed, float size, float lifetime, float damage,
                   int ownerId, int definitionId)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return nullptr;
    Fire* fire = new Fire(definitionId);
    fire->Start(x, y, dirX, dirY, speed, size, lifetime, ownerId);
    fire->value = std::isfinite(damage) ? damage : 0.0f;
    fire->LoadProperties();
    return AddToWorld(fire);
}
