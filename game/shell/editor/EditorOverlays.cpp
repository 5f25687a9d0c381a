#include "game/shell/editor/EditorUI.h"

#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "game/shell/client/Game.h"
#include "game/shell/editor/EditorCamera.h"
#include "game/shell/editor/EditorPlacement.h"
#include "game/world/geometry/Quad.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"
#include "game/world/objects/Object.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ResourceClass.h"

#include <algorithm>
#include <cmath>

namespace {

struct Rgb {
    int r, g, b;
};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kAreaYellow{255, 234, 1};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kGreen{0, 255, 0};

void Circle(IRenderer* r, float cx, float cy, float radius, Rgb c)
{
    const int segments = 50;
    const float step = 6.28f / float(segments);
    for (int i = 0; i < segments; ++i) {
        const float a0 = step * float(i), a1 = step * float(i + 1);
        r->DrawLine(cx + std::cos(a0) * radius, cy + std::sin(a0) * radius, cx + std::cos(a1) * radius,
                    cy + std::sin(a1) * radius, c.r, c.g, c.b);
    }
}

void Rect(IRenderer* r, float x0, float y0, float x1, float y1, Rgb c)
{
    r->DrawRect(int(x0), int(y0), int(x1), int(y1), c.r, c.g, c.b);
}

// Two 20-pixel strokes crossing at the point.
void Cross(IRenderer* r, float x, float y, Rgb c)
{
    r->DrawLine(x - 10.0f, y, x + 10.0f, y, c.r, c.g, c.b);
    r->DrawLine(x, y - 10.0f, x, y + 10.0f, c.r, c.g, c.b);
}

// A light's mark: strokes 2 to 6 pixels from its centre, two pixels wide.
void LightMark(IRenderer* r, float x, float y, Rgb c)
{
    for (float w = 0.0f; w <= 1.0f; w += 1.0f) {
        r->DrawLine(x - 6.0f, y + w, x - 2.0f, y + w, c.r, c.g, c.b);
        r->DrawLine(x + 2.0f, y + w, x + 6.0f, y + w, c.r, c.g, c.b);
        r->DrawLine(x + w, y - 6.0f, x + w, y - 2.0f, c.r, c.g, c.b);
        r->DrawLine(x + w, y + 2.0f, x + w, y + 6.0f, c.r, c.g, c.b);
    }
}

} // namespace

void EditorUI::DrawOverlays(IRenderer* renderer, int screenWidth, int screenHeight)
{
    World* world = game_->GetWorld();
    if (!renderer || !world)
        return;
    const float camX = camera_ ? camera_->x : 0.0f, camY = camera_ ? camera_->y : 0.0f;
    const float w = float(screenWidth), h = float(screenHeight);

    if (tool_ == LightAreaTool)
        for (int i = 0; i < world->GetLightBoxCount(); ++i) {
            World::LightBox* box = world->GetLightBox(i);
            const float x0 = box->x0 - camX, y0 = box->y0 - camY, x1 = box->x1 - camX, y1 = box->y1 - camY;
            if (x1 < 0.0f || y1 < 0.0f || x0 > w || y0 > h)
                continue;
            const bool atStart = !lightAreaDrag_ && box->Contains(float(areaStartX_), float(areaStartY_));
            Rect(renderer, x0, y0, x1, y1, atStart ? kRed : kAreaYellow);
        }
    if (tool_ == LightTool && previewX_ >= 0.0f && previewY_ >= 0.0f)
        Circle(renderer, previewX_ - camX, previewY_ - camY, newLightSize_ * 0.5f, kYellow);

    for (const EditorObjectEntry& e : objects_)
        if (e.object)
            e.object->DrawEditorMarker(e.state);
    for (const EditorLightEntry& l : lights_) {
        const float x = l.light->GetX() - camX, y = l.light->GetY() - camY, half = l.light->GetSize() * 0.5f;
        if (x - 6.0f < -half || x - 6.0f > w + half || y - 6.0f < -half || y - 6.0f > h + half)
            continue;
        Circle(renderer, x, y, half, kYellow);
        LightMark(renderer, x, y, l.selected ? kRed : kBlue);
    }

    if ((tool_ == BlockBrush || tool_ == FillTool) && hoverX_ >= 0 && hoverY_ >= 0) {
        const float side = float(kTileSize * (tool_ == BlockBrush ? brushSize_ : 1));
        const float x = float(hoverX_) - camX, y = float(hoverY_) - camY;
        Rect(renderer, x, y, x + side, y + side, kGreen);
    }
    if (tool_ == LightAreaTool && areaStartX_ >= 0 && areaStartY_ >= 0) {
        const float sx = float(areaStartX_) - camX, sy = float(areaStartY_) - camY;
        Cross(renderer, sx, sy, kBlue);
        if (lightAreaDrag_) {
            const float ex = float(areaEndX_) - camX, ey = float(areaEndY_) - camY;
            Cross(renderer, ex, ey, kBlue);
            Rect(renderer, std::min(sx, ex), std::min(sy, ey), std::max(sx, ex), std::max(sy, ey), kBlue);
        }
    }

    IResource* resource = game_->GetCurrentResource();
    const bool block =
        resource && (resource->GetClassId() == ResourceClass::Floor || resource->GetClassId() == ResourceClass::Wall);
    ITexture* image = resource && !block ? resource->GetImage() : nullptr;
    if (tool_ == ObjectTool && image && previewX_ >= 0.0f && previewY_ >= 0.0f) {
        Quad quad;
        quad.SetFromTexture(image);
        quad.Rotate(float(image->GetWidth()) * 0.5f, float(image->GetHeight()) * 0.5f, float(objectAngle_));
        quad.Translate(EditorPlacement::Snap8(previewX_) - camX, EditorPlacement::Snap8(previewY_) - camY);
        renderer->SetTexture(0, image);
        renderer->SetAlphaBlend();
        renderer->DrawScreenQuad(&quad, false, 1.0f);
    }

    // Where a running line or rectangle fill will paint.
    IResourceManager* resources = world->GetResources();
    if ((lineDrag_ || rectDrag_) && block && resources) {
        const int index = SelectedBlock();
        const bool wall = resource->GetClassId() == ResourceClass::Wall;
        const int x0 = std::min(dragStartX_, dragEndX_), x1 = std::max(dragStartX_, dragEndX_);
        const int y0 = std::min(dragStartY_, dragEndY_), y1 = std::max(dragStartY_, dragEndY_);
        const bool horizontal = x1 - x0 > y1 - y0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const bool onLine = horizontal ? y == y0 : x == x0;
                if (!rectDrag_ && !onLine)
                    continue;
                const float px = float(x * kTileSize) - camX, py = float(y * kTileSize) - camY;
                if (wall)
                    resources->DrawTileTinted(index, px, py, 0, 0, 0);
                else
                    resources->DrawTileQuad(index, index, index, index, px, py, 0, 0);
            }
    }
}
