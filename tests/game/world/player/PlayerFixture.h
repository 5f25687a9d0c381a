#pragma once

// A serving game state on a 16 x 16 map with a wall column and a water
// tile, a rifle, a round-by-round shotgun, their ammunition and a medkit.
#include "game/shell/protocol/MemoryConnection.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/player/Player.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/ObjectFactory.h"
#include "support-game/RecordingHandlers.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace playertest {

enum : int {
    kGrass = 1,
    kWater = 6,
    kBrick = 51,
    kRifle = 10 << 18,
    kShotgun = 11 << 18,
    kCharge = 12 << 18,
    kDetonator = 13 << 18,
    kRifleAmmo = 20 << 18,
    kShells = 21 << 18,
    kRifleBox = 22 << 18,
    kCharges = 23 << 18,
    kMedkit = 30 << 18,
};

// Counts kills; places spawning players at a fixed point of their team.
class CountingMode : public GameMod {
public:
    MissionItem* CreateFlagObject(int) override { return nullptr; }
    void OnKill(Player*, Object* killer, int, int) override { ++kills, lastKiller = killer; }
    void SpawnPlayer(Player* p) override
    {
        p->SetPosition(p->GetTeam() == 0 ? 80.0f : 400.0f, 80.0f);
        ++spawns;
    }
    int kills = 0, spawns = 0;
    Object* lastKiller = nullptr;
};

// The client state a connection hands the server.
class ClientStateConnection : public MemoryConnection {
public:
    int GetClientFlags() override { return flags; }
    float GetClientX() override { return x; }
    float GetClientY() override { return y; }
    float GetClientValue() override { return facing; }
    int GetClientIntA() override { return weapon; }
    int GetClientIntB() override { return explosive; }
    void GetClientPoint(float* u, float* v) override { *u = aimX, *v = aimY; }
    int flags = 0, weapon = -1, explosive = -1;
    float x = 0, y = 0, facing = 0, aimX = 0, aimY = 0;
};

inline void Param(ObjectResource* block, const char16_t* name, std::initializer_list<float> values,
                  const char16_t* text = nullptr)
{
    auto* record = new ParameterRecord();
    record->name = name;
    for (float v : values) {
        ParameterValue& value = record->values[record->valueCount++];
        value.type = float(int(v)) == v ? ParameterValue::Integer : ParameterValue::Real;
        value.integer = int(v);
        value.real = v;
    }
    if (text) {
        ParameterValue& value = record->values[record->valueCount++];
        value.type = ParameterValue::String;
        value.text = text;
    }
    block->AddItem(record);
}

struct PlayerWorld {
    ResourceManager resources{nullptr, nullptr, nullptr};
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    RecordingServer server;
    RecordingClient client;
    CountingMode* mode = new CountingMode();

    ObjectResource* Block(int classId, int id, const char* name = nullptr)
    {
        ObjectResource* block = resources.CreateObjectResource(classId);
        block->SetId(id);
        if (name)
            block->SetNameA(name);
        return block;
    }

    void Weapon(int id, int category, int type, const char16_t* ammo, int clip, int shspeed, int clipChange,
                const char16_t* mode = u"once")
    {
        ObjectResource* b = Block(ResourceClass::Weapon, id);
        Param(b, u"w_category", {float(category)});
        Param(b, u"w_type", {float(type)});
        Param(b, u"w_clip", {float(clip)});
        Param(b, u"w_pickclip", {float(clip * 2)});
        Param(b, u"w_shspeed", {float(shspeed)});
        Param(b, u"w_dispersion", {2.0f, 1.0f, 6.0f});
        if (ammo)
            Param(b, u"w_ammotype", {}, ammo);
        auto* change = new ParameterRecord();
        change->name = u"w_clipchange";
        change->valueCount = 2;
        change->values[0].type = ParameterValue::Integer;
        change->values[0].integer = clipChange;
        change->values[1].type = ParameterValue::Word;
        change->values[1].text = mode;
        b->AddItem(change);
    }

    PlayerWorld()
    {
        Block(ResourceClass::Floor, kGrass);
        Param(Block(ResourceClass::Floor, kWater), u"water", {0.5f});
        Block(ResourceClass::Wall, kBrick);
        Param(Block(ResourceClass::AmmoDef, kRifleAmmo, "rifle_ammo"), u"a_maxammo", {60.0f});
        Param(Block(ResourceClass::AmmoDef, kShells, "shells"), u"a_maxammo", {20.0f});
        Param(Block(ResourceClass::AmmoDef, kCharges, "charges"), u"a_maxammo", {10.0f});
        ObjectResource* box = Block(ResourceClass::Ammo, kRifleBox);
        Param(box, u"a_type", {}, u"rifle_ammo");
        Param(box, u"a_add", {1.0f, 25.0f});
        Param(box, u"a_maxammo", {60.0f});
        Weapon(kRifle, 2, 0, u"rifle_ammo", 5, 100, 500);
        Weapon(kShotgun, 3, 0, u"shells", 6, 800, 300, u"parts");
        Weapon(kCharge, 4, 3, u"charges", 1, 500, 0);
        Weapon(kDetonator, 5, 8, nullptr, 0, 500, 0);
        ObjectResource* medkit = Block(ResourceClass::Item, kMedkit);
        Param(medkit, u"health_add", {25.0f});
        Param(medkit, u"armor_add", {50.0f});
        resources.BuildIndex();
        world = std::make_unique<World>(&resources);
        world->Resize(16, 16, 0, 0, 0, 0, -1, -1);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                world->SetTileVariant(x, y, resources.GetIndexOfId(kGrass), 0);
        for (int y = 2; y < 12; ++y)
            world->SetTile(8, y, resources.GetIndexOfId(kBrick)); // x 256..288
        world->SetTileVariant(3, 12, resources.GetIndexOfId(kWater), 0);
        game = std::make_unique<GameSystem>(nullptr, world.get(), &resources, nullptr, nullptr);
        resources.ApplyItemDefinitions(Services().weapons);
        world->BuildWallBodies();
        Services().physics->SyncFromEngine();
        game->SetHandlers(&server, &client);
        game->SetActiveHandler(&server);
        game->SetGameMode(mode);
    }

    // A player of the team at (x, y), registered in the world.
    Player* Spawn(int team, float x, float y)
    {
        Player* p = CreatePlayer();
        p->SetTeam(team);
        p->SetPositionAngle(x, y, 0.0f);
        p->SetInputState(0, 0, 0, 0, 0);
        return p;
    }
};

} // namespace playertest
