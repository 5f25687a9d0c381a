#ifndef VORNHAL_DEDICATED

#include "engine/render/Particle_SDL.h"

#include "engine/render/ITexture.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

Particle_SDL::Particle_SDL(float x, float y, int tx0, int ty0, int tx1, int ty1, ITexture* texture)
    : x_(x), y_(y), texture_(texture)
{
    Init(x, y, tx0, ty0, tx1, ty1);
}

void Particle_SDL::SetPosition(float x, float y)
{
    x_ = x;
    y_ = y;
    dirty_ = true;
}

void Particle_SDL::SetAngle(float degrees)
{
    angle_ = degrees;
    dirty_ = true;
}

void Particle_SDL::Init(float x, float y, int tx0, int ty0, int tx1, int ty1)
{
    x_ = x;
    y_ = y;
    tx0_ = tx0;
    ty0_ = ty0;
    tx1_ = tx1;
    ty1_ = ty1;
    halfSize_ = std::abs(float(tx1) - float(tx0)) / 2.0f;
    dirty_ = true;
}

bool Particle_SDL::TakeDirty()
{
    const bool was = dirty_;
    dirty_ = false;
    return was;
}

void Particle_SDL::BuildQuad(float* out) const
{
    const float a = angle_ * 3.1416f / 180.0f, s = std::sin(a), c = std::cos(a), h = halfSize_;
    float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
    if (texture_)
        texture_->GetTexCoords(tx0_, ty0_, tx1_, ty1_, &u0, &v0, &u1, &v1);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
    const uint32_t white = 0xFFFFFFFFu;
    for (int i = 0; i < 4; ++i) {
        float* v = out + i * 6;
        v[0] = x_ + h * (corners[i][0] * c - corners[i][1] * s);
        v[1] = y_ + h * (corners[i][0] * s + corners[i][1] * c);
        v[2] = 1.0f;
        v[3] = us[i];
        v[4] = vs[i];
        std::memcpy(v + 5, &white, 4);
    }
}

#endif
