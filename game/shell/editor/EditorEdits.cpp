#include "game/shell/editor/EditorUI.h"

#include "game/shell/client/Game.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"

#include <cstring>

namespace {

// FNV-1a over the fields in order: any move, turn, resize, recolour,
// addition or removal gives another number.
class Digest {
public:
    void Add(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Add(uint64_t(bits));
    }
    void Add(uint64_t v)
    {
        for (int i = 0; i < 8; ++i) {
            hash_ ^= (v >> (8 * i)) & 0xff;
            hash_ *= 1099511628211ull;
        }
    }
    uint64_t Value() const { return hash_; }

private:
    uint64_t hash_ = 14695981039346656037ull;
};

} // namespace

bool EditorUI::TakeLevelEdit()
{
    const bool edited = levelEdited_;
    levelEdited_ = false;
    return edited;
}

uint64_t EditorUI::PlacedDigest() const
{
    Digest d;
    d.Add(uint64_t(objects_.size()));
    for (const EditorObjectEntry& e : objects_) {
        d.Add(uint64_t(uint32_t(e.definitionId)));
        d.Add(e.x);
        d.Add(e.y);
        d.Add(e.angle);
    }
    d.Add(uint64_t(lights_.size()));
    for (const EditorLightEntry& e : lights_) {
        Light* l = e.light;
        float r, g, b;
        l->GetColor(&r, &g, &b);
        for (float v : {l->GetX(), l->GetY(), l->GetAngle(), l->GetSize(), l->GetPower(), r, g, b})
            d.Add(v);
        d.Add(uint64_t(uint32_t(l->GetType())));
    }
    if (const World* world = game_->GetWorld()) {
        d.Add(uint64_t(world->GetLightBoxCount()));
        for (int i = 0; i < world->GetLightBoxCount(); ++i) {
            const World::LightBox* box = world->GetLightBox(i);
            for (float v : {box->x0, box->y0, box->x1, box->y1, box->intensity, box->red, box->green, box->blue})
                d.Add(v);
        }
    }
    return d.Value();
}

void EditorUI::PutTile(World* world, int x, int y, int block, int variant)
{
    const uint32_t before = world->GetCell(x, y);
    world->SetTileVariant(x, y, block, variant);
    if (world->GetCell(x, y) != before)
        levelEdited_ = true;
}

void EditorUI::FillWorld(World* world, int x, int y, int block, bool outline)
{
    // The world's changed flag belongs to the minimap: it is kept as it was
    // unless this fill sets it.
    const bool wasChanged = world->IsChanged();
    world->SetChanged(false);
    if (outline)
        world->PaintRegionOutline(x, y, block);
    else
        world->FillRegion(x, y, block);
    if (world->IsChanged())
        levelEdited_ = true;
    world->SetChanged(wasChanged || world->IsChanged());
}
