#ifndef VORNHAL_DEDICATED

#include "engine/render/Texture_SDL.h"

#include "engine/render/Renderer_SDL.h"

#include <GL/gl.h>

#include <algorithm>

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
    // Rows and columns outside the texture are cut off.
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = int(std::min<int64_t>(int64_t(x) + w, width_));
    const int y1 = int(std::min<int64_t>(int64_t(y) + h, height_));
    if (x1 <= x0 || y1 <= y0)
        return;
    pending_.push_back({x0, y0, x1 - x0, y1 - y0, pendingPixels_.size()});
    for (int row = y0; row < y1; ++row) {
        const uint32_t* from = pixels + size_t(row - y) * size_t(w) + size_t(x0 - x);
        pendingPixels_.insert(pendingPixels_.end(), from, from + (x1 - x0));
    }
}

void Texture_SDL::SetGlName(unsigned name)
{
    if (name != glName_)
        storageMade_ = false;
    glName_ = name;
}

void Texture_SDL::Upload()
{
    if (pending_.empty())
        return;
    if (glName_ == 0)
        glGenTextures(1, &glName_);
    glBindTexture(GL_TEXTURE_2D, glName_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // Storage is made once per GL name; later uploads send only the blocks
    // written since, which is all the picture the atlas's users sample.
    if (!storageMade_) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width_, height_, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        storageMade_ = true;
    }
    for (const Block& b : pending_)
        glTexSubImage2D(GL_TEXTURE_2D, 0, b.x, b.y, b.w, b.h, GL_RGBA, GL_UNSIGNED_BYTE, &pendingPixels_[b.first]);
    glEnable(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    pending_.clear();
    pendingPixels_.clear();
    pendingPixels_.shrink_to_fit();
}

void Texture_SDL::Unload(bool deleteName)
{
    if (glName_ != 0 && deleteName)
        glDeleteTextures(1, &glName_);
    glName_ = 0;
    storageMade_ = false;
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
    storageMade_ = false;
    loaded_ = false;
}

#endif
