#pragma once

#include "engine/core/List.h"
#include "engine/render/ITexture.h"

#include <cstdint>
#include <memory>
#include <string>

class IFileManager;

// A picture known by name, path and size. The dedicated server keeps only
// this part; the renderer's textures add the GL side.
class Texture : public ITexture {
public:
    // An inclusive free rectangle of an atlas.
    struct FreeArea_t {
        int x0, y0, x1, y1;
    };

    explicit Texture(IFileManager* files);
    ~Texture() override;
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    ITexture* GetAtlas() override;
    void Release() override;
    void SetName(const char16_t* name) override;
    const char16_t* GetName() override;
    int GetWidth() override;
    int GetHeight() override;
    const uint32_t* LoadPixels(int x0, int y0, int x1, int y1) override;
    void FreePixels() override;
    void GetTexCoords(int x0, int y0, int x1, int y1, float* u0, float* v0, float* u1, float* v1) override;
    void GetFullTexCoords(float* u0, float* v0, float* u1, float* v1) override;
    void Bind(int unit) override;
    virtual void WritePixels(const uint32_t* pixels, int x, int y, int w, int h);
    virtual void Upload();

    // Best fit among the free areas; false when none is large enough.
    bool AllocateArea(int w, int h, int* x, int* y);
    // Makes this texture an atlas of that size: one free area over all of it.
    void ResetFreeAreas(int width, int height);
    int GetFreeAreaCount() const { return freeAreas_.GetCount(); }
    const FreeArea_t* GetFreeArea(int i) const { return freeAreas_.Get(i); }

    void SetImagePath(const char16_t* path) { imagePath_ = path ? path : u""; }
    const std::u16string& GetImagePath() const { return imagePath_; }
    void SetSize(int width, int height)
    {
        width_ = width;
        height_ = height;
    }
    void SetKind(int kind) { kind_ = kind; }
    int GetKind() const { return kind_; }
    void SetPackIntoAtlas(bool pack) { packIntoAtlas_ = pack; }
    bool GetPackIntoAtlas() const { return packIntoAtlas_; }
    void SetLoaded(bool loaded) { loaded_ = loaded; }
    bool IsLoaded() const { return loaded_; }
    int GetReferenceCount() const { return referenceCount_; }
    // A texture of the engine's name cache is deleted by the cache alone, so
    // Release never leaves the cache holding a freed texture.
    void SetOwnedByCache(bool owned) { ownedByCache_ = owned; }

protected:
    IFileManager* files_;
    bool packIntoAtlas_ = false;
    bool loaded_ = false;
    bool ownedByCache_ = false;
    int kind_ = 0;
    std::u16string name_;
    std::u16string imagePath_;
    int referenceCount_ = 1;
    int width_ = 0;
    int height_ = 0;
    Util::List<FreeArea_t> freeAreas_;
    std::unique_ptr<uint32_t[]> keptPixels_;
};
