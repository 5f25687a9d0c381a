#pragma once

struct Quad;

// The world's grid of 32-pixel blocks, drawn in row runs.
class IBlockMesh {
public:
    virtual ~IBlockMesh() {}
    virtual void SetLayeredBlock(const Quad* quad, int value, const float* rect1, const float* rect2,
                                 const float* rect3, int flags) = 0;
    virtual void SetBlock(const Quad* quad, int value) = 0;
    virtual void UpdateBlock(const Quad* quad) = 0;
    virtual void RemoveBlockAt(int col, int row) = 0;
    virtual void RemoveBlock(int cell) = 0;
    virtual bool Build() = 0;
    virtual void Bind() = 0;
    virtual void Unbind() = 0;
    virtual void DrawRect(int x0, int y0, int x1, int y1) = 0;
};
