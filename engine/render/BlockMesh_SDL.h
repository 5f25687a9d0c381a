#pragma once

#ifndef VORNHAL_DEDICATED

#include "engine/render/IBlockMesh.h"
#include "engine/render/Quad.h"

#include <memory>
#include <vector>

class VertexBuffer_SDL;

// A grid of 32-pixel cells, one quad each, in one vertex buffer.
class BlockMesh_SDL : public IBlockMesh {
public:
    static constexpr int kEmpty = -1;
    // Set since the last Build: in no vertex buffer yet.
    static constexpr int kUnbuilt = -2;

    // Takes the buffer.
    BlockMesh_SDL(VertexBuffer_SDL* buffer, int cols, int rows);
    ~BlockMesh_SDL() override;

    void SetLayeredBlock(const Quad* quad, int value, const float* rect1, const float* rect2, const float* rect3,
                         int flags) override;
    void SetBlock(const Quad* quad, int value) override;
    void UpdateBlock(const Quad* quad) override;
    void RemoveBlockAt(int col, int row) override;
    void RemoveBlock(int cell) override;
    bool Build() override;
    void Bind() override;
    void Unbind() override;
    void DrawRect(int x0, int y0, int x1, int y1) override;

    // The cell of a quad's centre; -1 outside the grid.
    int CellOf(const Quad& quad) const;
    int GetCellIndex(int cell) const;
    int GetUsedCount() const { return usedCount_; }
    VertexBuffer_SDL* GetBuffer() const { return buffer_.get(); }

private:
    struct Cell {
        Quad quad;
        int index = kEmpty;
        int value = 0;
        bool layered = false;
        float rects[3][4] = {};
        int flags = 0;
    };
    Cell* Store(const Quad* quad, int value);

    std::unique_ptr<VertexBuffer_SDL> buffer_;
    int cols_;
    int rows_;
    std::vector<Cell> cells_;
    int usedCount_ = 0;
};

#endif
