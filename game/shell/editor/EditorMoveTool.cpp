#include "game/shell/editor/EditorUI.h"

#include "game/shell/editor/EditorCamera.h"
#include "game/shell/editor/EditorPlacement.h"
#include "game/shell/editor/IEditorView.h"
#include "game/world/map/Light.h"
#include "game/world/objects/Object.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr float kLightPick = 6.0f;
constexpr float kMinLight = 32.0f;
constexpr float kMaxLight = 1024.0f;
constexpr float kCloneOffset = 50.0f;

float WrapDegrees(float degrees)
{
    float a = std::fmod(degrees, 360.0f);
    if (a < 0.0f)
        a += 360.0f;
    return a >= 360.0f ? 0.0f : a;
}

} // namespace

bool EditorUI::MoveToolHover()
{
    std::vector<int32_t> before;
    for (EditorObjectEntry& e : objects_) {
        before.push_back(e.state);
        if (e.state == EditorObjectEntry::Hovered)
            e.state = EditorObjectEntry::None;
    }
    const float cx = CursorX(), cy = CursorY();
    auto contains = [&](const EditorObjectEntry& e) { return e.object && e.object->ContainsPoint(cx, cy); };
    auto selected = std::find_if(objects_.begin(), objects_.end(),
                                 [](const EditorObjectEntry& e) { return e.state == EditorObjectEntry::Selected; });
    // After the selected entry first, then before it: repeated clicks walk
    // through the objects stacked under the cursor.
    auto found = objects_.end();
    if (selected != objects_.end())
        found = std::find_if(std::next(selected), objects_.end(), contains);
    if (found == objects_.end())
        found = std::find_if(objects_.begin(), selected, contains);
    if (found != objects_.end() && found->state == EditorObjectEntry::None)
        found->state = EditorObjectEntry::Hovered;
    size_t i = 0;
    for (const EditorObjectEntry& e : objects_)
        if (before[i++] != e.state)
            return true;
    return false;
}

bool EditorUI::MoveToolPress()
{
    for (EditorLightEntry& l : lights_)
        l.selected = false;
    const float camX = camera_ ? camera_->x : 0.0f, camY = camera_ ? camera_->y : 0.0f;
    for (EditorLightEntry& l : lights_) {
        if (std::fabs(l.light->GetX() - camX - float(mouseX_)) < kLightPick &&
            std::fabs(l.light->GetY() - camY - float(mouseY_)) < kLightPick) {
            l.selected = true;
            for (EditorObjectEntry& e : objects_)
                e.state = EditorObjectEntry::None;
            return true;
        }
    }
    auto hovered = std::find_if(objects_.begin(), objects_.end(),
                                [](const EditorObjectEntry& e) { return e.state == EditorObjectEntry::Hovered; });
    if (hovered != objects_.end()) {
        for (EditorObjectEntry& e : objects_)
            if (e.state == EditorObjectEntry::Selected)
                e.state = EditorObjectEntry::None;
        hovered->state = EditorObjectEntry::Selected;
    }
    const float cx = CursorX(), cy = CursorY();
    for (EditorObjectEntry& e : objects_) {
        if (e.state != EditorObjectEntry::Selected)
            continue;
        if (!e.object || !e.object->ContainsPoint(cx, cy)) {
            e.state = EditorObjectEntry::None;
            continue;
        }
        moveOffsetX_ = int(e.x - cx);
        moveOffsetY_ = int(e.y - cy);
    }
    return true;
}

bool EditorUI::MoveToolDrag(IEditorView* view)
{
    const float cx = CursorX(), cy = CursorY();
    for (EditorObjectEntry& e : objects_) {
        if (e.state != EditorObjectEntry::Selected)
            continue;
        if (leftDown_) {
            e.x = cx + float(moveOffsetX_);
            e.y = cy + float(moveOffsetY_);
        } else if (rightDown_) {
            e.angle = WrapDegrees(e.angle + float(anchorX_ - mouseX_));
            if (e.object)
                e.object->SetAngle(e.angle);
        }
        EditorPlacement::SnapEntry(e);
    }
    for (EditorLightEntry& l : lights_)
        if (l.selected)
            l.light->SetPosition(cx, cy);
    if (rightDown_) {
        WarpCursor(view, anchorX_, anchorY_);
        mouseX_ = anchorX_;
        mouseY_ = anchorY_;
    }
    return true;
}

bool EditorUI::MoveToolRightPress(IEditorView* view)
{
    const bool lightSelected =
        std::any_of(lights_.begin(), lights_.end(), [](const EditorLightEntry& l) { return l.selected; });
    if (lightSelected) {
        rightDown_ = false;
        view->ShowObjectMenu(mouseX_, mouseY_);
        return false;
    }
    view->CaptureMouse();
    anchorX_ = mouseX_;
    anchorY_ = mouseY_;
    return true;
}

bool EditorUI::RotateSelected(int step)
{
    bool any = false;
    for (EditorObjectEntry& e : objects_) {
        if (e.state != EditorObjectEntry::Selected)
            continue;
        e.angle = WrapDegrees(std::trunc(e.angle / 45.0f) * 45.0f + float(step));
        if (e.object)
            e.object->SetAngle(e.angle);
        any = true;
    }
    return any;
}

bool EditorUI::DeleteSelected()
{
    auto selected = std::find_if(objects_.begin(), objects_.end(),
                                 [](const EditorObjectEntry& e) { return e.state == EditorObjectEntry::Selected; });
    if (selected != objects_.end()) {
        EditorPlacement::DestroyObject(selected->object);
        objects_.erase(selected);
        return true;
    }
    bool any = false;
    for (auto it = lights_.begin(); it != lights_.end();) {
        if (!it->selected) {
            ++it;
            continue;
        }
        delete it->light;
        it = lights_.erase(it);
        any = true;
    }
    return any;
}

bool EditorUI::CloneSelectedLight()
{
    auto selected = std::find_if(lights_.begin(), lights_.end(), [](const EditorLightEntry& l) { return l.selected; });
    if (selected == lights_.end())
        return false;
    Light* from = selected->light;
    auto* copy = static_cast<Light*>(CreateLight(from->GetX() + kCloneOffset, from->GetY()));
    if (!copy)
        return false;
    copy->SetSize(from->GetSize());
    copy->SetAngle(from->GetAngle());
    copy->SetType(from->GetType());
    copy->SetPower(from->GetPower());
    float r, g, b;
    from->GetColor(&r, &g, &b);
    copy->SetColor(r, g, b);
    lights_.push_back({copy, false});
    return true;
}

bool EditorUI::ResizeSelectedLights(float step)
{
    bool any = false;
    for (EditorLightEntry& l : lights_)
        if (l.selected) {
            l.light->SetSize(std::clamp(l.light->GetSize() + step, kMinLight, kMaxLight));
            any = true;
        }
    return any;
}
