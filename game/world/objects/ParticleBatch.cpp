#include "game/world/objects/ParticleBatch.h"

#include "engine/render/IRenderer.h"
#include "engine/render/IVertexBuffer.h"

#include <algorithm>
#include <cmath>

namespace {
// The layout of position, colour and one texture unit.
constexpr int kColouredQuads = 1;
} // namespace

ParticleBatch::~ParticleBatch() { delete buffer_; }

void ParticleBatch::Add(ITexture* texture, const Quad& quad, float alpha)
{
    if (!texture || !(alpha > 0.0f))
        return;
    Quad q = quad;
    q.a = uint8_t(std::lround(std::min(1.0f, alpha) * 255.0f));
    if (runs_.empty() || runs_.back().texture != texture)
        runs_.push_back(Run{texture, int(quads_.size()), 0});
    ++runs_.back().count;
    quads_.push_back(q);
}

void ParticleBatch::Flush(IRenderer* renderer)
{
    if (renderer && !quads_.empty()) {
        if (renderer != renderer_) {
            delete buffer_;
            buffer_ = renderer->CreateVertexBuffer(kColouredQuads);
            renderer_ = renderer;
        }
        if (buffer_) {
            buffer_->SetQuads(quads_.data(), int(quads_.size()));
            buffer_->Bind();
            for (const Run& run : runs_) {
                renderer->SetTexture(0, run.texture);
                buffer_->DrawRange(run.first, run.count);
            }
            buffer_->Unbind();
        }
    }
    quads_.clear();
    runs_.clear();
}
