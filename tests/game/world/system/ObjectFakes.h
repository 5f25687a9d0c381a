#pragma once

// A scripted player side for the world objects: one player standing where
// the test puts it, taking whatever it is offered unless told not to.

#include "game/world/objects/MissionItem.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace StateTest {

class FakePlayers : public IPlayerContacts {
public:
    FakePlayers() { Services().contacts = this; }
    ~FakePlayers() override { Services().contacts = nullptr; }

    Object* FindPlayerNear(float px, float py, float distance) override
    {
        return present && std::hypot(px - x, py - y) <= distance ? player : nullptr;
    }
    Object* FindPlayerInSquare(float px, float py, float distance) override
    {
        return present && std::fabs(px - x) <= distance && std::fabs(py - y) <= distance ? player : nullptr;
    }
    Object* FindPlayerInHull(PhysEng::Object*, float) override { return present && touching ? player : nullptr; }
    uint32_t GetInputBits(Object*) override { return bits; }
    bool OfferAmmo(Object*, Object*) override { return ++offers, accepts; }
    bool OfferItem(Object*, Object*, float health, float) override
    {
        healthAdded += accepts ? health : 0.0f;
        return ++offers, accepts;
    }
    void OfferMissionItem(Object*, MissionItem* item) override
    {
        ++offers;
        item->PickUp(7);
    }
    bool PickUpWeapon(Object*, int, int) override { return ++offers, accepts; }
    void ClaimParkedTraps(Object*, int) override {}
    bool ApplyFireDamage(int, float, float, int) override { return false; }
    bool GetLocalPlayerPosition(float*, float*) override { return false; }

    // Any non-null object stands for the player; it is never touched.
    Object* player = reinterpret_cast<Object*>(this);
    bool present = true;
    bool touching = false;
    bool accepts = true;
    uint32_t bits = 0;
    float x = 0.0f, y = 0.0f;
    int offers = 0;
    float healthAdded = 0.0f;
};

} // namespace StateTest
