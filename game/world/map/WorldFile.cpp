#include "game/world/map/World.h"
#include "game/world/map/WorldSection.h"

#include "engine/core/ByteReader.h"
#include "engine/files/IFile.h"
#include "game/world/map/LevelInput.h"
#include "game/world/resources/IResourceManager.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kCellBytes = 3;
// Cells are read in slices, so a compressed section that claims a large grid
// costs memory only for the cells that really arrive.
constexpr int kSliceCells = 65536;

uint32_t CellFromStored(uint32_t stored, IResourceManager* resources)
{
    const uint32_t id = stored & World::kBlockMask;
    uint32_t index = World::kEmpty;
    if (id != World::kEmpty && resources) {
        const int i = resources->GetIndexOfId(int(id));
        // An unknown id would name whatever sits at index 0: keep the cell
        // empty instead (its wall bit still blocks as stored).
        if (resources->GetIdAt(i) == int(id) && i >= 0 && uint32_t(i) < World::kEmpty)
            index = uint32_t(i);
    }
    return (stored & 0xfc0000u) | index;
}

bool WriteFloat(IFile* file, float f)
{
    uint8_t b[4];
    Util::PutF32(b, f);
    return file->Write(b, 4);
}

} // namespace

bool WorldSection::Read(LevelInput& in, int worldVersion, IResourceManager* resources)
{
    if (worldVersion < 1000 || worldVersion > 1003)
        return false;
    in.Int(); // always 1000
    width = in.Int();
    height = in.Int();
    compressed = worldVersion > 1000 && in.Byte() == 1;
    if (!in.Ok() || width < 1 || height < 1 || width > World::kMaxSide || height > World::kMaxSide)
        return false;
    const int64_t total = int64_t(width) * int64_t(height);
    if (!compressed && total * kCellBytes > in.Remaining())
        return false;
    if (compressed && !in.File()->BeginCompression())
        return false;
    cells.clear();
    std::vector<uint8_t> slice;
    for (int64_t done = 0; done < total && in.Ok();) {
        const int n = int(std::min<int64_t>(kSliceCells, total - done));
        slice.resize(size_t(n) * kCellBytes);
        if (!in.Bytes(slice.data(), n * kCellBytes))
            break;
        cells.reserve(cells.size() + size_t(n));
        for (int k = 0; k < n; ++k) {
            const uint8_t* p = &slice[size_t(k) * kCellBytes];
            cells.push_back(CellFromStored(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16), resources));
        }
        done += n;
    }
    if (compressed && !in.File()->EndCompression())
        in.Fail();
    if (!in.Ok())
        return false;

    boxes.clear();
    if (worldVersion > 1001) {
        const int32_t count = in.Int();
        if (!in.Count(count, worldVersion > 1002 ? 32 : 16))
            return false;
        const float mapW = float(width) * kTileSize, mapH = float(height) * kTileSize;
        for (int32_t k = 0; k < count; ++k) {
            World::LightBox box;
            if (worldVersion > 1002) {
                box.SetBrightness(in.Float());
                const float r = in.Float(), g = in.Float(), b = in.Float();
                box.SetColor(r, g, b);
            }
            box.x0 = in.Float();
            box.y0 = in.Float();
            box.x1 = in.Float();
            box.y1 = in.Float();
            if (!in.Ok())
                return false;
            if (box.x1 > mapW + 100.0f)
                box.x1 = box.x0 + 100.0f;
            if (box.y1 > mapH + 100.0f)
                box.y1 = box.y0 + 100.0f;
            box.x0 = std::clamp(box.x0, 0.0f, mapW);
            box.x1 = std::clamp(box.x1, 0.0f, mapW);
            box.y0 = std::clamp(box.y0, 0.0f, mapH);
            box.y1 = std::clamp(box.y1, 0.0f, mapH);
            boxes.push_back(box);
        }
    }
    return in.Ok();
}

void WorldSection::ApplyTo(World& world)
{
    if (!world.ReplaceCells(width, height, std::move(cells)))
        return;
    world.SetCompressBlocks(compressed);
    world.DeleteLightBoxes();
    for (const auto& box : boxes)
        world.AddLightBox(new World::LightBox(box));
    cells.clear();
    boxes.clear();
}

bool World::Read(IFile* file, int worldVersion)
{
    LevelInput in(file);
    WorldSection section;
    changed_ = true;
    if (!section.Read(in, worldVersion, resources_))
        return false;
    section.ApplyTo(*this);
    return true;
}

bool World::Write(IFile* file) const
{
    if (!cells_ || !file)
        return false;
    bool ok = file->WriteInt(1000) && file->WriteInt(width_) && file->WriteInt(height_);
    const uint8_t compressed = compressBlocks_ ? 1 : 0;
    ok = ok && file->Write(&compressed, 1);
    if (compressBlocks_)
        ok = ok && file->BeginCompression();
    std::vector<uint8_t> row(size_t(width_) * 3);
    for (int y = 0; ok && y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const uint32_t cell = At(x, y);
            uint32_t block = cell & kBlockMask;
            if (block != kEmpty)
                block = resources_ ? uint32_t(resources_->GetIdAt(int(block))) & kBlockMask : kEmpty;
            const uint32_t stored = (cell & 0xfc0000u) | block;
            row[size_t(x) * 3] = uint8_t(stored);
            row[size_t(x) * 3 + 1] = uint8_t(stored >> 8);
            row[size_t(x) * 3 + 2] = uint8_t(stored >> 16);
        }
        ok = file->Write(row.data(), int(row.size()));
    }
    if (compressBlocks_)
        ok = file->EndCompression() && ok;
    ok = ok && file->WriteInt(GetLightBoxCount());
    for (const auto& box : lightBoxes_) {
        const float values[8] = {box->intensity, box->red, box->green, box->blue, box->x0, box->y0, box->x1, box->y1};
        for (float v : values)
            ok = ok && WriteFloat(file, v);
    }
    return ok;
}
