#ifndef VORNHAL_DEDICATED

#include "engine/render/ParticlePainter_SDL.h"

#include "engine/render/GlFunctions.h"
#include "engine/render/Particle_SDL.h"

#include <algorithm>

namespace {

constexpr int kQuadFloats = 24;
constexpr size_t kQuadBytes = kQuadFloats * sizeof(float);

} // namespace

ParticlePainter_SDL::ParticlePainter_SDL() = default;

ParticlePainter_SDL::~ParticlePainter_SDL()
{
    if (!pool_.empty() && g_gl.DeleteBuffers)
        g_gl.DeleteBuffers(GLsizei(pool_.size()), pool_.data());
}

bool ParticlePainter_SDL::Init(int cols, int rows, int cellW, int cellH, int poolSize)
{
    if (cols <= 0 || rows <= 0 || cellW <= 0 || cellH <= 0 || poolSize <= 0 || int64_t(cols) * rows > (1 << 20) ||
        poolSize > (1 << 20) || !g_gl.GenBuffers)
        return false;
    if (!pool_.empty())
        g_gl.DeleteBuffers(GLsizei(pool_.size()), pool_.data());
    cells_.clear();
    cells_.resize(size_t(cols) * rows);
    for (int i = 0; i < cols; ++i)
        for (int j = 0; j < rows; ++j) {
            Cell& c = cells_[size_t(i) * rows + j];
            c.x0 = i * cellW;
            c.y0 = j * cellH;
            c.x1 = (i + 1) * cellW;
            c.y1 = (j + 1) * cellH;
        }
    poolQuads_ = poolSize;
    client_.assign(size_t(poolSize) * kQuadFloats, 0.0f);
    const int n = ((1024 + cellW - 1) / cellW + 1) * ((768 + cellH - 1) / cellH + 1);
    pool_.assign(size_t(n), 0);
    g_gl.GenBuffers(n, pool_.data());
    for (unsigned b : pool_) {
        g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, b);
        g_gl.BufferData(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(size_t(poolSize) * kQuadBytes), nullptr,
                        GL_DYNAMIC_DRAW_ARB);
    }
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
    handedOut_ = 0;
    return true;
}

void ParticlePainter_SDL::Clear()
{
    for (Cell& c : cells_)
        c.particles.clear();
    unfiled_.clear();
}

IParticle* ParticlePainter_SDL::CreateParticle(float x, float y, int tx0, int ty0, int tx1, int ty1, ITexture* texture)
{
    auto p = std::make_unique<Particle_SDL>(x, y, tx0, ty0, tx1, ty1, texture);
    Particle_SDL* raw = p.get();
    for (Cell& c : cells_) {
        if (c.x0 <= x && x < c.x1 && c.y0 <= y && y < c.y1) {
            c.particles.push_back(std::move(p));
            return raw;
        }
    }
    unfiled_.push_back(std::move(p));
    return raw;
}

// Particles stay in their cell until Clear.
void ParticlePainter_SDL::DestroyParticle(IParticle*) {}

bool ParticlePainter_SDL::Overlaps(const Cell& c, int x0, int y0, int x1, int y1) const
{
    return c.x1 >= x0 && c.x0 <= x1 && c.y1 >= y0 && c.y0 <= y1;
}

bool ParticlePainter_SDL::GiveBuffer(size_t cell, int x0, int y0, int x1, int y1)
{
    for (size_t i = 0; i < cells_.size(); ++i) {
        if (i != cell && cells_[i].buffer >= 0 && !Overlaps(cells_[i], x0, y0, x1, y1)) {
            cells_[cell].buffer = cells_[i].buffer;
            cells_[i].buffer = -1;
            return true;
        }
    }
    if (handedOut_ >= int(pool_.size()))
        return false;
    cells_[cell].buffer = handedOut_++;
    return true;
}

void ParticlePainter_SDL::Draw(int x0, int y0, int x1, int y1, bool draw)
{
    const GLsizei stride = GLsizei(6 * sizeof(float));
    for (size_t ci = 0; ci < cells_.size(); ++ci) {
        Cell& c = cells_[ci];
        c.drawn = 0;
        if (c.particles.empty() || !Overlaps(c, x0, y0, x1, y1))
            continue;
        bool all = false;
        if (c.buffer < 0) {
            if (!GiveBuffer(ci, x0, y0, x1, y1))
                continue;
            all = true;
        }
        g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, pool_[size_t(c.buffer)]);
        // The buffer holds pool-size quads: later particles wait for room.
        const int count = std::min(int(c.particles.size()), poolQuads_);
        int runStart = -1;
        const auto flush = [&](int end) {
            if (runStart < 0)
                return;
            g_gl.BufferSubData(GL_ARRAY_BUFFER_ARB, GLintptrARB(size_t(runStart) * kQuadBytes),
                               GLsizeiptrARB(size_t(end - runStart) * kQuadBytes), client_.data());
            runStart = -1;
        };
        for (int i = 0; i < count; ++i) {
            Particle_SDL* p = c.particles[size_t(i)].get();
            if (!p->TakeDirty() && !all) {
                flush(i);
                continue;
            }
            if (runStart < 0)
                runStart = i;
            p->BuildQuad(&client_[size_t(i - runStart) * kQuadFloats]);
        }
        flush(count);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, stride, nullptr);
        g_gl.ClientActiveTexture(GL_TEXTURE0);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(3 * sizeof(float)));
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, stride, reinterpret_cast<const void*>(5 * sizeof(float)));
        if (draw) {
            glDrawArrays(GL_QUADS, 0, 4 * count);
            c.drawn = count;
        }
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (g_gl.BindBuffer)
        g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
}

#endif
