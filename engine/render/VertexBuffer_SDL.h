#pragma once

#ifndef VORNHAL_DEDICATED

#include "engine/render/IVertexBuffer.h"

#include <vector>

// Quads in a GL vertex buffer with a client copy, so that one quad can be
// rewritten in place.
class VertexBuffer_SDL : public IVertexBuffer {
public:
    explicit VertexBuffer_SDL(int kind);
    ~VertexBuffer_SDL() override;
    VertexBuffer_SDL(const VertexBuffer_SDL&) = delete;
    VertexBuffer_SDL& operator=(const VertexBuffer_SDL&) = delete;

    // Floats a vertex of that kind; 0 for a kind that stores nothing.
    static int FloatsPerVertex(int kind);

    void NoOp() override;
    void SetLayeredQuads(const Quad* quads, const float* set1, const float* set2, const float* set3, const int* flags,
                         int count) override;
    void SetQuads(const Quad* quads, int count) override;
    void DrawAll() override;
    void Bind() override;
    void Unbind() override;
    void DrawRange(int firstQuad, int quadCount) override;
    // An index outside the buffer is ignored. Kind 4 keeps the layered
    // coordinates the quad had.
    void UpdateQuad(const Quad* quad, int index);

    int GetKind() const { return kind_; }
    int GetQuadCount() const { return quadCount_; }
    unsigned GetName() const { return name_; }
    const std::vector<float>& GetVertices() const { return vertices_; }

private:
    void WriteQuad(const Quad& q, float* out) const;
    void Upload();

    unsigned name_ = 0;
    int kind_;
    int quadCount_ = 0;
    std::vector<float> vertices_;
};

#endif
