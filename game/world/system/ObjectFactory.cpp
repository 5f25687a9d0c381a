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
bool HasHealth(IResource* definition) { return definition->FindItem(u"health") != nullptr; }

Object* MakeDummy(IResource* definition, int id)
{
    if (HasHealth(definition))
        return new DummyBreakableObject(id);
    return new DummyObject(id);
}

// The level mode's own kind of mission item, when it has one.
MissionItem* ModeFlag(int definitionId)
{
    IGameState* game = Services().game;
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
