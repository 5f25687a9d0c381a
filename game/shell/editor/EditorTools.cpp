#include "game/shell/editor/EditorUI.h"

#include "game/shell/client/Game.h"
#include "game/shell/editor/EditorKeys.h"
#include "game/shell/editor/EditorPlacement.h"
#include "game/shell/editor/IEditorView.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/ResourceClass.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kScatterStep = 32.0f;
constexpr float kLightSizeStep = 10.0f;
constexpr float kMinNewLight = 16.0f;
constexpr float kMaxLight = 1024.0f;

bool IsBlockClass(IResource* resource)
{
    const int cls = resource->GetClassId();
    return cls == ResourceClass::Floor || cls == ResourceClass::Wall;
}

int FloorToTile(float v) { return int(std::floor(v / kTileSize)) * kTileSize; }

// The nearest multiple of the tile size; more than half a tile rounds up.
int RoundToTile(float v)
{
    const int whole = int(std::floor(v));
    int q = whole >= 0 ? whole / kTileSize : -((-whole + kTileSize - 1) / kTileSize);
    if (whole - q * kTileSize > kTileSize / 2)
        ++q;
    return q * kTileSize;
}

} // namespace

// ---- tool selection ------------------------------------------------------------

void EditorUI::ChangeTool(int tool)
{
    const int previous = tool_;
    tool_ = tool;
    if (tool != ObjectTool)
        objectBrush_.Clear();
    if (tool != ScatterBrush)
        scatter_.Clear();
    previewX_ = previewY_ = -1.0f;
    const bool keepsHover = tool == BlockBrush || (tool == PanTool && previous != BlockBrush);
    if (!keepsHover)
        hoverX_ = hoverY_ = -1;
    if (tool == LightAreaTool || tool == ScatterBrush || tool == FillTool)
        areaStartX_ = areaStartY_ = -1;
}

bool EditorUI::SelectPanTool() { return ChangeTool(PanTool), true; }
bool EditorUI::SelectBlockBrush() { return ChangeTool(BlockBrush), true; }

bool EditorUI::SelectBlockTool()
{
    // A palette pick keeps the fill tool, which paints with the pick too.
    if (tool_ != FillTool)
        return SelectBlockBrush();
    objectBrush_.Clear();
    scatter_.Clear();
    return true;
}

bool EditorUI::SelectObjectTool() { return ChangeTool(ObjectTool), true; }
bool EditorUI::SelectMoveTool() { return ChangeTool(MoveTool), true; }
bool EditorUI::SelectLightAreaTool() { return ChangeTool(LightAreaTool), true; }
bool EditorUI::SelectScatterBrush() { return ChangeTool(ScatterBrush), true; }
bool EditorUI::SelectFillTool() { return ChangeTool(FillTool), true; }
bool EditorUI::SelectLightTool() { return ChangeTool(LightTool), true; }

void EditorUI::SetScatterOptions(bool angleJitter, int radius, int count, int range)
{
    scatter_.SetOptions(angleJitter, radius, count, range);
}

// ---- the palette's pick ----------------------------------------------------------

bool EditorUI::SelectedIsBlock()
{
    IResource* resource = game_->GetCurrentResource();
    return resource && game_->GetCurrentPosition() >= 0 && IsBlockClass(resource);
}

bool EditorUI::SelectedIsNonBlock()
{
    IResource* resource = game_->GetCurrentResource();
    return resource && !IsBlockClass(resource);
}

int EditorUI::SelectedBlock() { return SelectedIsBlock() ? game_->GetCurrentPosition() : -1; }

void EditorUI::UpdateHoverCell()
{
    hoverX_ = FloorToTile(CursorX());
    hoverY_ = FloorToTile(CursorY());
}

// ---- blocks ------------------------------------------------------------------------

bool EditorUI::PaintAt(int tileX, int tileY, int variant)
{
    World* world = game_->GetWorld();
    if (!world || (tileX == lastPaintedX_ && tileY == lastPaintedY_) || !SelectedIsBlock())
        return false;
    const int block = SelectedBlock();
    for (int y = tileY; y < tileY + brushSize_; ++y)
        for (int x = tileX; x < tileX + brushSize_; ++x)
            PutTile(world, x, y, block, variant);
    lastPaintedX_ = tileX;
    lastPaintedY_ = tileY;
    return true;
}

void EditorUI::EraseBrushSquare()
{
    World* world = game_->GetWorld();
    const int tileX = hoverX_ / kTileSize, tileY = hoverY_ / kTileSize;
    for (int y = tileY; world && y < tileY + brushSize_; ++y)
        for (int x = tileX; x < tileX + brushSize_; ++x)
            PutTile(world, x, y, -1, -1);
}

void EditorUI::ApplyLineOrRect()
{
    World* world = game_->GetWorld();
    const bool line = lineDrag_, rect = rectDrag_;
    lineDrag_ = rectDrag_ = false;
    // An object picked in the palette is no block: painting its index
    // would turn the cells into walls of a picture that is none.
    if (!world || SelectedIsNonBlock())
        return;
    const int block = SelectedBlock();
    const int x0 = std::min(dragStartX_, dragEndX_), x1 = std::max(dragStartX_, dragEndX_);
    const int y0 = std::min(dragStartY_, dragEndY_), y1 = std::max(dragStartY_, dragEndY_);
    if (line) {
        const bool horizontal = x1 - x0 > y1 - y0;
        const int from = horizontal ? x0 : y0, to = horizontal ? x1 : y1;
        for (int i = 0; i <= to - from; ++i)
            if (!rHeld_ || i % 3 == 0)
                PutTile(world, horizontal ? from + i : x0, horizontal ? y0 : from + i, block, -1);
    }
    if (rect)
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                PutTile(world, x, y, block, -1);
}

// ---- objects and lights ----------------------------------------------------------

bool EditorUI::ObjectToolMove()
{
    if (!yHeld_)
        previewX_ = CursorX();
    if (!xHeld_)
        previewY_ = CursorY();
    IResource* resource = game_->GetCurrentResource();
    if (resource && !IsBlockClass(resource)) {
        if (resource->GetId() != objectBrush_.GetCurrentId())
            objectBrush_.ShowSingle(resource->GetId(), previewX_, previewY_);
        objectBrush_.MoveTo(previewX_, previewY_);
        objectBrush_.Turn(float(objectAngle_));
    }
    return true;
}

bool EditorUI::ScatterMove()
{
    scatterX_ = CursorX();
    scatterY_ = CursorY();
    if (leftDown_ && std::hypot(scatterX_ - lastScatterX_, scatterY_ - lastScatterY_) > kScatterStep) {
        scatter_.Commit(objects_);
        lastScatterX_ = scatterX_;
        lastScatterY_ = scatterY_;
    }
    scatter_.Generate(scatterX_, scatterY_);
    scatter_.MoveTo(scatterX_, scatterY_);
    return true;
}

void EditorUI::PlaceNewLight()
{
    auto* light = static_cast<Light*>(CreateLight(CursorX(), CursorY()));
    if (!light)
        return;
    light->SetSize(newLightSize_);
    light->SetPosition(EditorPlacement::Snap8(light->GetX()), EditorPlacement::Snap8(light->GetY()));
    lights_.push_back({light, false});
}

// ---- light areas -------------------------------------------------------------------

bool EditorUI::LightAreaMove()
{
    const int x = RoundToTile(CursorX()), y = RoundToTile(CursorY());
    if (lightAreaDrag_)
        areaEndX_ = x, areaEndY_ = y;
    else
        areaStartX_ = x, areaStartY_ = y;
    return true;
}

bool EditorUI::LightAreaRelease()
{
    World* world = game_->GetWorld();
    if (!lightAreaDrag_ || !world)
        return false;
    if (areaStartX_ != areaEndX_ && areaStartY_ != areaEndY_) {
        auto* box =
            new World::LightBox(float(std::min(areaStartX_, areaEndX_)), float(std::min(areaStartY_, areaEndY_)),
                                float(std::max(areaStartX_, areaEndX_)), float(std::max(areaStartY_, areaEndY_)));
        world->AddLightBox(box);
        world->SetLightBoxBits(box);
    }
    areaStartX_ = areaEndX_;
    areaStartY_ = areaEndY_;
    lightAreaDrag_ = false;
    return true;
}

void EditorUI::DeleteLightAreasAtStart()
{
    World* world = game_->GetWorld();
    if (!world)
        return;
    for (int i = world->GetLightBoxCount() - 1; i >= 0; --i) {
        World::LightBox* box = world->GetLightBox(i);
        if (box->Contains(float(areaStartX_), float(areaStartY_))) {
            world->ClearLightBoxBits(box);
            world->DeleteLightBox(box);
        }
    }
    // Cells shared with a box that stays keep its mark.
    for (int i = 0; i < world->GetLightBoxCount(); ++i)
        world->SetLightBoxBits(world->GetLightBox(i));
}

// ---- per-tool input ------------------------------------------------------------------

bool EditorUI::ToolMove(IEditorView* view)
{
    switch (tool_) {
    case BlockBrush:
        if (SelectedIsNonBlock())
            return false;
        UpdateHoverCell();
        if (leftDown_ || heldVariant_ >= 0)
            return PaintAt(hoverX_ / kTileSize, hoverY_ / kTileSize, heldVariant_);
        if (rightDown_)
            EraseBrushSquare();
        return true;
    case FillTool:
        if (SelectedIsNonBlock())
            return false;
        UpdateHoverCell();
        return true;
    case ObjectTool:
        return ObjectToolMove();
    case MoveTool:
        return (leftDown_ || rightDown_) ? MoveToolDrag(view) : MoveToolHover();
    case LightAreaTool:
        return LightAreaMove();
    case ScatterBrush:
        return ScatterMove();
    case LightTool:
        previewX_ = CursorX();
        previewY_ = CursorY();
        return true;
    default:
        return false;
    }
}

bool EditorUI::ToolLeftDown(IEditorView* view)
{
    World* world = game_->GetWorld();
    switch (tool_) {
    case BlockBrush:
        if (!PaintAt(hoverX_ / kTileSize, hoverY_ / kTileSize, -1))
            return false;
        view->CaptureMouse();
        return true;
    case FillTool:
        if (!world || !SelectedIsBlock())
            return false;
        FillWorld(world, hoverX_ / kTileSize, hoverY_ / kTileSize, SelectedBlock(), false);
        return true;
    case ObjectTool:
        objectBrush_.Commit(objects_);
        return true;
    case MoveTool:
        return MoveToolPress();
    case LightAreaTool:
        lightAreaDrag_ = true;
        return false;
    case ScatterBrush:
        scatter_.Commit(objects_);
        scatter_.Generate(scatterX_, scatterY_);
        scatter_.MoveTo(scatterX_, scatterY_);
        lastScatterX_ = scatterX_;
        lastScatterY_ = scatterY_;
        view->CaptureMouse();
        return true;
    case LightTool:
        PlaceNewLight();
        return true;
    default:
        return false;
    }
}

bool EditorUI::ToolLeftUp(IEditorView* view)
{
    switch (tool_) {
    case BlockBrush:
    case ScatterBrush:
        view->ReleaseMouse();
        return false;
    case LightAreaTool:
        return LightAreaRelease();
    default:
        return false;
    }
}

bool EditorUI::ToolRightDown(IEditorView* view)
{
    switch (tool_) {
    case BlockBrush:
        if (SelectedIsNonBlock())
            return false;
        EraseBrushSquare();
        view->CaptureMouse();
        return true;
    case MoveTool:
        return MoveToolRightPress(view);
    case LightAreaTool:
        rightDown_ = false;
        view->ShowLightAreaMenu(mouseX_, mouseY_);
        return false;
    default:
        return false;
    }
}

bool EditorUI::ToolKeyDown(IEditorView* view, unsigned key)
{
    using namespace EditorKeys;
    (void)view;
    if (key == Shift) {
        shiftHeld_ = true;
        return false;
    }
    if (key == Letter('X') || key == Letter('Y')) {
        (key == Letter('X') ? xHeld_ : yHeld_) = true;
        return false;
    }
    if (key == Letter('R')) {
        rHeld_ = true;
        if (tool_ != ScatterBrush)
            return false;
        scatter_.Clear();
        scatter_.Generate(scatterX_, scatterY_);
        scatter_.MoveTo(scatterX_, scatterY_);
        return true;
    }
    if (!ctrlHeld_) {
        static const struct {
            char letter;
            int tool;
        } kToolKeys[] = {{'P', PanTool},       {'B', BlockBrush},   {'O', ObjectTool}, {'V', MoveTool},
                         {'A', LightAreaTool}, {'S', ScatterBrush}, {'F', FillTool},   {'L', LightTool}};
        for (const auto& k : kToolKeys)
            if (key == Letter(k.letter)) {
                ChangeTool(k.tool);
                return true;
            }
    }
    if (key >= Digit(1) && key <= Digit(4)) {
        if (tool_ != BlockBrush || panDrag_ || lineDrag_ || rectDrag_ || heldVariant_ >= 0)
            return false;
        heldVariant_ = int(key - Digit(1));
        heldVariantKey_ = key;
        lastPaintedX_ = lastPaintedY_ = -1;
        return PaintAt(hoverX_ / kTileSize, hoverY_ / kTileSize, heldVariant_);
    }
    if (key == Left || key == Right) {
        const int step = key == Left ? -45 : 45;
        bool changed = false;
        if (tool_ == ObjectTool) {
            objectAngle_ = ((objectAngle_ + step) % 360 + 360) % 360;
            objectBrush_.Turn(float(objectAngle_));
            changed = true;
        }
        return RotateSelected(step) || changed;
    }
    if (key == Delete) {
        if (tool_ == LightAreaTool && !lightAreaDrag_) {
            DeleteLightAreasAtStart();
            return true;
        }
        return tool_ == MoveTool && DeleteSelected();
    }
    if (key == Clone)
        return tool_ == MoveTool && CloneSelectedLight();
    if (IsPlus(key) || IsMinus(key)) {
        const int sign = IsPlus(key) ? 1 : -1;
        switch (tool_) {
        case MoveTool:
            return ResizeSelectedLights(float(sign) * kLightSizeStep);
        case LightTool:
            newLightSize_ = std::clamp(newLightSize_ + float(sign) * kLightSizeStep, kMinNewLight, kMaxLight);
            return true;
        case BlockBrush:
            brushSize_ = std::clamp(brushSize_ + sign, 1, kMaxBrushSize);
            return true;
        default:
            return false;
        }
    }
    return false;
}

bool EditorUI::ToolKeyUp(unsigned key)
{
    using namespace EditorKeys;
    if (key == Shift) {
        shiftHeld_ = false;
        if (!lineDrag_)
            return false;
        ApplyLineOrRect();
        return true;
    }
    if (key == Letter('R'))
        rHeld_ = false;
    else if (key == Letter('X'))
        xHeld_ = false;
    else if (key == Letter('Y'))
        yHeld_ = false;
    if (heldVariant_ >= 0 && key == heldVariantKey_) {
        heldVariant_ = -1;
        heldVariantKey_ = 0;
        return false;
    }
    World* world = game_->GetWorld();
    if (key == Letter('E') && tool_ == FillTool && world && SelectedIsBlock()) {
        FillWorld(world, hoverX_ / kTileSize, hoverY_ / kTileSize, SelectedBlock(), true);
        return true;
    }
    return false;
}
