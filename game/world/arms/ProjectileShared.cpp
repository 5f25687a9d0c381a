#include "game/world/arms/ProjectileShared.h"

#include "game/world/net/GameMessage.h"
#include "game/world/net/GamePacket.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/SoundSystem.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/Resource.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

const WeaponDef* FindWeaponDef(int definitionId)
{
    WeaponTable* weapons = Services().weapons;
    return weapons ? weapons->FindWeapon(definitionId) : nullptr;
}

ITexture* ProjectileImage(IResource* definition)
{
    Resource* graphics = definition ? definition->FindGraphicsByName(u"projectile") : nullptr;
    return graphics ? static_cast<IResource*>(graphics)->GetImage() : nullptr;
}

bool BroadcastExplosion(float x, float y, int sizeCode)
{
    IMultiplayerHandler* handler = ActiveHandler();
    if (!handler)
        return false;
    GamePacket packet;
    GameMessages::WriteExplosion(packet, x, y, uint8_t(sizeCode));
    handler->Broadcast(&packet, nullptr);
    return true;
}

bool BroadcastSmoke(float x, float y, float angle)
{
    IMultiplayerHandler* handler = ActiveHandler();
    if (!handler)
        return false;
    GamePacket packet;
    const float values[3] = {x, y, angle};
    GameMessages::WriteFloats(packet, GameMessage::Smoke, values, 3);
    handler->Broadcast(&packet, nullptr);
    return true;
}

void PlayDetonationSound(IResource* definition, float x, float y)
{
    IResource* sound = definition ? definition->GetIndexedLink(9) : nullptr;
    SoundSystem* sounds = Services().sounds;
    // The server's source reaches the clients by replication.
    if (sound && sounds && IsServing())
        sounds->PlayAt(sound->GetId(), x, y, 10.0f);
}

float Bounded(float value, float lo, float hi, float fallback)
{
    if (!std::isfinite(value))
        return fallback;
    return value < lo ? lo : (value > hi ? hi : value);
}
