#pragma once

#include "engine/render/Quad.h"

#include <vector>

class IRenderer;
class ITexture;
class IVertexBuffer;

// The live particles' quads of one draw pass, drawn through one vertex
// buffer: one upload, then one call per run of a texture, in the order the
// quads came, so the blend is what drawing each alone would give.
class ParticleBatch {
public:
    ParticleBatch() = default;
    ~ParticleBatch();
    ParticleBatch(const ParticleBatch&) = delete;
    ParticleBatch& operator=(const ParticleBatch&) = delete;

    void Add(ITexture* texture, const Quad& quad, float alpha);
    // Draws what was added and empties; without a renderer it only empties.
    void Flush(IRenderer* renderer);
    int Pending() const { return int(quads_.size()); }

private:
    struct Run {
        ITexture* texture;
        int first;
        int count;
    };
    std::vector<Quad> quads_;
    std::vector<Run> runs_;
    IRenderer* renderer_ = nullptr;
    IVertexBuffer* buffer_ = nullptr;
};
