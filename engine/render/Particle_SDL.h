#pragma once

#ifndef VORNHAL_DEDICATED

#include "engine/render/IParticle.h"

class ITexture;

// One rotated square of a ParticlePainter_SDL.
class Particle_SDL : public IParticle {
public:
    Particle_SDL(float x, float y, int tx0, int ty0, int tx1, int ty1, ITexture* texture);

    void SetPosition(float x, float y) override;
    void SetAngle(float degrees) override;
    void Init(float x, float y, int tx0, int ty0, int tx1, int ty1) override;

    // Four vertices of 6 floats: x, y, z, u, v, colour.
    void BuildQuad(float* out) const;
    bool TakeDirty();

private:
    float x_, y_;
    float halfSize_ = 0.0f;
    float angle_ = 0.0f;
    int tx0_ = 0, ty0_ = 0, tx1_ = 0, ty1_ = 0;
    ITexture* texture_;
    bool dirty_ = true;
};

#endif
