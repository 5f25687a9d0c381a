#pragma once

#include "game/world/map/World.h"

#include <cstdint>
#include <vector>

class IResourceManager;
class LevelInput;

// The world part of a level file, parsed whole before the world is touched,
// so a bad file leaves the loaded level as it was.
struct WorldSection {
    int width = 0;
    int height = 0;
    bool compressed = false;
    // Stored bits 0-23 with the block id already turned into its index.
    std::vector<uint32_t> cells;
    std::vector<World::LightBox> boxes;

    // Reads the section of that world version (1000-1003); false for any
    // other version, a bad size, a short read or a value that is not finite.
    bool Read(LevelInput& in, int worldVersion, IResourceManager* resources);
    // Swaps the grid and the light boxes into the world (damage 0).
    void ApplyTo(World& world);
};
