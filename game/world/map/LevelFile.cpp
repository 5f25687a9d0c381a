#include "game/world/map/LevelFile.h"

#include "engine/core/ByteReader.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "game/world/map/LevelInput.h"
#include "game/world/map/World.h"

#include <algorithm>
#include <memory>

namespace {

bool ReadHeaderFields(LevelInput& in, LevelHeader* header)
{
    if (in.Int() != LevelHeader::kMagic || !in.Ok())
        return false;
    header->version = in.Int();
    in.Int(); // unused
    header->checkValue = in.Int();
    header->name.clear();
    header->gameMode = 0;
    if (header->version >= 3) {
        uint8_t raw[LevelHeader::kNameUnits * 2];
        in.Bytes(raw, sizeof raw);
        for (int i = 0; i < LevelHeader::kNameUnits; ++i) {
            const char16_t unit = char16_t(raw[2 * i] | (raw[2 * i + 1] << 8));
            if (unit == 0)
                break;
            header->name.push_back(unit);
        }
    }
    if (header->version >= 4)
        header->gameMode = in.Int();
    return in.Ok() && header->version >= 1;
}

// Objects far off the map are brought to its margin.
float ClampToMap(float v, int tiles)
{
    const float margin = 1000.0f;
    return std::clamp(v, -margin, float(tiles) * kTileSize + margin);
}

struct FileDeleter {
    void operator()(IFile* f) const { delete f; }
};

} // namespace

namespace {
bool ReadWholeLevel(IFile* file, IResourceManager* resources, LevelContents* out, LevelReadFailure* why);
} // namespace

int32_t LevelCheckValue(const uint8_t* bytes, size_t size)
{
    uint32_t sum = 0xffffffffu;
    for (size_t i = 0; i < size; ++i)
        sum += (i >= 12 && i < 16) ? 0xffu : bytes[i];
    return int32_t(sum);
}

bool ReadLevelHeader(IFile* file, LevelHeader* header)
{
    LevelInput in(file);
    return header && ReadHeaderFields(in, header);
}

bool ReadLevel(IFile* file, IResourceManager* resources, LevelContents* out, LevelReadFailure* why)
{
    LevelReadFailure failure = LevelReadFailure::Damaged;
    const bool ok = out && ReadWholeLevel(file, resources, out, &failure);
    if (why)
        *why = ok ? LevelReadFailure::None : failure;
    return ok;
}

namespace {

bool ReadWholeLevel(IFile* file, IResourceManager* resources, LevelContents* out, LevelReadFailure* why)
{
    LevelInput in(file);
    LevelContents level;
    if (!ReadHeaderFields(in, &level.header)) {
        if (in.Ok())
            *why = LevelReadFailure::Magic;
        return false;
    }
    if (level.header.version >= 2) {
        const int32_t size = in.Int();
        if (!in.Ok() || size < 0 || size > kMaxLevelPicture || size > in.Remaining())
            return false;
        level.picture.resize(size_t(size));
        if (size > 0 && !in.Bytes(level.picture.data(), size))
            return false;
    }
    level.worldVersion = in.Int();
    if (in.Ok() && (level.worldVersion < 1000 || level.worldVersion > LevelContents::kWorldVersion)) {
        *why = LevelReadFailure::WorldVersion;
        return false;
    }
    if (!in.Ok() || !level.world.Read(in, level.worldVersion, resources))
        return false;

    const int w = level.world.width, h = level.world.height;
    const int32_t objectTag = in.Int();
    if (in.Ok() && objectTag != LevelContents::kObjectsNone) {
        const int32_t count = in.Int();
        if (!in.Count(count, 16))
            return false;
        level.objects.resize(size_t(count));
        for (auto& o : level.objects) {
            o.definitionId = in.Int();
            o.x = ClampToMap(in.Float(), w);
            o.y = ClampToMap(in.Float(), h);
            o.angle = in.Float();
        }
    }

    level.lightTag = in.Int();
    const int tag = level.lightTag;
    if (in.Ok() && tag >= LevelContents::kLightsPositions && tag <= LevelContents::kLightsFull) {
        const int32_t count = in.Int();
        const int recordSize = tag == LevelContents::kLightsFull ? 36 : tag == LevelContents::kLightsSized ? 12 : 8;
        if (!in.Count(count, recordSize))
            return false;
        level.lights.resize(size_t(count));
        for (auto& l : level.lights) {
            if (tag == LevelContents::kLightsFull)
                l.type = in.Int();
            l.x = ClampToMap(in.Float(), w);
            l.y = ClampToMap(in.Float(), h);
            if (tag == LevelContents::kLightsFull)
                l.angle = in.Float();
            if (tag != LevelContents::kLightsPositions)
                l.size = in.Float();
            if (tag == LevelContents::kLightsFull) {
                l.power = in.Float();
                l.red = in.Float();
                l.green = in.Float();
                l.blue = in.Float();
            }
        }
    }
    if (!in.Ok())
        return false;
    *out = std::move(level);
    return true;
}

} // namespace

bool WriteLevel(IFile* out, IFileManager* files, const LevelHeader& header, const std::vector<uint8_t>& picture,
                const World& world, const std::vector<LevelObject>& objects, const std::vector<LevelLight>& lights,
                int* checkValue)
{
    if (!out || !files || picture.size() > size_t(kMaxLevelPicture))
        return false;
    std::unique_ptr<IFile, FileDeleter> mem(files->CreateMemoryFile(0));
    if (!mem)
        return false;
    IFile* f = mem.get();
    uint8_t name[LevelHeader::kNameUnits * 2] = {};
    for (size_t i = 0; i < header.name.size() && i < size_t(LevelHeader::kNameUnits); ++i)
        Util::PutU16(name + 2 * i, uint16_t(header.name[i]));
    auto writeFloat = [f](float v) {
        uint8_t b[4];
        Util::PutF32(b, v);
        return f->Write(b, 4);
    };
    bool ok = f->WriteInt(LevelHeader::kMagic) && f->WriteInt(LevelHeader::kVersion) && f->WriteInt(-1) &&
              f->WriteInt(-1) && f->Write(name, sizeof name) && f->WriteInt(header.gameMode) &&
              f->WriteInt(int(picture.size()));
    if (ok && !picture.empty())
        ok = f->Write(picture.data(), int(picture.size()));
    ok = ok && f->WriteInt(LevelContents::kWorldVersion) && world.Write(f);
    ok = ok && f->WriteInt(LevelContents::kObjectsListed) && f->WriteInt(int(objects.size()));
    for (const auto& o : objects)
        ok = ok && f->WriteInt(o.definitionId) && writeFloat(o.x) && writeFloat(o.y) && writeFloat(o.angle);
    ok = ok && f->WriteInt(LevelContents::kLightsFull) && f->WriteInt(int(lights.size()));
    for (const auto& l : lights)
        ok = ok && f->WriteInt(l.type) && writeFloat(l.x) && writeFloat(l.y) && writeFloat(l.angle) &&
             writeFloat(l.size) && writeFloat(l.power) && writeFloat(l.red) && writeFloat(l.green) &&
             writeFloat(l.blue);
    if (!ok)
        return false;

    const int size = f->Tell();
    if (size < 16)
        return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    f->Seek(0);
    if (f->Read(bytes.data(), size) != size)
        return false;
    const int32_t check = LevelCheckValue(bytes.data(), bytes.size());
    Util::PutU32(&bytes[12], uint32_t(check));
    if (!out->Write(bytes.data(), size) || !out->Flush())
        return false;
    if (checkValue)
        *checkValue = check;
    return true;
}
