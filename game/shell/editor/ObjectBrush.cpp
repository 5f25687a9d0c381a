#include "game/shell/editor/ObjectBrush.h"

#include "engine/core/Random.h"
#include "game/shell/editor/EditorPlacement.h"
#include "game/world/objects/Object.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/system/ObjectFactory.h"

#include <algorithm>
#include <cmath>

using EditorPlacement::Snap8;

// Previews are world objects: the world deletes them with the level.
ObjectBrush::~ObjectBrush() = default;

void ObjectBrush::SetOptions(bool angleJitter, int radius, int count, int range)
{
    angleJitter_ = angleJitter;
    // A typed count of a million would freeze the editor in Generate.
    radius_ = std::clamp(radius, 0, kMaxRadius);
    count_ = std::clamp(count, 0, kMaxCount);
    range_ = std::clamp(range, 0, kMaxRange);
}

void ObjectBrush::AddClipboardItem(int definitionId) { clipboard_.push_back(definitionId); }

void ObjectBrush::RemoveClipboardItem(int definitionId)
{
    auto it = std::find(clipboard_.begin(), clipboard_.end(), definitionId);
    if (it != clipboard_.end())
        clipboard_.erase(it);
}

void ObjectBrush::Clear()
{
    for (const Preview& p : previews_)
        EditorPlacement::DestroyObject(p.object);
    previews_.clear();
    generated_ = false;
    currentId_ = -1;
}

void ObjectBrush::ShowSingle(int definitionId, float x, float y)
{
    Clear();
    if (Object* object = CreateObjectByType(definitionId, x, y))
        previews_.push_back({object, 0.0f, 0.0f});
    currentId_ = definitionId;
}

void ObjectBrush::Generate(float cx, float cy)
{
    if (generated_)
        return;
    Clear();
    if (clipboard_.empty())
        return;
    for (int pass = 0; pass < count_; ++pass) {
        const int id = clipboard_[size_t(Util::Random()) % clipboard_.size()];
        if (id < 0)
            continue;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            const float a = float(Util::Random() % 360) * 3.1415f / 180.0f;
            const float r = radius_ > 0 ? float(Util::Random() % radius_) : 0.0f;
            const float x = cx + r * std::cos(a), y = cy + r * std::sin(a);
            const bool crowded = std::any_of(previews_.begin(), previews_.end(), [&](const Preview& p) {
                float px, py;
                p.object->GetPosition(&px, &py);
                return std::hypot(px - x, py - y) <= float(range_);
            });
            if (crowded)
                continue;
            Object* object = CreateObjectByType(id, x, y);
            if (!object)
                break;
            previews_.push_back({object, x - cx, y - cy});
            EditorPlacement::MoveObject(object, Snap8(std::trunc(x)), Snap8(std::trunc(y)));
            object->SetAngle(angleJitter_ ? float((Util::Random() % 16) * 45) : 0.0f);
            break;
        }
    }
    generated_ = true;
}

void ObjectBrush::MoveTo(float cx, float cy)
{
    for (const Preview& p : previews_) {
        const float x = std::trunc(p.offsetX + std::trunc(cx)), y = std::trunc(p.offsetY + std::trunc(cy));
        EditorPlacement::MoveObject(p.object, Snap8(x), Snap8(y));
    }
}

void ObjectBrush::Turn(float degrees)
{
    for (const Preview& p : previews_)
        p.object->SetAngle(degrees);
}

bool ObjectBrush::RoomFor(Object* object) const
{
    float x, y;
    object->GetPosition(&x, &y);
    return std::all_of(clipboard_.begin(), clipboard_.end(),
                       [&](int id) { return IsPlaceFreeOfDefinition(x, y, float(range_), id, object); });
}

void ObjectBrush::Commit(std::list<EditorObjectEntry>& placed)
{
    for (const Preview& p : previews_) {
        if (generated_ && !RoomFor(p.object)) {
            EditorPlacement::DestroyObject(p.object);
            continue;
        }
        EditorObjectEntry entry;
        entry.definitionId = p.object->GetDefinitionId();
        p.object->GetPosition(&entry.x, &entry.y);
        entry.angle = p.object->GetAngle();
        entry.object = p.object;
        placed.push_back(entry);
    }
    // Handed over: clearing must not destroy them.
    previews_.clear();
    Clear();
}
