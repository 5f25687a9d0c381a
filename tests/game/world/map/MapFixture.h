#pragma once

#include "game/world/map/World.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"

#include <gtest/gtest.h>

#include <memory>

// A resource index of two floors (the second is water), two walls and a
// start point, without scripts, renderer or audio.
struct MapFixture {
    // Index positions of the blocks, in creation order.
    enum { kGrass = 0, kWater = 1, kBrick = 2, kStone = 3, kStart = 4 };
    static constexpr int kIds[5] = {1, 6, 51, 54, 26214400};

    ResourceManager resources{nullptr, nullptr, nullptr};
    std::unique_ptr<World> world;

    MapFixture(int width = 16, int height = 16)
    {
        const int classes[5] = {ResourceClass::Floor, ResourceClass::Floor, ResourceClass::Wall, ResourceClass::Wall,
                                ResourceClass::StartPoint};
        for (int i = 0; i < 5; ++i) {
            ObjectResource* r = resources.CreateObjectResource(classes[i]);
            r->SetId(kIds[i]);
            if (i == kWater) {
                auto* item = new ParameterRecord;
                item->name = u"water";
                item->valueCount = 1;
                item->values[0].type = ParameterValue::Real;
                item->values[0].real = 0.6f;
                r->AddItem(item);
            }
        }
        resources.BuildIndex();
        world.reset(new World(&resources));
        world->Resize(width, height, 0, 0, 0, 0, -1, -1);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                world->SetTileVariant(x, y, kGrass, 0);
    }

    void Wall(int x, int y, int damage = 0, int block = kBrick)
    {
        world->SetTile(x, y, block);
        world->SetCell(x, y, (world->GetCell(x, y) & World::kStoredMask) | (uint32_t(damage) << World::kDamageShift));
    }
};
