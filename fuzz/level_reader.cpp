// Arbitrary bytes as a level file the way a client receives one from a
// server: read it whole, put it into the world, and feed the same bytes to
// the wall-damage decoder and encoder of that world.
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/World.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

struct Setup {
    FileManager files;
    ResourceManager resources{nullptr, nullptr, nullptr};
    std::unique_ptr<World> world;
    Setup()
    {
        const int ids[3] = {1, 51, 6};
        const int classes[3] = {ResourceClass::Floor, ResourceClass::Wall, ResourceClass::Floor};
        for (int i = 0; i < 3; ++i)
            resources.CreateObjectResource(classes[i])->SetId(ids[i]);
        resources.BuildIndex();
        world.reset(new World(&resources));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    if (size > (1u << 22))
        return 0;
    std::unique_ptr<IFile> file(setup.files.CreateMemoryFile(int(size) + 1));
    if (size)
        file->Write(data, int(size));
    file->Seek(0);
    LevelHeader header;
    ReadLevelHeader(file.get(), &header);
    file->Seek(0);
    LevelContents level;
    if (!ReadLevel(file.get(), &setup.resources, &level))
        return 0;
    World& world = *setup.world;
    level.world.ApplyTo(world);
    world.DecodeWallDamage(data, int(size), 0);
    uint8_t out[World::kWallDamageBytes];
    int next = 0;
    for (int start = 0, rounds = 0; start < world.GetWidth() * world.GetHeight() && rounds < 64; ++rounds) {
        world.EncodeWallDamage(start, out, &next);
        if (next <= start)
            __builtin_trap();
        start = next;
    }
    world.ApplyBlastDamage(level.objects.empty() ? 100.0f : level.objects[0].x, 64.0f, 500.0f, 80.0f);
    world.GetLineVisibility(0.0f, 0.0f, float(world.GetWidth()) * 32.0f, float(world.GetHeight()) * 32.0f);
    return 0;
}
