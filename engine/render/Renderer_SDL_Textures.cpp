#ifndef VORNHAL_DEDICATED

// The texture side of Renderer_SDL: atlases, the lazy load and binding.

#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/png/PngImage.h"
#include "engine/render/GlFunctions.h"
#include "engine/render/Renderer_SDL.h"
#include "engine/render/Texture_SDL.h"

void Renderer_SDL::CreateAtlas(int kind, int)
{
    Texture_SDL* atlas = new Texture_SDL(this, files_);
    atlas->SetSize(atlasWidth_, atlasHeight_);
    atlas->SetKind(kind);
    atlas->ResetFreeAreas(atlasWidth_, atlasHeight_);
    atlases_.Add(atlas);
}

Texture_SDL* Renderer_SDL::NewTexture()
{
    Texture_SDL* texture = new Texture_SDL(this, files_);
    textures_.Add(texture);
    return texture;
}

void Renderer_SDL::ForgetTexture(Texture_SDL* texture)
{
    textures_.Remove(texture);
    atlases_.Remove(texture);
    for (ITexture*& bound : boundTextures_)
        if (bound == texture)
            bound = nullptr;
}

ITexture* Renderer_SDL::GetBoundTexture(int unit) const
{
    return unit >= 0 && unit < kTextureUnits ? boundTextures_[unit] : nullptr;
}

void Renderer_SDL::ForgetBoundTextures()
{
    for (ITexture*& bound : boundTextures_)
        bound = nullptr;
}

bool Renderer_SDL::PrepareTextures()
{
    if (texturesPrepared_)
        return true;
    texturesPrepared_ = true;
    for (int i = 0; i < atlases_.GetCount(); ++i) {
        GLuint name = 0;
        glGenTextures(1, &name);
        atlases_.Get(i)->SetGlName(name);
    }
    for (int i = 0; i < textures_.GetCount(); ++i)
        if (!textures_.Get(i)->IsLoaded())
            LoadTextureImage(textures_.Get(i));
    for (int i = 0; i < atlases_.GetCount(); ++i)
        atlases_.Get(i)->Upload();
    ForgetBoundTextures();
    return true;
}

void Renderer_SDL::LoadTextureImage(Texture_SDL* texture)
{
    texture->SetLoaded(true);
    IFile* file = files_ ? files_->Open(texture->GetImagePath().c_str(), 0, 0) : nullptr;
    if (!file)
        return;
    PngImage png(file);
    const bool ok = png.Read(true);
    delete file;
    uint32_t* pixels = png.GetPixels();
    const int w = png.GetWidth(), h = png.GetHeight();
    if (!ok || !pixels || w <= 0 || h <= 0)
        return;
    // The reader gives blue, green, red, alpha bytes; GL takes red first.
    for (size_t i = 0, n = size_t(w) * size_t(h); i < n; ++i) {
        const uint32_t p = pixels[i];
        pixels[i] = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    }
    // The picture on disk decides; the header read earlier may be stale.
    texture->SetSize(w, h);
    if (texture->GetPackIntoAtlas()) {
        for (int i = 0; i < atlases_.GetCount(); ++i) {
            Texture_SDL* atlas = atlases_.Get(i);
            int x = 0, y = 0;
            if (atlas->GetKind() != texture->GetKind() || !atlas->AllocateArea(w, h, &x, &y))
                continue;
            atlas->WritePixels(pixels, x, y, w, h);
            texture->PlaceInAtlas(atlas, x, y);
            return;
        }
        return; // no atlas with room: the texture stays empty
    }
    GLuint name = texture->GetGlName();
    if (name == 0)
        glGenTextures(1, &name);
    texture->SetGlName(name);
    // The load may come from a bind on another unit: the active unit keeps
    // the texture its cache entry names.
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glBindTexture(GL_TEXTURE_2D, GLuint(previous));
}

void Renderer_SDL::BindTexture(int unit, ITexture* texture)
{
    if (unit < 0 || unit >= kTextureUnits || !g_gl.ActiveTexture)
        return;
    Texture_SDL* t = dynamic_cast<Texture_SDL*>(texture);
    if (t && !t->IsLoaded() && !t->GetImagePath().empty() && !t->GetPackIntoAtlas())
        LoadTextureImage(t);
    g_gl.ActiveTexture(GL_TEXTURE0 + unit);
    boundTextures_[unit] = t;
    glBindTexture(GL_TEXTURE_2D, t ? t->GetGlName() : 0);
    g_gl.ActiveTexture(GL_TEXTURE0);
}

void Renderer_SDL::SetTexture(int unit, ITexture* texture)
{
    if (unit < 0 || unit >= kTextureUnits || !g_gl.ActiveTexture)
        return;
    if (texture && boundTextures_[unit] == texture)
        return;
    Texture_SDL* t = dynamic_cast<Texture_SDL*>(texture);
    if (t && !t->IsLoaded() && !t->GetImagePath().empty() && !t->GetPackIntoAtlas())
        LoadTextureImage(t);
    Texture_SDL* atlas = t ? static_cast<Texture_SDL*>(t->GetAtlas()) : nullptr;
    g_gl.ActiveTexture(GL_TEXTURE0 + unit);
    boundTextures_[unit] = t;
    glBindTexture(GL_TEXTURE_2D, atlas ? atlas->GetGlName() : (t ? t->GetGlName() : 0));
    g_gl.ActiveTexture(GL_TEXTURE0);
}

void Renderer_SDL::SetTexture2(int unit, ITexture* texture) { SetTexture(unit, texture); }

void Renderer_SDL::BindAtlas(int unit, int kind)
{
    if (unit < 0 || unit >= kTextureUnits || !g_gl.ActiveTexture)
        return;
    for (int i = 0; i < atlases_.GetCount(); ++i) {
        Texture_SDL* atlas = atlases_.Get(i);
        if (atlas->GetKind() != kind)
            continue;
        g_gl.ActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, atlas->GetGlName());
        g_gl.ActiveTexture(GL_TEXTURE0);
        boundTextures_[unit] = nullptr;
        return;
    }
}

#endif
