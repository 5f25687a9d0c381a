#pragma once

#ifndef VORNHAL_DEDICATED

#include "engine/render/IMesh.h"
#include "engine/render/Quad.h"

#include <memory>
#include <vector>

class IRenderer;
class VertexBuffer_SDL;

// Free quads kept in batches of (texture, cell), each ordered by 32-pixel
// row bands so that a view draws one range a batch.
class Mesh_SDL : public IMesh {
public:
    // Takes the buffer; without one the mesh stores quads and draws nothing.
    Mesh_SDL(IRenderer* renderer, VertexBuffer_SDL* buffer);
    ~Mesh_SDL() override;

    void BuildCells(int cellSize, int n) override;
    void AddQuad(const Quad* quad, ITexture* texture) override;
    bool Upload() override;
    void Bind() override;
    void Unbind() override;
    void DrawRect(int x0, int y0, int x1, int y1) override;
    void NoOp() override;

    int GetQuadCount() const { return int(quads_.size()); }
    const Quad& GetQuad(int i) const { return quads_[size_t(i)]; }

private:
    struct CellRect {
        int x0, y0, x1, y1;
    };
    struct Band {
        int top, bottom, first, end;
    };
    struct Batch {
        ITexture* texture;
        int cell;
        int first, count;
        std::vector<Band> bands;
    };

    IRenderer* renderer_;
    std::unique_ptr<VertexBuffer_SDL> buffer_;
    std::vector<CellRect> cells_;
    std::vector<Quad> quads_;
    std::vector<Batch> batches_;
};

#endif
