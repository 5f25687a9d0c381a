#ifndef VORNHAL_DEDICATED

#include "engine/render/Mesh_SDL.h"

#include "engine/render/IRenderer.h"
#include "engine/render/VertexBuffer_SDL.h"

Mesh_SDL::Mesh_SDL(IRenderer* renderer, VertexBuffer_SDL* buffer) : renderer_(renderer), buffer_(buffer) {}

Mesh_SDL::~Mesh_SDL() = default;

void Mesh_SDL::BuildCells(int cellSize, int n)
{
    cells_.clear();
    if (cellSize <= 0 || n <= 0 || int64_t(n) * n > (1 << 20))
        return;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            cells_.push_back({i * cellSize, j * cellSize, (i + 1) * cellSize, (j + 1) * cellSize});
}

void Mesh_SDL::AddQuad(const Quad* quad, ITexture* texture)
{
    if (!quad)
        return;
    const float cx = (quad->topLeft.x + quad->topRight.x + quad->bottomLeft.x + quad->bottomRight.x) / 4.0f;
    const float cy = (quad->topLeft.y + quad->topRight.y + quad->bottomLeft.y + quad->bottomRight.y) / 4.0f;
    int cell = -1;
    for (size_t i = 0; i < cells_.size() && cell < 0; ++i)
        if (cells_[i].x0 <= cx && cx < cells_[i].x1 && cells_[i].y0 <= cy && cy < cells_[i].y1)
            cell = int(i);
    Batch* batch = nullptr;
    for (Batch& b : batches_)
        if (b.texture == texture && b.cell == cell)
            batch = &b;
    if (!batch) {
        const int at = int(quads_.size());
        batches_.push_back({texture, cell, at, 0, {}});
        batch = &batches_.back();
        if (cell >= 0)
            for (int top = cells_[size_t(cell)].y0; top < cells_[size_t(cell)].y1; top += 32)
                batch->bands.push_back({top, top + 32, at, at});
    }
    int at = batch->first + batch->count;
    size_t band = batch->bands.size();
    for (size_t i = 0; i < batch->bands.size(); ++i)
        if (batch->bands[i].bottom > cy) {
            band = i;
            at = batch->bands[i].end;
            break;
        }
    quads_.insert(quads_.begin() + at, *quad);
    ++batch->count;
    for (size_t i = 0; i < batch->bands.size(); ++i) {
        if (i == band)
            ++batch->bands[i].end;
        else if (i > band) {
            ++batch->bands[i].first;
            ++batch->bands[i].end;
        }
    }
    for (Batch& b : batches_) {
        if (&b == batch || b.first < at)
            continue;
        ++b.first;
        for (Band& r : b.bands) {
            ++r.first;
            ++r.end;
        }
    }
}

bool Mesh_SDL::Upload()
{
    if (!buffer_)
        return false;
    buffer_->SetQuads(quads_.data(), int(quads_.size()));
    return true;
}

void Mesh_SDL::Bind()
{
    if (buffer_)
        buffer_->Bind();
}

void Mesh_SDL::Unbind()
{
    if (buffer_)
        buffer_->Unbind();
}

void Mesh_SDL::DrawRect(int x0, int y0, int x1, int y1)
{
    if (!buffer_)
        return;
    for (const Batch& b : batches_) {
        if (b.cell >= 0) {
            const CellRect& c = cells_[size_t(b.cell)];
            if (c.x1 <= x0 || c.x0 >= x1 || c.y1 <= y0 || c.y0 >= y1)
                continue;
        }
        int first = b.first, end = b.first + b.count;
        for (const Band& r : b.bands)
            if (r.bottom <= y0)
                first = r.end;
        for (auto it = b.bands.rbegin(); it != b.bands.rend(); ++it)
            if (it->top >= y1)
                end = it->first;
        if (end <= first)
            continue;
        renderer_->SetTexture(0, b.texture);
        buffer_->DrawRange(first, end - first);
    }
}

void Mesh_SDL::NoOp() {}

#endif
