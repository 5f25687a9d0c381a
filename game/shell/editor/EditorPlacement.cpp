#include "game/shell/editor/EditorPlacement.h"

#include "game/shell/editor/EditorEntries.h"
#include "game/world/objects/Object.h"

#include <cmath>

namespace EditorPlacement {

namespace {
// Far off every map: a window moved here marks no cell.
constexpr float kNowhere = -1.0e9f;
} // namespace

float Snap8(float v) { return v > 0.0f ? std::floor(v / 8.0f) * 8.0f : v; }

void MoveObject(Object* object, float x, float y)
{
    float ox, oy;
    object->GetPosition(&ox, &oy);
    if (ox == x && oy == y)
        return;
    object->MoveTileMark(ox, oy, x, y);
    object->SetPosition(x, y);
}

void Unmark(Object* object)
{
    float ox, oy;
    object->GetPosition(&ox, &oy);
    object->MoveTileMark(ox, oy, kNowhere, kNowhere);
}

void Remark(Object* object)
{
    float ox, oy;
    object->GetPosition(&ox, &oy);
    object->MarkTiles(ox, oy);
}

void DestroyObject(Object* object)
{
    if (!object)
        return;
    Unmark(object);
    delete object;
}

void SnapEntry(EditorObjectEntry& entry)
{
    entry.x = Snap8(entry.x);
    entry.y = Snap8(entry.y);
    if (entry.object)
        MoveObject(entry.object, entry.x, entry.y);
}

} // namespace EditorPlacement
