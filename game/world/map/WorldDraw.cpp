// How the map shows on a client: its meshes, tiles, walls, shadows and
// light boxes. The dedicated server leaves this file out (WorldDedicated.cpp).
#include "game/world/map/World.h"

#include "engine/render/IBlockMesh.h"
#include "engine/render/IRenderer.h"
#include "game/world/geometry/Quad.h"
#include "game/world/resources/IResourceManager.h"

#include <algorithm>
#include <cmath>

namespace {

void TileQuad(Quad* q, int x, int y)
{
    const float px = float(x * kTileSize), py = float(y * kTileSize);
    q->topLeft = {px, py};
    q->topRight = {px + kTileSize, py};
    q->bottomLeft = {px, py + kTileSize};
    q->bottomRight = {px + kTileSize, py + kTileSize};
    q->r = q->g = q->b = q->a = 255;
    q->depth = -1.0f;
}

uint8_t ColorByte(float v)
{
    const float scaled = v * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    return uint8_t(std::min(255.0f, std::trunc(scaled)));
}

} // namespace

ITexture* World::WallAlphaTexture()
{
    if (!wallAlpha_ && resources_)
        wallAlpha_ = resources_->LoadTextureA("world/walls_alpha.png", false, 0);
    return wallAlpha_;
}

bool World::MakeWallQuad(int tx, int ty, Quad* quad, ITexture** texture) const
{
    const uint32_t cell = At(tx, ty);
    TileQuad(quad, tx, ty);
    const int damage = int(cell >> kDamageShift);
    *texture =
        resources_ ? resources_->ReadTilePixels(int(cell & kBlockMask), std::min(damage / 85, 2), quad) : nullptr;
    if (!*texture)
        return false;
    if (cell & kWindow)
        quad->r = quad->g = quad->b = 180;
    int col, row;
    GetWallAlphaCell(tx, ty, &col, &row);
    quad->tex2Left = float(col * kTileSize) / 128.0f;
    quad->tex2Top = float(row * kTileSize) / 128.0f;
    quad->tex2Right = float(col * kTileSize + kTileSize) / 128.0f;
    quad->tex2Bottom = float(row * kTileSize + kTileSize) / 128.0f;
    return true;
}

void World::RefreshWallQuad(int tx, int ty)
{
    if (!wallMesh_ || !InGrid(tx, ty))
        return;
    Quad q;
    ITexture* texture;
    if (MakeWallQuad(tx, ty, &q, &texture))
        wallMesh_->UpdateBlock(&q);
}

void World::BuildMeshes(bool withRenderer)
{
    delete floorMesh_;
    delete wallMesh_;
    floorMesh_ = wallMesh_ = nullptr;
    if (!withRenderer || !renderer_ || !cells_ || !resources_)
        return;
    floorMesh_ = renderer_->CreateBlockMesh(4, width_, height_);
    wallMesh_ = renderer_->CreateBlockMesh(2, width_, height_);
    if (!floorMesh_ || !wallMesh_) {
        delete floorMesh_;
        delete wallMesh_;
        floorMesh_ = wallMesh_ = nullptr;
        return;
    }
    const float zero[4] = {0, 0, 0, 0};
    // Floors and the ground under walls, outside the light boxes.
    auto floorQuad = [&](int x, int y, Quad* q, bool* blend) -> ITexture* {
        const uint32_t cell = At(x, y);
        const int block = int(cell & kBlockMask);
        if (uint32_t(block) == kEmpty)
            return nullptr;
        const bool window = (cell & kWindow) != 0, wall = (cell & kWall) != 0;
        const int column = (wall && !window) ? 3 : int((cell & kVariantMask) >> kVariantShift);
        TileQuad(q, x, y);
        if (window)
            q->r = q->g = q->b = 180;
        *blend = !wall && !window;
        return resources_->ReadTilePixels(block, column, q);
    };
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            if (At(x, y) & kInLightBox)
                continue;
            Quad q;
            bool blend;
            if (!floorQuad(x, y, &q, &blend))
                continue;
            float sets[3][4] = {};
            int flags = 255;
            if (blend) {
                uint32_t nb[3] = {0, 0, 0};
                int found = 0;
                const int block = int(At(x, y) & kBlockMask);
                GetBlendNeighbours(x, y, block, &nb[0], &nb[1], &nb[2], &found);
                if (found) {
                    int idx[3];
                    for (int k = 0; k < 3; ++k)
                        idx[k] = (found & (1 << k)) ? int(nb[k] & kBlockMask) : block;
                    const int column = int((At(x, y) & kVariantMask) >> kVariantShift);
                    if (resources_->ReadTilePixelsPart(idx[0], idx[1], idx[2], column, sets[0], sets[1], sets[2]))
                        flags = found;
                }
            }
            // 255: no neighbour blends in.
            if (flags == 255)
                floorMesh_->SetLayeredBlock(&q, 0, zero, zero, zero, 255);
            else
                floorMesh_->SetLayeredBlock(&q, 0, sets[0], sets[1], sets[2], flags);
        }
    // Light-box cells take the colour of the last box that holds them.
    const float k = AmbientScale();
    for (const auto& box : lightBoxes_) {
        int x0, y0, x1, y1;
        box->GetTileRange(&x0, &y0, &x1, &y1);
        for (int y = std::max(y0, 0); y <= std::min(y1, height_ - 1); ++y)
            for (int x = std::max(x0, 0); x <= std::min(x1, width_ - 1); ++x) {
                if (!(At(x, y) & kInLightBox))
                    continue;
                Quad q;
                bool blend;
                if (!floorQuad(x, y, &q, &blend))
                    continue;
                q.r = ColorByte(box->red * box->intensity * k);
                q.g = ColorByte(box->green * box->intensity * k);
                q.b = ColorByte(box->blue * box->intensity * k);
                q.a = 255;
                floorMesh_->SetLayeredBlock(&q, 0, zero, zero, zero, 255);
            }
    }
    floorMesh_->Build();
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const uint32_t cell = At(x, y);
            if (!(cell & kWall) || (cell & kWindow) || (cell >> kDamageShift) >= 255)
                continue;
            Quad q;
            ITexture* texture;
            if (MakeWallQuad(x, y, &q, &texture))
                wallMesh_->SetBlock(&q, 0);
        }
    wallMesh_->Build();
}

void World::VisibleRange(int* c0, int* r0, int* c1, int* r1) const
{
    const float viewW = renderer_ ? float(renderer_->GetViewWidth()) : 1024.0f;
    const float viewH = renderer_ ? float(renderer_->GetViewHeight()) : 768.0f;
    auto start = [](float cam) { return int(std::trunc(std::max(-1.0e7f, std::min(cam, 1.0e7f)))) / kTileSize; };
    *c0 = start(cameraX_);
    *r0 = start(cameraY_);
    *c1 = int(std::trunc(float(*c0) + viewW * viewScale_ / kTileSize + 2.0f));
    *r1 = int(std::trunc(float(*r0) + viewH * viewScale_ / kTileSize + 2.0f));
    *c0 = std::max(*c0, 0);
    *r0 = std::max(*r0, 0);
    *c1 = std::min(*c1, width_);
    *r1 = std::min(*r1, height_);
}

void World::DrawFloorRange(int c0, int r0, int c1, int r1, bool lightBoxCells, bool keepState)
{
    if (floorMesh_) {
        if (!keepState)
            renderer_->BeginFloorBlend(true);
        renderer_->SetTexture(1, WallAlphaTexture());
        floorMesh_->Bind();
        floorMesh_->DrawRect(c0 * kTileSize, r0 * kTileSize, c1 * kTileSize, r1 * kTileSize);
        floorMesh_->Unbind();
        if (!keepState)
            renderer_->EndFloorBlend();
        return;
    }
    if (!keepState)
        renderer_->BeginFloorBlend(false);
    for (int y = r0; y < r1; ++y)
        for (int x = c0; x < c1; ++x) {
            const uint32_t cell = At(x, y);
            const int block = int(cell & kBlockMask);
            if (uint32_t(block) == kEmpty || (!lightBoxCells && (cell & kInLightBox)))
                continue;
            const bool window = (cell & kWindow) != 0;
            if ((cell & kWall) && !window)
                continue;
            const int column = int((cell & kVariantMask) >> kVariantShift);
            if (window) {
                resources_->DrawTileQuad(block, block, block, block, float(x * kTileSize), float(y * kTileSize), column,
                                         0);
                continue;
            }
            uint32_t nb[3] = {0, 0, 0};
            int flags = 0;
            GetBlendNeighbours(x, y, block, &nb[0], &nb[1], &nb[2], &flags);
            int idx[3];
            for (int k = 0; k < 3; ++k)
                idx[k] = (flags & (1 << k)) ? int(nb[k] & kBlockMask) : block;
            resources_->DrawTileQuad(block, idx[0], idx[1], idx[2], float(x * kTileSize), float(y * kTileSize), column,
                                     flags);
        }
    if (!keepState)
        renderer_->EndFloorBlend();
}

void World::DrawTiles(bool keepState, const float* ambient)
{
    if (!renderer_ || !cells_ || !resources_)
        return;
    int c0, r0, c1, r1;
    VisibleRange(&c0, &r0, &c1, &r1);
    renderer_->SetTranslation(-cameraX_, -cameraY_, 0.0f);
    DrawFloorRange(c0, r0, c1, r1, false, keepState);
    if (!floorMesh_) {
        const float k = AmbientScale();
        for (const auto& box : lightBoxes_) {
            int x0, y0, x1, y1;
            box->GetTileRange(&x0, &y0, &x1, &y1);
            x0 = std::max(x0, c0), y0 = std::max(y0, r0);
            x1 = std::min(x1 + 1, c1), y1 = std::min(y1 + 1, r1);
            if (x0 >= x1 || y0 >= y1)
                continue;
            const float tint = box->intensity * k;
            if (ambient)
                renderer_->SetAmbientColor(ambient[0] * box->red * tint, ambient[1] * box->green * tint,
                                           ambient[2] * box->blue * tint);
            DrawFloorRange(x0, y0, x1, y1, true, true);
        }
        if (ambient)
            renderer_->SetAmbientColor(ambient[0], ambient[1], ambient[2]);
    }
    renderer_->ResetTranslation();
}

void World::DrawWallAlpha()
{
    if (!renderer_ || !cells_ || !resources_)
        return;
    int c0, r0, c1, r1;
    VisibleRange(&c0, &r0, &c1, &r1);
    ITexture* alpha = WallAlphaTexture();
    if (wallMesh_) {
        renderer_->SetTranslation(-cameraX_, -cameraY_, 0.0f);
        renderer_->SetTexture(1, alpha);
        wallMesh_->Bind();
        wallMesh_->DrawRect(c0 * kTileSize, r0 * kTileSize, c1 * kTileSize, r1 * kTileSize);
        wallMesh_->Unbind();
        renderer_->ResetTranslation();
        return;
    }
    renderer_->SetTexture(1, alpha);
    for (int y = r0; y < r1; ++y)
        for (int x = c0; x < c1; ++x) {
            const uint32_t cell = At(x, y);
            if (!IsIntactWall(cell) || (cell & kRubble))
                continue;
            int col, row;
            GetWallAlphaCell(x, y, &col, &row);
            resources_->DrawTileTinted(int(cell & kBlockMask), float(x * kTileSize) - cameraX_,
                                       float(y * kTileSize) - cameraY_, int(cell >> kDamageShift) / 85, col * kTileSize,
                                       row * kTileSize);
        }
}

void World::DrawRubble(ITexture* rubble)
{
    if (!renderer_ || !cells_ || !resources_)
        return;
    int c0, r0, c1, r1;
    VisibleRange(&c0, &r0, &c1, &r1);
    renderer_->SetTranslation(-cameraX_, -cameraY_, 0.0f);
    renderer_->SetLightBlend();
    for (int y = r0; y < r1; ++y)
        for (int x = c0; x < c1; ++x) {
            const uint32_t cell = At(x, y);
            const int block = int(cell & kBlockMask);
            if (uint32_t(block) == kEmpty || !(cell & kRubble))
                continue;
            if (rubble)
                renderer_->SetTexture(0, rubble);
            resources_->DrawTileAt(block, float(x * kTileSize), float(y * kTileSize), true);
            resources_->DrawTileQuad(block, block, block, block, float(x * kTileSize), float(y * kTileSize), 2, 0);
        }
    renderer_->ResetTranslation();
}

void World::DrawLitFloor(float x, float y, float size)
{
    if (!renderer_ || !cells_ || !resources_ || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(size))
        return;
    const float viewW = float(renderer_->GetViewWidth()) * viewScale_;
    const float viewH = float(renderer_->GetViewHeight()) * viewScale_;
    const float h = size / 2.0f;
    if (x + h < cameraX_ || x - h > cameraX_ + viewW || y + h < cameraY_ || y - h > cameraY_ + viewH)
        return;
    const int c0 = std::max(0, int(std::floor((x - h) / kTileSize))),
              c1 = std::min(width_, int(std::ceil((x + h) / kTileSize)));
    const int r0 = std::max(0, int(std::floor((y - h) / kTileSize))),
              r1 = std::min(height_, int(std::ceil((y + h) / kTileSize)));
    renderer_->SetTranslation(-cameraX_, -cameraY_, 0.0f);
    renderer_->SetShadowCaster(0);
    renderer_->BeginWallAlpha();
    if (floorMesh_) {
        floorMesh_->Bind();
        floorMesh_->DrawRect(c0 * kTileSize, r0 * kTileSize, c1 * kTileSize, r1 * kTileSize);
        floorMesh_->Unbind();
    } else {
        for (int ty = r0; ty < r1; ++ty)
            for (int tx = c0; tx < c1; ++tx) {
                const uint32_t cell = At(tx, ty);
                const int block = int(cell & kBlockMask);
                if (uint32_t(block) == kEmpty)
                    continue;
                int column = int((cell & kVariantMask) >> kVariantShift);
                if (cell & kWall) {
                    if ((cell >> kDamageShift) < 255 && !(cell & kWindow))
                        continue;
                    column = (cell & kWindow) ? column : 3;
                }
                resources_->DrawTileQuad(block, block, block, block, float(tx * kTileSize), float(ty * kTileSize),
                                         column, 0);
            }
    }
    renderer_->SetBumpTexture(nullptr);
    renderer_->EndWallAlpha();
    renderer_->ResetTranslation();
}

void World::DrawShadowQuad(float ax, float ay, float bx, float by, float lx, float ly, float size)
{
    const float dax = ax - lx, day = ay - ly, dbx = bx - lx, dby = by - ly;
    const float la = std::sqrt(dax * dax + day * day), lb = std::sqrt(dbx * dbx + dby * dby);
    if (la < 0.01f || lb < 0.01f)
        return;
    const float reach = 50.0f * size;
    Quad q;
    q.topLeft = {ax - cameraX_, ay - cameraY_};
    q.topRight = {ax + reach * dax / la - cameraX_, ay + reach * day / la - cameraY_};
    q.bottomLeft = {bx - cameraX_, by - cameraY_};
    q.bottomRight = {bx + reach * dbx / lb - cameraX_, by + reach * dby / lb - cameraY_};
    renderer_->DrawQuadShape(&q);
}

void World::DrawWallShadows(float lightX, float lightY, float size)
{
    if (!renderer_ || !cells_ || !std::isfinite(lightX) || !std::isfinite(lightY) || !std::isfinite(size))
        return;
    const float reach = std::min(size / 2.0f + 32.0f, float(kMaxSide * kTileSize));
    auto clampTile = [](float v, int hi) {
        return int(std::max(0.0f, std::min(std::floor(v / kTileSize), float(hi))));
    };
    const int c0 = clampTile(lightX - reach, width_ - 1), c1 = clampTile(lightX + reach, width_ - 1);
    const int r0 = clampTile(lightY - reach, height_ - 1), r1 = clampTile(lightY + reach, height_ - 1);
    // Rows: runs of intact walls cast from their top and bottom edges.
    for (int y = r0; y <= r1; ++y) {
        int first = -1, last = -1;
        auto flush = [&]() {
            if (first < 0)
                return;
            const float ax = float(first * kTileSize - 1), bx = float(last * kTileSize + kTileSize);
            const float top = float(y * kTileSize), bottom = float(y * kTileSize + 31);
            if (lightY >= top)
                DrawShadowQuad(ax, top, bx, top, lightX, lightY, size);
            if (lightY <= bottom)
                DrawShadowQuad(ax, bottom, bx, bottom, lightX, lightY, size);
            first = last = -1;
        };
        for (int x = c0; x <= c1; ++x) {
            const uint32_t cell = At(x, y);
            if (IsIntactWall(cell)) {
                if (first < 0)
                    first = x;
                last = x;
            } else if ((cell & kBlockMask) != kEmpty) {
                flush();
            }
        }
        flush();
    }
    for (int x = c0; x <= c1; ++x) {
        int first = -1, last = -1;
        auto flush = [&]() {
            if (first < 0)
                return;
            const float ay = float(first * kTileSize - 1), by = float(last * kTileSize + kTileSize);
            const float left = float(x * kTileSize), right = float(x * kTileSize + 31);
            if (lightX >= left)
                DrawShadowQuad(left, ay, left, by, lightX, lightY, size);
            if (lightX <= right)
                DrawShadowQuad(right, ay, right, by, lightX, lightY, size);
            first = last = -1;
        };
        for (int y = r0; y <= r1; ++y) {
            const uint32_t cell = At(x, y);
            if (IsIntactWall(cell)) {
                if (first < 0)
                    first = y;
                last = y;
            } else if ((cell & kBlockMask) != kEmpty) {
                flush();
            }
        }
        flush();
    }
}

void World::DrawLightBoxes()
{
    if (!renderer_)
        return;
    const float s = viewScale_ != 0.0f ? viewScale_ : 1.0f;
    for (const auto& box : lightBoxes_) {
        const float x0 = box->x0 / s - cameraX_, y0 = box->y0 / s - cameraY_;
        const float x1 = box->x1 / s - cameraX_, y1 = box->y1 / s - cameraY_;
        if (x1 < -50.0f || y1 < -50.0f || x0 > 1074.0f || y0 > 818.0f)
            continue;
        Quad q;
        q.topLeft = {x0, y0};
        q.topRight = {x1, y0};
        q.bottomLeft = {x0, y1};
        q.bottomRight = {x1, y1};
        renderer_->DrawQuadShape(&q);
        // Handles: bands along the top and left edges, kept inside the box
        // so that the game's occluder pass shades the box and nothing else.
        const float bx = std::min(x0 + 50.0f, x1), by = std::min(y0 + 50.0f, y1);
        Quad top = q;
        top.bottomLeft = {bx, by};
        top.bottomRight = {x1, by};
        renderer_->DrawQuadShape(&top);
        Quad left = q;
        left.topRight = {bx, by};
        left.bottomRight = {bx, y1};
        renderer_->DrawQuadShape(&left);
    }
}
