// What only a client does with its resources: loads their pictures, draws
// tiles, edits scripts, shows a script's parse failure and keeps a sound's
// delay. The dedicated server leaves this file out (ResourcesDedicated.cpp).
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/SoundResource.h"
#include "platform/ui/Ui.h"

#include <cmath>
#include <cstdint>

namespace {

// Pixel offset of a tile row or column; script values may be anything.
int TilePixels(int n, int plus = 0) { return int(int64_t(n) * kTileSize + plus); }

} // namespace

ITexture* ResourceManager::LoadImage(const char16_t* file, bool packIntoAtlas, int atlasGroup)
{
    if (!file || !engine_)
        return nullptr;
    std::u16string path = Prefixed(u"gfx\\", file);
    return engine_->LoadTextureEx(path.c_str(), packIntoAtlas, atlasGroup);
}

void ResourceManager::DrawTileMasked(int i, float x, float y, int column, float ox, float oy, float scale)
{
    BlockResource* tile = TileAt(i);
    IRenderer* renderer = Renderer();
    if (!tile || !renderer)
        return;
    auto* block = static_cast<ObjectResource*>(index_[size_t(i)]);
    renderer->SetTexture(0, tile->GetSheet());
    renderer->SetBumpTexture(dynamic_cast<BlockResource*>(block->GetBumpGraphics()));
    renderer->DrawTileLit(std::trunc(x), std::trunc(y), TilePixels(column), TilePixels(tile->GetRow()), ox, oy, scale);
}

void ResourceManager::DrawTileQuad(int i0, int i1, int i2, int i3, float x, float y, int column, int blendFlags)
{
    BlockResource* tiles[4] = {TileAt(i0), TileAt(i1), TileAt(i2), TileAt(i3)};
    IRenderer* renderer = Renderer();
    if (!tiles[0] || !tiles[1] || !tiles[2] || !tiles[3] || !renderer)
        return;
    for (int unit = 0; unit < 4; ++unit)
        renderer->SetTexture(unit, tiles[unit]->GetSheet());
    renderer->DrawFloorTile(std::trunc(x), std::trunc(y), TilePixels(column), TilePixels(tiles[0]->GetRow()),
                            TilePixels(tiles[1]->GetRow()), TilePixels(tiles[2]->GetRow()),
                            TilePixels(tiles[3]->GetRow()), false, blendFlags);
}

void ResourceManager::DrawTileAt(int i, float x, float y, bool)
{
    IRenderer* renderer = Renderer();
    if (!TileAt(i) || !renderer)
        return;
    // Draws what unit 0 holds: the tile itself is only checked.
    renderer->DrawFloorTile(std::trunc(x) - 16.0f, std::trunc(y) - 16.0f, 0, 0, 0, 0, 0, true, 0);
}

void ResourceManager::DrawTileTinted(int i, float x, float y, int column, int dx, int dy)
{
    BlockResource* tile = TileAt(i);
    IRenderer* renderer = Renderer();
    if (!tile || !renderer)
        return;
    renderer->SetTexture(0, tile->GetSheet());
    renderer->DrawFloorTileDetail(std::trunc(x), std::trunc(y), TilePixels(column), TilePixels(tile->GetRow()), dx, dy);
}

void ResourceManager::PrepareTileTexture(int i, int)
{
    BlockResource* tile = TileAt(i);
    IRenderer* renderer = Renderer();
    if (!tile || !renderer)
        return;
    renderer->BindTexture(0, tile->GetSheet());
}

ITexture* ResourceManager::ReadTilePixels(int i, int column, Quad* quad)
{
    BlockResource* tile = TileAt(i);
    if (!tile || !quad || !tile->RowInSheet())
        return nullptr;
    const int size = kTileSize;
    tile->GetSheet()->GetTexCoords(TilePixels(column), TilePixels(tile->GetRow()), TilePixels(column, size),
                                   TilePixels(tile->GetRow(), size), &quad->texLeft, &quad->texTop, &quad->texRight,
                                   &quad->texBottom);
    return tile->GetSheet();
}

bool ResourceManager::ReadTilePixelsPart(int i0, int i1, int i2, int column, float* out0, float* out1, float* out2)
{
    BlockResource* tiles[3] = {TileAt(i0), TileAt(i1), TileAt(i2)};
    float* outs[3] = {out0, out1, out2};
    for (int k = 0; k < 3; ++k)
        if (!tiles[k] || !outs[k] || !tiles[k]->RowInSheet())
            return false;
    const int size = kTileSize;
    for (int k = 0; k < 3; ++k) {
        const int row = tiles[k]->GetRow();
        float* o = outs[k];
        tiles[k]->GetSheet()->GetTexCoords(TilePixels(column), TilePixels(row), TilePixels(column, size),
                                           TilePixels(row, size), &o[0], &o[1], &o[2], &o[3]);
    }
    return true;
}

void ResourceScript::SetEditMode(bool on) { editMode_ = on; }

void ResourceScript::ShowReport(const std::string& text)
{
    Ui::ShowMessage(u"Error!", Util::Widen(text.data(), text.size()).c_str(), Ui::Icon::Error);
}

void ResourceScript::RequireSheet(const ITexture* sheet, const std::string& fileName)
{
    if (!sheet)
        Fail("File \"" + fileName + "\" not found");
}

void ResourceScript::SetSoundDelay(SoundResource* sound, double delay) { sound->SetVolume(float(delay)); }
