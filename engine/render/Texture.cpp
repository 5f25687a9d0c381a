#include "engine/render/Texture.h"

#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/png/PngImage.h"

#include <cstring>

Texture::Texture(IFileManager* files) : files_(files) {}

Texture::~Texture() { freeAreas_.DeleteAll(); }

ITexture* Texture::GetAtlas() { return nullptr; }

void Texture::Release()
{
    if (referenceCount_ > 0)
        --referenceCount_;
    if (referenceCount_ == 0 && !ownedByCache_)
        delete this;
}

void Texture::SetName(const char16_t* name) { name_ = name ? name : u""; }

const char16_t* Texture::GetName() { return name_.c_str(); }

int Texture::GetWidth() { return width_; }

int Texture::GetHeight() { return height_; }

const uint32_t* Texture::LoadPixels(int x0, int y0, int x1, int y1)
{
#ifdef VORNHAL_DEDICATED
    (void)x0, (void)y0, (void)x1, (void)y1;
    return nullptr;
#else
    if (!files_ || x1 <= x0 || y1 <= y0)
        return nullptr;
    IFile* file = files_->Open(imagePath_.c_str(), 0, 0);
    if (!file)
        return nullptr;
    PngImage png(file);
    bool ok = png.Read(true);
    delete file;
    if (!ok || !png.GetPixels())
        return nullptr;
    const int64_t w = int64_t(x1) - x0, h = int64_t(y1) - y0;
    if (w * h > PngImage::kMaxPixels)
        return nullptr;
    // The rectangle comes from resource scripts: what lies outside the image
    // stays zero instead of being read from beyond it.
    keptPixels_.reset(new uint32_t[size_t(w * h)]());
    const int imageW = png.GetWidth(), imageH = png.GetHeight();
    for (int y = y0; y < y1; ++y) {
        if (y < 0 || y >= imageH)
            continue;
        for (int x = x0; x < x1; ++x)
            if (x >= 0 && x < imageW)
                keptPixels_[size_t((y - y0) * w + (x - x0))] = png.GetPixels()[size_t(y) * imageW + x];
    }
    return keptPixels_.get();
#endif
}

void Texture::FreePixels() { keptPixels_.reset(); }

void Texture::GetTexCoords(int x0, int y0, int x1, int y1, float* u0, float* v0, float* u1, float* v1)
{
    const float w = width_ > 0 ? float(width_) : 1.0f, h = height_ > 0 ? float(height_) : 1.0f;
    *u0 = float(x0) / w;
    *v0 = float(y0) / h;
    *u1 = float(x1) / w;
    *v1 = float(y1) / h;
}

void Texture::GetFullTexCoords(float* u0, float* v0, float* u1, float* v1)
{
    *u0 = 0.0f;
    *v0 = 0.0f;
    *u1 = 1.0f;
    *v1 = 1.0f;
}

void Texture::Bind(int) {}

void Texture::WritePixels(const uint32_t*, int, int, int, int) {}

void Texture::Upload() {}

void Texture::ResetFreeAreas(int width, int height)
{
    freeAreas_.DeleteAll();
    if (width > 0 && height > 0)
        freeAreas_.Add(new FreeArea_t{0, 0, width - 1, height - 1});
}

bool Texture::AllocateArea(int w, int h, int* x, int* y)
{
    if (w <= 0 || h <= 0)
        return false;
    int best = -1;
    int64_t bestSize = 0;
    for (int i = 0; i < freeAreas_.GetCount(); ++i) {
        const FreeArea_t* a = freeAreas_.Get(i);
        const int64_t aw = int64_t(a->x1) - a->x0 + 1, ah = int64_t(a->y1) - a->y0 + 1;
        if (aw < w || ah < h)
            continue;
        if (best < 0 || aw * ah < bestSize) {
            best = i;
            bestSize = aw * ah;
        }
    }
    if (best < 0)
        return false;
    FreeArea_t* a = freeAreas_.Get(best);
    *x = a->x0;
    *y = a->y0;
    const bool exactW = a->x1 - a->x0 + 1 == w, exactH = a->y1 - a->y0 + 1 == h;
    if (exactW && exactH) {
        freeAreas_.RemoveAt(best);
        delete a;
    } else if (exactW) {
        a->y0 += h;
    } else if (exactH) {
        a->x0 += w;
    } else {
        freeAreas_.Add(new FreeArea_t{a->x0 + w, a->y0, a->x1, a->y0 + h - 1});
        a->y0 += h;
    }
    return true;
}
