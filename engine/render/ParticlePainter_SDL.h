#pragma once

#ifndef VORNHAL_DEDICATED

#include "engine/render/IParticlePainter.h"

#include <memory>
#include <vector>

class Particle_SDL;

// Particles filed in a grid of cells; cells near the view borrow vertex
// buffers from a pool sized for a 1024 x 768 view.
class ParticlePainter_SDL : public IParticlePainter {
public:
    ParticlePainter_SDL();
    ~ParticlePainter_SDL() override;
    ParticlePainter_SDL(const ParticlePainter_SDL&) = delete;
    ParticlePainter_SDL& operator=(const ParticlePainter_SDL&) = delete;

    bool Init(int cols, int rows, int cellW, int cellH, int poolSize) override;
    void Clear() override;
    IParticle* CreateParticle(float x, float y, int tx0, int ty0, int tx1, int ty1, ITexture* texture) override;
    void DestroyParticle(IParticle* particle) override;
    void Draw(int x0, int y0, int x1, int y1, bool draw) override;

    int GetCellCount() const { return int(cells_.size()); }
    int GetParticleCount(int cell) const { return int(cells_[size_t(cell)].particles.size()); }
    int GetPoolSize() const { return int(pool_.size()); }
    // Particles created outside every cell, held until Clear.
    int GetUnfiledCount() const { return int(unfiled_.size()); }
    // The quads the last Draw handed to GL for that cell.
    int GetDrawnCount(int cell) const { return cells_[size_t(cell)].drawn; }

private:
    struct Cell {
        int x0, y0, x1, y1;
        std::vector<std::unique_ptr<Particle_SDL>> particles;
        int buffer = -1; // index into the pool
        int drawn = 0;
    };
    bool Overlaps(const Cell& c, int x0, int y0, int x1, int y1) const;
    bool GiveBuffer(size_t cell, int x0, int y0, int x1, int y1);

    std::vector<Cell> cells_;
    std::vector<unsigned> pool_;
    int handedOut_ = 0;
    int poolQuads_ = 0;
    std::vector<float> client_;
    // Particles from outside every cell: returned to the caller, drawn never.
    std::vector<std::unique_ptr<Particle_SDL>> unfiled_;
};

#endif
