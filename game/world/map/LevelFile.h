#pragma once

#include "game/world/map/WorldSection.h"

#include <cstdint>
#include <string>
#include <vector>

class IFile;
class IFileManager;
class IResourceManager;
class World;

// The level file: header, map picture, world section, placed objects and
// placed lights. Readers parse a whole file into these records before
// anything of the running game is touched.
struct LevelHeader {
    static constexpr int kMagic = 100;
    static constexpr int kVersion = 4;
    static constexpr int kNameUnits = 64;
    int version = kVersion;
    int checkValue = -1;
    std::u16string name; // at most 64 units
    int gameMode = 0;    // 0 team deathmatch, 1 capture the flag, 2 king of the hill
};

struct LevelObject {
    int definitionId = 0;
    float x = 0.0f;
    float y = 0.0f;
    float angle = 0.0f; // degrees
};

// Fields a light tag does not store keep these values.
struct LevelLight {
    int type = 0; // 0 point, 1 spot, 2 tube, 3 sign, 4 blinking sign
    float x = 0.0f;
    float y = 0.0f;
    float angle = 0.0f;
    float size = 256.0f;
    float power = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
};

struct LevelContents {
    static constexpr int kWorldVersion = 1003;
    static constexpr int kObjectsNone = 3000;
    static constexpr int kObjectsListed = 3001;
    static constexpr int kLightsPositions = 4000;
    static constexpr int kLightsSized = 4001;
    static constexpr int kLightsFull = 4002;

    LevelHeader header;
    std::vector<uint8_t> picture; // PNG bytes, empty for none
    int worldVersion = kWorldVersion;
    WorldSection world;
    std::vector<LevelObject> objects;
    // The light tag read; a tag other than 4000-4002 carries no lights.
    int lightTag = kLightsFull;
    std::vector<LevelLight> lights;
};

// The largest map picture a reader takes.
constexpr int kMaxLevelPicture = 16 * 1024 * 1024;

// Header fields only (magic, version, check value, name, game mode).
bool ReadLevelHeader(IFile* file, LevelHeader* header);

enum class LevelReadFailure { None, Magic, WorldVersion, Damaged };

// The whole level; false for a wrong magic, an unknown world version, a bad
// size or count, a short read or a value that is not finite, with the
// reason in *why when given. *out is only written on success.
bool ReadLevel(IFile* file, IResourceManager* resources, LevelContents* out, LevelReadFailure* why = nullptr);

// Writes a level of the current file version with the world's grid and
// boxes and the given records, check value included. The level is composed
// in memory first and reaches `out` in one write: false when any step
// fails. The check value written is stored in *checkValue when given.
bool WriteLevel(IFile* out, IFileManager* files, const LevelHeader& header, const std::vector<uint8_t>& picture,
                const World& world, const std::vector<LevelObject>& objects, const std::vector<LevelLight>& lights,
                int* checkValue);

// The check value of a whole level: -1 plus every byte, bytes 12-15 taken
// as 0xFF each (the placeholder they held while the sum was made).
int32_t LevelCheckValue(const uint8_t* bytes, size_t size);
