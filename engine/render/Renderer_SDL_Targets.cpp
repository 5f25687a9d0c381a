#ifndef VORNHAL_DEDICATED

// The off-screen pictures of Renderer_SDL: the minimap target and the
// game-map picture with its PNG form.

#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/png/PngImage.h"
#include "engine/render/GlFunctions.h"
#include "engine/render/Renderer_SDL.h"

#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The bytes EncodeGameMapImage hands out, replaced on each call.
std::vector<uint8_t> g_encodedGameMap;

void BeginTarget(unsigned framebuffer, int size)
{
    g_gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer);
    glViewport(0, 0, size, size);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, size, 0, size);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_DEPTH_TEST);
}

} // namespace

int Renderer_SDL::GetGameMapWidth() { return gameMapWidth_; }
int Renderer_SDL::GetGameMapHeight() { return gameMapHeight_; }

bool Renderer_SDL::PrepareMiniMapTarget()
{
    if (targetsSupported_ && miniMapTarget_.GetTexture() == 0)
        miniMapTarget_.Create(0, 256, 256);
    return true;
}

void Renderer_SDL::DisableRenderTargets()
{
    EndTargetRender();
    if (HaveContext()) {
        miniMapTarget_.Destroy();
        gameMapTarget_.Destroy();
    } else {
        miniMapTarget_.Forget();
        gameMapTarget_.Forget();
    }
    targetsSupported_ = false;
}

bool Renderer_SDL::BeginMiniMapRender()
{
    if (miniMapTargetActive_)
        return true;
    // Without its framebuffer there is nothing to draw into.
    if (!targetsSupported_ || gameMapTargetActive_ || miniMapTarget_.GetFramebuffer() == 0)
        return false;
    BeginTarget(miniMapTarget_.GetFramebuffer(), 256);
    ForgetBoundTextures();
    miniMapTargetActive_ = true;
    SetViewScale(viewScale_);
    return true;
}

void Renderer_SDL::BeginGameMapRender()
{
    if (gameMapTargetActive_ || miniMapTargetActive_ || !targetsSupported_ || !gameMapPixels_ || gameMapTexture_ == 0)
        return;
    std::memset(gameMapPixels_.get(), 0, size_t(gameMapWidth_) * gameMapHeight_ * 4);
    UploadGameMap();
    if (gameMapTarget_.GetFramebuffer() == 0 && !gameMapTarget_.Create(gameMapTexture_, gameMapWidth_, gameMapHeight_))
        return;
    BeginTarget(gameMapTarget_.GetFramebuffer(), gameMapWidth_);
    ForgetBoundTextures();
    gameMapTargetActive_ = true;
    SetViewScale(viewScale_);
}

void Renderer_SDL::EndTargetRender()
{
    if (!miniMapTargetActive_ && !gameMapTargetActive_)
        return;
    g_gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    miniMapTargetActive_ = gameMapTargetActive_ = false;
    // The target's size and y-up projection give way to the window's.
    glViewport(0, 0, windowWidth_, windowHeight_);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, windowWidth_, windowHeight_, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetViewScale(viewScale_);
    g_gl.ActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    // Mipmaps of a texture that does not exist would be a GL error.
    if (miniMapTarget_.GetTexture() != 0) {
        glBindTexture(GL_TEXTURE_2D, miniMapTarget_.GetTexture());
        g_gl.GenerateMipmap(GL_TEXTURE_2D);
    }
    ForgetBoundTextures();
}

bool Renderer_SDL::BindMiniMapTexture()
{
    if (!targetsSupported_)
        return false;
    g_gl.ActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, miniMapTarget_.GetTexture());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    SetUnitCombine(0, true, GL_MODULATE, GL_PRIMARY_COLOR);
    SetUnitCombine(1, false, GL_REPLACE, GL_PREVIOUS);
    ForgetBoundTextures();
    return true;
}

void Renderer_SDL::BindGameMapTexture()
{
    g_gl.ActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, gameMapTexture_);
    boundTextures_[0] = nullptr;
}

void Renderer_SDL::UploadGameMap()
{
    g_gl.ActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gameMapTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, gameMapWidth_, gameMapHeight_, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 gameMapPixels_.get());
    boundTextures_[0] = nullptr;
}

void Renderer_SDL::CaptureGameMap()
{
    if (!gameMapPixels_ || gameMapTexture_ == 0)
        return;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, gameMapWidth_, gameMapHeight_, GL_RGBA, GL_UNSIGNED_BYTE, gameMapPixels_.get());
    const size_t count = size_t(gameMapWidth_) * gameMapHeight_;
    for (size_t i = 0; i < count; ++i)
        gameMapPixels_[i * 4 + 3] = 255;
    UploadGameMap();
}

// The writer puts its last source row first, so a reversed copy makes the
// file's first row buffer row 0.
bool Renderer_SDL::WriteGameMapPng(IFile* file)
{
    const int w = gameMapWidth_, h = gameMapHeight_;
    std::vector<uint32_t> rows(size_t(w) * h);
    for (int r = 0; r < h; ++r)
        std::memcpy(&rows[size_t(h - 1 - r) * w], gameMapPixels_.get() + size_t(r) * w * 4, size_t(w) * 4);
    PngImage png(file);
    png.SetPixels(w, h, rows.data());
    return png.Write() && file->Flush();
}

// Any picture size is resampled to the buffer's; the reader's blue-first
// bytes become red-first again.
bool Renderer_SDL::StoreGameMapPicture(PngImage& png)
{
    const int W = png.GetWidth(), H = png.GetHeight();
    const uint32_t* src = png.GetPixels();
    if (W <= 0 || H <= 0 || !src)
        return false;
    const int w = gameMapWidth_, h = gameMapHeight_;
    const float stepX = float(W) / float(w), stepY = float(H) / float(h);
    float sy = 0.0f;
    for (int r = 0; r < h; ++r, sy += stepY) {
        const int y = std::min(H - 1, int(sy));
        float sx = 0.0f;
        uint8_t* out = gameMapPixels_.get() + size_t(r) * w * 4;
        for (int c = 0; c < w; ++c, sx += stepX) {
            const int x = std::min(W - 1, int(sx));
            const uint32_t p = src[size_t(y) * W + x];
            out[c * 4 + 0] = uint8_t(p >> 16);
            out[c * 4 + 1] = uint8_t(p >> 8);
            out[c * 4 + 2] = uint8_t(p);
            out[c * 4 + 3] = uint8_t(p >> 24);
        }
    }
    UploadGameMap();
    return true;
}

bool Renderer_SDL::SaveGameMapImage(const char16_t* path)
{
    if (!gameMapPixels_ || !files_ || !path)
        return false;
    // Written beside the old picture and renamed over it, so a failed write
    // keeps the old one; a picture cut short would pass for a map: it goes.
    const std::u16string temporary = std::u16string(path) + u".tmp";
    IFile* file = files_->Open(temporary.c_str(), kOpenWrite, kOpenFullPath);
    if (!file)
        return false;
    bool ok = WriteGameMapPng(file);
    if (!ok)
        file->CloseAndDelete();
    delete file;
    if (ok && !files_->MoveFile(temporary.c_str(), path)) {
        files_->DeleteFile(temporary.c_str());
        ok = false;
    }
    return ok;
}

bool Renderer_SDL::LoadGameMapImage(const char16_t* path)
{
    if (!gameMapPixels_ || gameMapTexture_ == 0 || !files_ || !path)
        return false;
    IFile* file = files_->Open(path, kOpenRead, kOpenFullPath);
    if (!file)
        return false;
    PngImage png(file);
    const bool read = png.Read(true);
    delete file;
    return read && StoreGameMapPicture(png);
}

bool Renderer_SDL::EncodeGameMapImage(void** data, int* size)
{
    if (data)
        *data = nullptr;
    if (size)
        *size = 0;
    if (!gameMapPixels_ || !files_ || !data || !size)
        return false;
    IFile* file = files_->CreateMemoryFile(1 << 16);
    if (!file)
        return false;
    bool ok = WriteGameMapPng(file);
    std::vector<uint8_t> bytes;
    if (ok) {
        const int n = file->GetSize();
        bytes.resize(size_t(std::max(0, n)));
        file->Seek(0);
        ok = n > 0 && file->Read(bytes.data(), n) == n;
    }
    delete file;
    if (!ok)
        return false;
    g_encodedGameMap.swap(bytes);
    std::vector<uint8_t>().swap(bytes);
    *data = g_encodedGameMap.data();
    *size = int(g_encodedGameMap.size());
    return true;
}

bool Renderer_SDL::DecodeGameMapImage(const void* data, int size)
{
    if (!gameMapPixels_ || gameMapTexture_ == 0 || !files_ || !data || size <= 0)
        return false;
    IFile* file = files_->CreateMemoryFile(size);
    if (!file)
        return false;
    bool ok = file->Write(data, size);
    file->Seek(0);
    PngImage png(file);
    ok = ok && png.Read(true);
    delete file;
    return ok && StoreGameMapPicture(png);
}

#endif
