#ifndef VORNHAL_DEDICATED

#include "engine/render/Texture_SDL.h"

#include "engine/render/Renderer_SDL.h"

#include <GL/gl.h>

#include <cstring>

namespace {

// (p + 0.5) / size in 16.16 fixed point, on the texel centre.
float TexelCentre(int64_t p, int size) { return float(((2 * p + 1) * 32768) / size) / 65536.0f; }

} // namespace

Texture_SDL::Texture_SDL(Renderer_SDL* renderer, IFileManager* files) : Texture(files), renderer_(renderer) {}

Texture_SDL::~Texture_SDL()
{
    if (renderer_)
        renderer_->ForgetTexture(this);
}

ITexture* Texture_SDL::GetAtlas() { return atlas_; }

void Texture_SDL::GetTexCoords(int x0, int y0, int x1, int y1, float* u0, float* v0, float* u1, float* v1)
{
    if (!atlas_) {
        Texture::GetTexCoords(x0, y0, x1, y1, u0, v0, u1, v1);
        return;
    }
    const float w = float(atlas_->GetWidth()), h = float(atlas_->GetHeight());
    *u0 = float(x0 + atlasX_) / w;
    *v0 = float(y0 + atlasY_) / h;
    *u1 = float(x1 + atlasX_) / w;
    *v1 = float(y1 + atlasY_) / h;
}

void Texture_SDL::GetFullTexCoords(float* u0, float* v0, float* u1, float* v1)
{
    *u0 = u0_;
    *v0 = v0_;
    *u1 = u1_;
    *v1 = v1_;
}

void Texture_SDL::Bind(int unit)
{
    if (renderer_)
        renderer_->SetTexture(unit, this);
}

void Texture_SDL::WritePixels(const uint32_t* pixels, int x, int y, int w, int h)
{
    if (!pixels || width_ <= 0 || height_ <= 0 || w <= 0 || h <= 0)
        return;
    if (!staging_)
        staging_.reset(new uint32_t[size_t(width_) * size_t(height_)]());
    for (int row = 0; row < h; ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= height_)
            continue;
        // Columns outside the texture are cut off.
        const int from = x < 0 ? -x : 0;
        const int to = x + w > width_ ? width_ - x : w;
        if (to > from)
            std::memcpy(&staging_[size_t(ty) * width_ + size_t(x + from)], pixels + size_t(row) * w + from,
                        sizeof(uint32_t) * size_t(to - from));
    }
}

void Texture_SDL::Upload()
{
    if (!staging_)
        return;
    if (glName_ == 0)
        glGenTextures(1, &glName_);
    glBindTexture(GL_TEXTURE_2D, glName_);
    glEnable(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width_, height_, 0, GL_RGBA, GL_UNSIGNED_BYTE, staging_.get());
    staging_.reset();
}

void Texture_SDL::Unload(bool deleteName)
{
    if (glName_ != 0 && deleteName)
        glDeleteTextures(1, &glName_);
    glName_ = 0;
    loaded_ = false;
}

void Texture_SDL::PlaceInAtlas(Texture_SDL* atlas, int x, int y)
{
    atlas_ = atlas;
    atlasX_ = x;
    atlasY_ = y;
    const int W = atlas->GetWidth(), H = atlas->GetHeight();
    u0_ = TexelCentre(x, W);
    v0_ = TexelCentre(y, H);
    u1_ = TexelCentre(int64_t(x) + width_ - 1, W);
    v1_ = TexelCentre(int64_t(y) + height_ - 1, H);
}

void Texture_SDL::Detach()
{
    renderer_ = nullptr;
    atlas_ = nullptr;
    glName_ = 0;
    loaded_ = false;
}

#endif
