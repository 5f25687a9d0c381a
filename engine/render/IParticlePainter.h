#pragma once

class IParticle;
class ITexture;

// Particles in a grid of cells; only cells near the view are drawn.
class IParticlePainter {
public:
    virtual ~IParticlePainter() {}
    virtual bool Init(int cols, int rows, int cellW, int cellH, int poolSize) = 0;
    virtual void Clear() = 0;
    // The painter's particle, freed by Clear or the painter's end; the texture stays the caller's.
    virtual IParticle* CreateParticle(float x, float y, int tx0, int ty0, int tx1, int ty1, ITexture* texture) = 0;
    virtual void DestroyParticle(IParticle* particle) = 0;
    virtual void Draw(int x0, int y0, int x1, int y1, bool draw) = 0;
};
