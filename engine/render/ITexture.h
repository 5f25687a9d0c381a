#pragma once

#include <cstdint>

// A picture the renderer can draw: its own GL texture or a place in an atlas.
class ITexture {
public:
    virtual ~ITexture() {}
    // The atlas this texture sits in (the renderer's), or null.
    virtual ITexture* GetAtlas() = 0;
    virtual void Release() = 0;
    virtual void SetName(const char16_t* name) = 0;
    virtual const char16_t* GetName() = 0;
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
    // Pixels x0..x1-1, y0..y1-1 as the PNG reader delivers them; valid until
    // FreePixels, the next LoadPixels or the texture's end.
    virtual const uint32_t* LoadPixels(int x0, int y0, int x1, int y1) = 0;
    virtual void FreePixels() = 0;
    virtual void GetTexCoords(int x0, int y0, int x1, int y1, float* u0, float* v0, float* u1, float* v1) = 0;
    virtual void GetFullTexCoords(float* u0, float* v0, float* u1, float* v1) = 0;
    virtual void Bind(int unit) = 0;
};
