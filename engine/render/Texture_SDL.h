#pragma once

#ifndef VORNHAL_DEDICATED

#include "engine/render/Texture.h"

#include <vector>

class Renderer_SDL;

// A texture of the GL renderer: its own GL name, or a place in an atlas.
// Atlases are Texture_SDLs too, filled through WritePixels and Upload.
class Texture_SDL : public Texture {
public:
    Texture_SDL(Renderer_SDL* renderer, IFileManager* files);
    ~Texture_SDL() override;

    ITexture* GetAtlas() override;
    void GetTexCoords(int x0, int y0, int x1, int y1, float* u0, float* v0, float* u1, float* v1) override;
    void GetFullTexCoords(float* u0, float* v0, float* u1, float* v1) override;
    void Bind(int unit) override;
    void WritePixels(const uint32_t* pixels, int x, int y, int w, int h) override;
    void Upload() override;

    unsigned GetGlName() const { return glName_; }
    void SetGlName(unsigned name);
    // Marks the texture unloaded, so that it loads again on a new context;
    // deleteName: the GL name is deleted (its context is current).
    void Unload(bool deleteName);
    // Records the place in an atlas and the half-texel-inset rectangle.
    void PlaceInAtlas(Texture_SDL* atlas, int x, int y);
    int GetAtlasX() const { return atlasX_; }
    int GetAtlasY() const { return atlasY_; }
    bool HasStagingPixels() const { return !pending_.empty(); }
    // The renderer and its atlases are gone; the texture keeps its data only.
    void Detach();

private:
    Renderer_SDL* renderer_;
    Texture_SDL* atlas_ = nullptr;
    unsigned glName_ = 0;
    // Blocks written since the last upload, in order: an atlas uploads only
    // those, over storage made once (zeroed) for its GL name.
    struct Block {
        int x, y, w, h;
        size_t first; // into pendingPixels_
    };
    std::vector<Block> pending_;
    std::vector<uint32_t> pendingPixels_;
    bool storageMade_ = false;
    int atlasX_ = 0;
    int atlasY_ = 0;
    float u0_ = 0.0f, v0_ = 0.0f, u1_ = 1.0f, v1_ = 1.0f;
};

#endif
