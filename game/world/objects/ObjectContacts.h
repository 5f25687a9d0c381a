#pragma once

#include <cstdint>

class IAudioBuffer;
class MissionItem;
class Object;
namespace PhysEng {
class Object;
}

// What the world's pick-ups, doors, flags and fires ask of players, reached
// as Services().contacts; with none set, nobody is ever near.
class IPlayerContacts {
public:
    virtual ~IPlayerContacts() {}
    // The first live player within distance of (x, y).
    virtual Object* FindPlayerNear(float x, float y, float distance) = 0;
    // The first live player (health above 0, a team) whose position lies
    // within distance of (x, y) on both axes.
    virtual Object* FindPlayerInSquare(float x, float y, float distance) = 0;
    // The first live player whose hull comes within distance of the body.
    virtual Object* FindPlayerInHull(PhysEng::Object* body, float distance) = 0;
    virtual uint32_t GetInputBits(Object* player) = 0;
    // True when the player took it.
    virtual bool OfferAmmo(Object* player, Object* ammo) = 0;
    virtual bool OfferItem(Object* player, Object* item, float healthAdd, float armorAdd) = 0;
    // May pick the item up (and so delete it).
    virtual void OfferMissionItem(Object* player, MissionItem* item) = 0;
    // clip -1 for a level weapon; true when taken.
    virtual bool PickUpWeapon(Object* player, int weaponId, int clip) = 0;
    virtual void ClaimParkedTraps(Object* player, int tag) = 0;
    // Fire damage around (x, y) on behalf of the player with that id;
    // false when no player has it.
    virtual bool ApplyFireDamage(int playerNetworkId, float x, float y, int definitionId) = 0;
    // False when there is no local player.
    virtual bool GetLocalPlayerPosition(float* x, float* y) = 0;
};

// Sounds and particles that world objects set off, reached as
// Services().output; with none set, nothing is heard or seen.
class IObjectOutput {
public:
    virtual ~IObjectOutput() {}
    virtual void PlayAt(IAudioBuffer* sound, float x, float y, float volume) = 0;
    // The one pooled source of the sound, moved to (x, y) and triggered.
    virtual void TriggerShared(IAudioBuffer* sound, float x, float y, int variant, float hold) = 0;
    // A sound of the data set by file name, e.g. "weapons/hit_glass.ogg".
    virtual void PlayNamed(const char16_t* file, float x, float y, float volume) = 0;
    virtual void SpawnFireParticle(float x0, float y0, float x1, float y1, float size, float lifetime) = 0;
    virtual void SpawnDust(float x, float y, float angle, int type) = 0;
};
