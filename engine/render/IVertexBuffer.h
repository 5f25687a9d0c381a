#pragma once

struct Quad;

// A GL buffer of quads in one of four vertex layouts (kinds 1-4).
class IVertexBuffer {
public:
    virtual ~IVertexBuffer() {}
    virtual void NoOp() = 0;
    // Kind 4 only: three extra rectangles a quad (four floats each) and the
    // corner-weight flags.
    virtual void SetLayeredQuads(const Quad* quads, const float* set1, const float* set2, const float* set3,
                                 const int* flags, int count) = 0;
    // Kinds 1-3.
    virtual void SetQuads(const Quad* quads, int count) = 0;
    virtual void DrawAll() = 0;
    virtual void Bind() = 0;
    virtual void Unbind() = 0;
    virtual void DrawRange(int firstQuad, int quadCount) = 0;
};
