#include "game/world/resources/BlockResource.h"

#include "engine/render/ITexture.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"

#include <cstdint>

namespace {
constexpr int kThumb = 64;
} // namespace

BlockResource::BlockResource(IResourceManager* manager, ITexture* sheet, int row)
    : Resource(manager, ResourceClass::Floor), sheet_(sheet)
{
    SetRow(row);
}

BlockResource::~BlockResource() {}

ITexture* BlockResource::GetImage() { return sheet_; }

void BlockResource::AddItem(ParameterRecord* record) { items_.Add(record); }

ParameterRecord* BlockResource::FindItem(const char16_t* name) { return items_.Find(name); }

bool BlockResource::RowInSheet()
{
    if (!sheet_)
        return false;
    const int64_t top = int64_t(GetRow()) * kTileSize;
    return top >= 0 && top + kTileSize <= sheet_->GetHeight();
}

const uint32_t* BlockResource::CreateThumbnail()
{
    thumbnail_.reset();
    // A row past the sheet (a script's "row" value) has nothing to show.
    if (!RowInSheet())
        return nullptr;
    const int top = GetRow() * kTileSize;
    const uint32_t* pixels = sheet_->LoadPixels(0, top, kTileSize, top + kTileSize);
    if (!pixels) {
        sheet_->FreePixels();
        return nullptr;
    }
    thumbnail_.reset(new uint32_t[kThumb * kThumb]);
    uint32_t* out = thumbnail_.get();
    // 31/64 is exact in binary: the source of pixel n is n * 31 / 64.
    const float step = 0.484375f;
    for (int y = 0; y < kThumb; ++y) {
        const int sy = int(float(y) * step);
        for (int x = 0; x < kThumb; ++x) {
            const int sx = int(float(x) * step);
            out[y * kThumb + x] = pixels[sy * kTileSize + sx];
        }
    }
    sheet_->FreePixels();
    return out;
}

void BlockResource::FreeThumbnail() { thumbnail_.reset(); }
