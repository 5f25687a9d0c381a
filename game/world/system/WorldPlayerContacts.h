#pragma once

#include "game/world/objects/ObjectContacts.h"

// The world's players as pick-ups, doors, flags and fires see them: the
// registry's player list and the Player operations behind it. The game
// state installs it for its lifetime.
class WorldPlayerContacts : public IPlayerContacts {
public:
    Object* FindPlayerNear(float x, float y, float distance) override;
    Object* FindPlayerInSquare(float x, float y, float distance) override;
    Object* FindPlayerInHull(PhysEng::Object* body, float distance) override;
    uint32_t GetInputBits(Object* player) override;
    bool OfferAmmo(Object* player, Object* ammo) override;
    bool OfferItem(Object* player, Object* item, float healthAdd, float armorAdd) override;
    void OfferMissionItem(Object* player, MissionItem* item) override;
    bool PickUpWeapon(Object* player, int weaponId, int clip) override;
    void ClaimParkedTraps(Object* player, int tag) override;
    bool ApplyFireDamage(int playerNetworkId, float x, float y, int definitionId) override;
    bool GetLocalPlayerPosition(float* x, float* y) override;
};
