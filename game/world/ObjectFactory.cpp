#include "game/world/ObjectFactory.h"

#include "game/shell/MultiplayerHandler.h"
#include "game/world/ArmsFactory.h"
#include "game/world/BulletProjectile.h"
#include "game/world/DummyObject.h"
#include "game/world/IResource.h"
#include "game/world/IResourceManager.h"
#include "game/world/ObjectKind.h"
#include "game/world/ObjectManager.h"
#include "game/world/Projectile.h"
#include "game/world/ResourceClass.h"
#include "game/world/Trap.h"
#include "game/world/Vehicle.h"
#include "game/world/WorldServices.h"

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

// A replicated object whose definition gives it a body or images.
Object* Loaded(Object* object)
{
    object->LoadProperties();
    return object;
}

} // namespace

Object* CreateObjectByType(int definitionId, float x, float y)
{
    IResource* definition = Definition(definitionId);
    if (!definition)
        return nullptr;
    bool client = IsClient();
    switch (definition->GetClassId()) {
    case ResourceClass::Vehicle:
        return client ? nullptr : CreateVehicle(definitionId, x, y);
    // Replicated to clients; the server makes them from the level.
    case ResourceClass::Ammo:
    case ResourceClass::Weapon:
    case ResourceClass::Item:
    case ResourceClass::StartPoint:
    case ResourceClass::MissionItem:
        if (client)
            return nullptr;
        // Their classes are wired in here as they land.
        return nullptr;
    // Every machine builds these from the level.
    case ResourceClass::Tree:
    case ResourceClass::Door:
    case ResourceClass::Window:
        return nullptr;
    default:
        break;
    }
    bool breakable = HasHealth(definition);
    Object* object = MakeDummy(definition, definitionId);
    object->LoadProperties();
    object->SetPositionAngle(x, y, 0.0f);
    if (ObjectManager* objects = Services().objects)
        objects->AddObject(object);
    MultiplayerHandler* handler = ActiveHandler();
    if (handler && breakable)
        handler->AddLevelObject(object);
    return object;
}

Object* CreateReplicatedObject(int typeId, int subTypeId)
{
    switch (typeId) {
    case ObjectKind::Missile:
        return new MissileProjectile(subTypeId, false);
    case ObjectKind::Grenade:
        return new GrenadeProjectile(subTypeId, 255);
    case ObjectKind::Bullet:
        return new BulletProjectile(subTypeId);
    case ObjectKind::Vehicle:
        return Loaded(new Vehicle(subTypeId));
    case ObjectKind::Trap:
        return Loaded(new Trap(subTypeId));
    // Players, corpses, debris, projectiles, vehicles, windows, doors,
    // pick-ups, weapons, traps, fire, sound sources and mission items are
    // wired in here as their classes land.
    case ObjectKind::Player:
    case ObjectKind::DeadPlayer:
    case ObjectKind::Mess:
    case ObjectKind::BreakParticle:
    case ObjectKind::Dust:
    case ObjectKind::Window:
    case ObjectKind::Door:
    case ObjectKind::Ammo:
    case ObjectKind::Item:
    case ObjectKind::Weapon:
    case ObjectKind::Fire:
    case ObjectKind::SoundSource:
    case ObjectKind::MissionItem:
        return nullptr;
    default:
        break;
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
    // Corpses, break fragments and dust are wired in here as they land.
    case ObjectKind::DeadPlayer:
    case ObjectKind::BreakParticle:
    case ObjectKind::Dust:
    default:
        return nullptr;
    }
}

GameMod* CreateGameModeObject(int mode, GameSystem*)
{
    switch (mode) {
    // Team deathmatch, capture the flag and king of the hill are wired in
    // here as they land.
    case 0:
    case 1:
    case 2:
    default:
        return nullptr;
    }
}

ILight* CreateLight(float, float)
{
    // The light kinds are wired in here as they land.
    return nullptr;
}
