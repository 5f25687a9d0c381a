#pragma once

// A served match on a small walled map: the real game state, physics and
// registry, weapon definitions made by hand, stand-in players (kind 2) and
// a server handler that records what it broadcasts.

#include "../map/MapFixture.h"
#include "../resources/WeaponTestSupport.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "support-game/RecordingHandlers.h"

#include <memory>

namespace armstest {

// Records the damage it takes and who it was credited to.
class StandInPlayer : public Object {
public:
    explicit StandInPlayer(int id) : Object(ObjectKind::Player, -1)
    {
        SetNetworkId(id);
        health_ = 100.0f;
    }
    const MPAPI::FieldRecord* GetFieldTable() override
    {
        static const MPAPI::FieldRecord end[] = {{MPAPI::kFieldEnd, 0, 0, 0, 0}};
        return end;
    }
    void TakeHit(float damage, bool, int source, float, float, float) override
    {
        taken += damage;
        creditedTo = source;
    }
    void TakeBlastDamage(float, float, float amount, int32_t owner, int32_t) override
    {
        taken += amount;
        creditedTo = int(owner);
    }
    void Update(float) override {}
    float taken = 0.0f;
    int creditedTo = 0;
};

struct Match : MapFixture {
    std::unique_ptr<GameSystem> game;
    RecordingServer server;

    Match() : MapFixture(32, 16)
    {
        game = std::make_unique<GameSystem>(nullptr, world.get(), &resources, nullptr, nullptr);
        game->SetHandlers(&server, nullptr);
        game->SetActiveHandler(&server);
    }
    ~Match() { Services().objects->Clear(); }

    // Walls built, bodies made: call after the last Wall().
    void Ready() { world->BuildWallBodies(); }

    // A weapon definition by its script parameters.
    int Weapon(int id, std::initializer_list<std::pair<const char16_t*, std::initializer_list<ParameterValue>>> params)
    {
        ObjectResource* block = resources.CreateObjectResource(ResourceClass::Weapon);
        block->SetId(id);
        for (auto& p : params)
            weapontest::AddParam(block, p.first, p.second);
        Services().weapons->AddWeapon(block);
        return id;
    }

    StandInPlayer* Player(int id, int team, float x, float y)
    {
        auto* p = new StandInPlayer(id);
        p->SetPositionAngle(x, y, 0.0f);
        server.teams[id] = team;
        Services().objects->AddObject(p);
        return p;
    }

    void Frames(int n, float dt = 0.05f)
    {
        for (int i = 0; i < n; ++i)
            game->Update(dt);
    }
    // By address only: the object may be gone.
    bool Alive(const void* o)
    {
        for (Object* live : Services().objects->Objects())
            if (live == o)
                return true;
        return false;
    }
};

} // namespace armstest
