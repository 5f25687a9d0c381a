#ifndef VORNHAL_DEDICATED

#include "engine/render/BlockMesh_SDL.h"

#include "engine/render/VertexBuffer_SDL.h"

#include <algorithm>
#include <cmath>
#include <cstring>

BlockMesh_SDL::BlockMesh_SDL(VertexBuffer_SDL* buffer, int cols, int rows)
    : buffer_(buffer), cols_(cols), rows_(rows), cells_(size_t(cols) * size_t(rows))
{
}

BlockMesh_SDL::~BlockMesh_SDL() = default;

int BlockMesh_SDL::CellOf(const Quad& q) const
{
    const float cx = (q.topLeft.x + q.topRight.x + q.bottomLeft.x + q.bottomRight.x) / 4.0f;
    const float cy = (q.topLeft.y + q.topRight.y + q.bottomLeft.y + q.bottomRight.y) / 4.0f;
    if (!std::isfinite(cx) || !std::isfinite(cy))
        return -1;
    const float col = std::floor(cx / 32.0f), row = std::floor(cy / 32.0f);
    if (col < 0 || row < 0 || col >= float(cols_) || row >= float(rows_))
        return -1;
    return int(col) + int(row) * cols_;
}

int BlockMesh_SDL::GetCellIndex(int cell) const
{
    return cell >= 0 && size_t(cell) < cells_.size() ? cells_[size_t(cell)].index : kEmpty;
}

BlockMesh_SDL::Cell* BlockMesh_SDL::Store(const Quad* quad, int value)
{
    const int cell = quad ? CellOf(*quad) : -1;
    if (cell < 0)
        return nullptr;
    Cell& c = cells_[size_t(cell)];
    c.quad = *quad;
    c.value = value;
    c.index = kUnbuilt;
    c.layered = false;
    c.flags = 0;
    return &c;
}

void BlockMesh_SDL::SetBlock(const Quad* quad, int value) { Store(quad, value); }

void BlockMesh_SDL::SetLayeredBlock(const Quad* quad, int value, const float* rect1, const float* rect2,
                                    const float* rect3, int flags)
{
    Cell* c = Store(quad, value);
    if (!c)
        return;
    const float* rects[3] = {rect1, rect2, rect3};
    for (int i = 0; i < 3; ++i)
        if (rects[i])
            std::memcpy(c->rects[i], rects[i], sizeof c->rects[i]);
    c->layered = true;
    c->flags = flags;
}

void BlockMesh_SDL::UpdateBlock(const Quad* quad)
{
    const int cell = quad ? CellOf(*quad) : -1;
    if (cell < 0)
        return;
    Cell& c = cells_[size_t(cell)];
    if (c.index == kEmpty)
        return;
    c.quad = *quad;
    // A cell set since the last Build has no place in the buffer yet.
    if (c.index >= 0)
        buffer_->UpdateQuad(quad, c.index);
}

void BlockMesh_SDL::RemoveBlockAt(int col, int row)
{
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_)
        return;
    cells_[size_t(col) + size_t(row) * cols_].index = kEmpty;
}

void BlockMesh_SDL::RemoveBlock(int cell)
{
    if (cell >= 0 && size_t(cell) < cells_.size())
        cells_[size_t(cell)].index = kEmpty;
}

bool BlockMesh_SDL::Build()
{
    std::vector<Quad> quads;
    std::vector<float> sets[3];
    std::vector<int> flags;
    usedCount_ = 0;
    for (Cell& c : cells_) {
        if (c.index == kEmpty)
            continue;
        c.index = usedCount_++;
        quads.push_back(c.quad);
        for (int i = 0; i < 3; ++i)
            sets[i].insert(sets[i].end(), c.rects[i], c.rects[i] + 4);
        flags.push_back(c.flags);
    }
    if (usedCount_ == 0)
        return true;
    if (buffer_->GetKind() == 4)
        buffer_->SetLayeredQuads(quads.data(), sets[0].data(), sets[1].data(), sets[2].data(), flags.data(),
                                 usedCount_);
    else
        buffer_->SetQuads(quads.data(), usedCount_);
    return true;
}

void BlockMesh_SDL::Bind() { buffer_->Bind(); }

void BlockMesh_SDL::Unbind() { buffer_->Unbind(); }

void BlockMesh_SDL::DrawRect(int x0, int y0, int x1, int y1)
{
    const int col0 = std::max(0, int(std::floor(x0 / 32.0))), col1 = std::min(cols_, int(std::ceil(x1 / 32.0)));
    const int row0 = std::max(0, int(std::floor(y0 / 32.0))), row1 = std::min(rows_, int(std::ceil(y1 / 32.0)));
    for (int row = row0; row < row1; ++row) {
        const Cell* line = &cells_[size_t(row) * cols_];
        for (int col = col0; col < col1;) {
            if (line[col].index < 0) {
                ++col;
                continue;
            }
            const int first = line[col].index;
            int count = 0;
            while (col < col1 && line[col].index >= 0) {
                ++count;
                ++col;
            }
            buffer_->DrawRange(first, count);
        }
    }
}

#endif
