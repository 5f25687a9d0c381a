#pragma once

class ITexture;
struct Quad;

// Free quads binned by texture and cell.
class IMesh {
public:
    virtual ~IMesh() {}
    virtual void BuildCells(int cellSize, int n) = 0;
    virtual void AddQuad(const Quad* quad, ITexture* texture) = 0;
    virtual bool Upload() = 0;
    virtual void Bind() = 0;
    virtual void Unbind() = 0;
    virtual void DrawRect(int x0, int y0, int x1, int y1) = 0;
    virtual void NoOp() = 0;
};
