#include "game/world/map/World.h"

#include "engine/core/Random.h"
#include "engine/render/IBlockMesh.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

float Clamp01(float v)
{
    if (!(v > 0.0f)) // NaN too
        return 0.0f;
    return v > 1.0f ? 1.0f : v;
}

int FloorTile(float v) { return int(std::floor(v / kTileSize)); }
int CeilTile(float v) { return int(std::ceil(v / kTileSize)); }

// Pixel to tile as the queries do it: truncation toward zero.
int PixelToTile(int p) { return p / kTileSize; }

} // namespace

void World::LightBox::SetBrightness(float level) { intensity = Clamp01(level); }

void World::LightBox::SetColor(float r, float g, float b)
{
    red = Clamp01(r);
    green = Clamp01(g);
    blue = Clamp01(b);
}

void World::LightBox::GetColor(float* r, float* g, float* b)
{
    if (r)
        *r = red;
    if (g)
        *g = green;
    if (b)
        *b = blue;
}

void World::LightBox::GetTileRange(int* tx0, int* ty0, int* tx1, int* ty1) const
{
    // Boxes are clamped to the map on read; keep the conversion defined for
    // boxes made any other way.
    auto safe = [](float v) { return std::isfinite(v) ? std::max(-1.0e6f, std::min(v, 1.0e6f)) : 0.0f; };
    *tx0 = FloorTile(safe(x0));
    *ty0 = FloorTile(safe(y0));
    *tx1 = CeilTile(safe(x1)) - 1;
    *ty1 = CeilTile(safe(y1)) - 1;
}

World::World(IResourceManager* resources) : resources_(resources)
{
    cells_.reset(new uint32_t[size_t(width_) * size_t(height_)]);
    Clear();
}

World::~World()
{
    delete floorMesh_;
    delete wallMesh_;
}

void World::SetPhysics(PhysEng::PhysicsEngine* physics, IPhysics* enginePhysics)
{
    physics_ = physics;
    enginePhysics_ = enginePhysics;
}

uint32_t World::GetCell(int tx, int ty) const { return InGrid(tx, ty) ? At(tx, ty) : 0; }

void World::SetCell(int tx, int ty, uint32_t cell)
{
    if (InGrid(tx, ty))
        At(tx, ty) = cell;
}

void World::Clear()
{
    changed_ = true;
    compressBlocks_ = false;
    if (!cells_)
        return;
    std::fill(cells_.get(), cells_.get() + CellCount(), kEmpty);
    lightBoxes_.clear();
}

void World::Resize(int w, int h, int dstX, int dstY, int srcX0, int srcY0, int srcX1, int srcY1)
{
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide)
        return;
    std::unique_ptr<uint32_t[]> grown(new uint32_t[size_t(w) * size_t(h)]);
    std::fill(grown.get(), grown.get() + size_t(w) * size_t(h), kEmpty);
    if (cells_) {
        const int x0 = std::max(srcX0, 0), y0 = std::max(srcY0, 0);
        const int x1 = std::min(srcX1, width_ - 1), y1 = std::min(srcY1, height_ - 1);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const long long nx = (long long)x - srcX0 + dstX, ny = (long long)y - srcY0 + dstY;
                if (nx >= 0 && ny >= 0 && nx < w && ny < h)
                    grown[size_t(ny) * size_t(w) + size_t(nx)] = At(x, y);
            }
    }
    cells_ = std::move(grown);
    ForgetWallBodies();
    width_ = w;
    height_ = h;
    changed_ = true;
}

bool World::ReplaceCells(int w, int h, std::vector<uint32_t> cells)
{
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide)
        return false;
    const size_t n = size_t(w) * size_t(h);
    if (!cells.empty() && cells.size() != n)
        return false;
    std::unique_ptr<uint32_t[]> grid(new uint32_t[n]);
    if (cells.empty())
        std::fill(grid.get(), grid.get() + n, kEmpty);
    else
        std::copy(cells.begin(), cells.end(), grid.get());
    cells_ = std::move(grid);
    ForgetWallBodies();
    width_ = w;
    height_ = h;
    changed_ = true;
    return true;
}

void World::GetUsedBounds(int* x0, int* y0, int* x1, int* y1) const
{
    if (!cells_) {
        *x0 = 0, *y0 = 0, *x1 = width_, *y1 = height_;
        return;
    }
    int left = width_, top = height_, right = -1, bottom = -1;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if ((At(x, y) & kBlockMask) != kEmpty) {
                left = std::min(left, x), top = std::min(top, y);
                right = std::max(right, x), bottom = std::max(bottom, y);
            }
    // An unused grid counts as used whole: callers size and copy by this
    // rectangle, and an inverted one would make them negative.
    if (right < 0)
        left = 0, top = 0, right = width_ - 1, bottom = height_ - 1;
    *x0 = left, *y0 = top, *x1 = right, *y1 = bottom;
}

void World::SetTile(int x, int y, int block) { SetTileVariant(x, y, block, -1); }

void World::SetTileVariant(int x, int y, int block, int variant)
{
    changed_ = true;
    if (!InGrid(x, y) || block > int(kEmpty - 1))
        return;
    uint32_t cell;
    if (block < 0) {
        cell = kEmpty;
    } else if (resources_ && resources_->GetClassAt(block) == ResourceClass::Floor) {
        const int v = variant < 0 ? (Util::Random() & 3) : (variant & 3);
        cell = uint32_t(block) | (uint32_t(v) << kVariantShift);
    } else {
        cell = uint32_t(block) | kWall;
    }
    At(x, y) = cell;
    if (IsInLightBox(x, y))
        At(x, y) |= kInLightBox;
}

// Scan-line walk of the 4-connected region of `old` from (x, y) with an
// explicit stack, so large regions cannot exhaust the call stack: flags each
// visited cell (bit 28) and marks the border cells (bit 24).
void World::ScanRegion(int x, int y, uint32_t old)
{
    const uint32_t kVisited = 0x10000000u, kBorder = 0x01000000u;
    auto holds = [&](int cx, int cy) {
        if (!InGrid(cx, cy))
            return false;
        const uint32_t c = At(cx, cy);
        return (c & kBlockMask) == old && !(c & kVisited);
    };
    std::vector<std::pair<int, int>> stack;
    stack.emplace_back(x, y);
    while (!stack.empty()) {
        auto [sx, sy] = stack.back();
        stack.pop_back();
        if (!holds(sx, sy))
            continue;
        int left = sx, right = sx;
        while (holds(left - 1, sy))
            --left;
        while (holds(right + 1, sy))
            ++right;
        for (int cx = left; cx <= right; ++cx) {
            uint32_t& c = At(cx, sy);
            c |= kVisited;
            const int nb[4][2] = {{cx - 1, sy}, {cx + 1, sy}, {cx, sy - 1}, {cx, sy + 1}};
            for (const auto& n : nb)
                if (InGrid(n[0], n[1]) && (At(n[0], n[1]) & kBlockMask) != old)
                    c |= kBorder;
        }
        for (int cx = left; cx <= right; ++cx) {
            if (holds(cx, sy - 1))
                stack.emplace_back(cx, sy - 1);
            if (holds(cx, sy + 1))
                stack.emplace_back(cx, sy + 1);
        }
    }
}

void World::FillRegion(int x, int y, int block)
{
    if (!InGrid(x, y))
        return;
    const uint32_t old = At(x, y) & kBlockMask;
    const uint32_t target = block < 0 ? kEmpty : uint32_t(block);
    if (old == target || block > int(kEmpty - 1))
        return;
    // Walk the region with an explicit stack and paint each cell as it is
    // taken; a painted cell no longer holds `old`, so it is never revisited.
    std::vector<std::pair<int, int>> stack;
    stack.emplace_back(x, y);
    auto holds = [&](int cx, int cy) { return InGrid(cx, cy) && (At(cx, cy) & kBlockMask) == old; };
    while (!stack.empty()) {
        auto [sx, sy] = stack.back();
        stack.pop_back();
        if (!holds(sx, sy))
            continue;
        int left = sx, right = sx;
        while (holds(left - 1, sy))
            --left;
        while (holds(right + 1, sy))
            ++right;
        for (int cx = left; cx <= right; ++cx)
            SetTile(cx, sy, block);
        for (int cx = left; cx <= right; ++cx) {
            if (holds(cx, sy - 1))
                stack.emplace_back(cx, sy - 1);
            if (holds(cx, sy + 1))
                stack.emplace_back(cx, sy + 1);
        }
    }
    changed_ = true;
}

void World::PaintRegionOutline(int x, int y, int block)
{
    if (!InGrid(x, y))
        return;
    const uint32_t damageMask = 0xffu << kDamageShift;
    const int n = CellCount();
    for (int i = 0; i < n; ++i)
        cells_[i] &= ~damageMask;
    ScanRegion(x, y, At(x, y) & kBlockMask);
    for (int ty = 0; ty < height_; ++ty)
        for (int tx = 0; tx < width_; ++tx)
            if (At(tx, ty) & 0x01000000u)
                SetTile(tx, ty, block);
    for (int i = 0; i < n; ++i)
        cells_[i] &= ~damageMask;
    changed_ = true;
}

int World::GetBlockAt(int tx, int ty) const
{
    if (!InGrid(tx, ty))
        return -1;
    const uint32_t block = At(tx, ty) & kBlockMask;
    return block == kEmpty ? -1 : int(block);
}

bool World::IsSolidWallAt(int tx, int ty) const
{
    if (!InGrid(tx, ty))
        return true;
    return IsIntactWall(At(tx, ty));
}

bool World::IsIntactWall(uint32_t cell) const
{
    return (cell & kWall) && !(cell & kWindow) && (cell >> kDamageShift) < 255;
}

bool World::IsInLightBox(int tx, int ty) const
{
    for (const auto& box : lightBoxes_) {
        int x0, y0, x1, y1;
        box->GetTileRange(&x0, &y0, &x1, &y1);
        if (tx >= x0 && tx <= x1 && ty >= y0 && ty <= y1)
            return true;
    }
    return false;
}

World::LightBox* World::GetLightBox(int i) const
{
    return (i >= 0 && i < GetLightBoxCount()) ? lightBoxes_[size_t(i)].get() : nullptr;
}

void World::AddLightBox(LightBox* box)
{
    if (box)
        lightBoxes_.emplace_back(box);
    changed_ = true;
}

bool World::DeleteLightBox(LightBox* box)
{
    for (auto it = lightBoxes_.begin(); it != lightBoxes_.end(); ++it)
        if (it->get() == box) {
            lightBoxes_.erase(it);
            changed_ = true;
            return true;
        }
    return false;
}

void World::SetLightBoxBits(const LightBox* box)
{
    if (!box || !cells_)
        return;
    int x0, y0, x1, y1;
    box->GetTileRange(&x0, &y0, &x1, &y1);
    for (int y = std::max(y0, 0); y <= std::min(y1, height_ - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, width_ - 1); ++x)
            At(x, y) |= kInLightBox;
    changed_ = true;
}

void World::ClearLightBoxBits(const LightBox* box)
{
    if (!box || !cells_)
        return;
    int x0, y0, x1, y1;
    box->GetTileRange(&x0, &y0, &x1, &y1);
    for (int y = std::max(y0, 0); y <= std::min(y1, height_ - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, width_ - 1); ++x)
            At(x, y) &= ~kInLightBox;
    changed_ = true;
}

void World::GetFloorTintAt(int px, int py, float* r, float* g, float* b) const
{
    *r = *g = *b = 1.0f;
    const float k = AmbientScale();
    for (const auto& box : lightBoxes_)
        if (box->Contains(float(px), float(py))) {
            *r = box->red * box->intensity * k;
            *g = box->green * box->intensity * k;
            *b = box->blue * box->intensity * k;
            return;
        }
}

bool World::GetWaterAt(int px, int py, float* depth) const
{
    const int block = GetBlockAt(PixelToTile(px), PixelToTile(py));
    if (block < 0 || !resources_)
        return false;
    IResource* resource = resources_->GetAt(block);
    ParameterRecord* item = resource ? resource->FindItem(u"water") : nullptr;
    const ParameterValue* value = item ? item->Value(0) : nullptr;
    if (!value)
        return false;
    if (depth) {
        if (value->type == ParameterValue::Real)
            *depth = value->real;
        else if (value->type == ParameterValue::Integer)
            *depth = float(value->integer);
        else
            *depth = 1.0f;
    }
    return true;
}

bool World::BlockBlends(int block) const
{
    IResource* resource = resources_ ? resources_->GetAt(block) : nullptr;
    ParameterRecord* item = resource ? resource->FindItem(u"blending") : nullptr;
    if (!item || item->valueCount != 1)
        return true;
    const ParameterValue& v = item->values[0];
    return (v.type == ParameterValue::Integer && v.integer == 1) || (v.type == ParameterValue::Real && v.real == 1.0f);
}

void World::GetBlendNeighbours(int x, int y, int block, uint32_t* right, uint32_t* below, uint32_t* belowRight,
                               int* flags) const
{
    *flags = 0;
    if (!InGrid(x, y) || !BlockBlends(block))
        return;
    auto counts = [&](int nx, int ny, uint32_t* out, int flag) {
        const uint32_t c = At(nx, ny);
        const uint32_t b = c & kBlockMask;
        if (b == kEmpty || (c & kWall) || int(b) == block || !BlockBlends(int(b)))
            return;
        *out = c;
        *flags |= flag;
    };
    const bool hasRight = x < width_ - 1, hasBelow = y < height_ - 1;
    if (hasRight)
        counts(x + 1, y, right, 1);
    if (hasBelow)
        counts(x, y + 1, below, 2);
    if (hasRight && hasBelow)
        counts(x + 1, y + 1, belowRight, 4);
}

void World::GetWallAlphaCell(int x, int y, int* col, int* row) const
{
    const uint32_t key = GetCell(x, y) & 0x7ffff;
    auto matches = [&](int nx, int ny) {
        if (!InGrid(nx, ny))
            return 0;
        const uint32_t c = At(nx, ny);
        return ((c & 0x7ffff) == key && !(c & kWindow)) ? 1 : 0;
    };
    *col = 2 * matches(x + 1, y) + matches(x - 1, y);
    *row = 2 * matches(x, y + 1) + matches(x, y - 1);
}
