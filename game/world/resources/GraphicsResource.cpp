#include "game/world/resources/GraphicsResource.h"

#include "engine/render/ITexture.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr int kThumb = 64;
constexpr uint32_t kGrey = 0x80808080u;
} // namespace

GraphicsResource::GraphicsResource(IResourceManager* manager, ITexture* texture, int left, int top, int right,
                                   int bottom)
    : Resource(manager, ResourceClass::Graphics), texture_(texture), left_(left), top_(top), right_(right),
      bottom_(bottom)
{
}

GraphicsResource::~GraphicsResource() {}

int GraphicsResource::GetSubImageCount() { return subImages_.GetCount(); }

GraphicsResource* GraphicsResource::GetSubImage(int i) { return subImages_.Get(i); }

void GraphicsResource::AddSubImage(GraphicsResource* image)
{
    if (image)
        subImages_.Add(image);
}

ITexture* GraphicsResource::GetImage() { return texture_; }

void GraphicsResource::AddItem(ParameterRecord* record) { delete record; }

ParameterRecord* GraphicsResource::FindItem(const char16_t*) { return nullptr; }

const uint32_t* GraphicsResource::CreateThumbnail()
{
    thumbnail_.reset(new uint32_t[kThumb * kThumb]());
    uint32_t* out = thumbnail_.get();
    if (!texture_) {
        std::fill(out, out + kThumb * kThumb, kGrey);
        return out;
    }
    const int64_t w64 = int64_t(right_) - left_, h64 = int64_t(bottom_) - top_;
    // An empty or inverted rectangle has no pixels to fetch.
    if (w64 <= 0 || h64 <= 0 || w64 > INT32_MAX || h64 > INT32_MAX)
        return out;
    const int w = int(w64), h = int(h64);

    // Keep the aspect; sizes in 64 bits since the rectangle comes from a script.
    int scaledW = kThumb, scaledH = kThumb;
    if (w > h)
        scaledH = int(h64 * kThumb / w64);
    else
        scaledW = int(w64 * kThumb / h64);
    const int marginX = (kThumb - scaledW) / 2;
    const int marginY = (kThumb - scaledH) / 2;

    const uint32_t* pixels = texture_->LoadPixels(left_, top_, right_, bottom_);
    if (!pixels) {
        texture_->FreePixels();
        return nullptr;
    }
    if (scaledW > 0 && scaledH > 0) {
        const double stepX = double(w - 1) / scaledW;
        const double stepY = double(h - 1) / scaledH;
        float fy = 0.0f;
        for (int y = marginY; y < kThumb - marginY; ++y) {
            // The margins are halved by truncation, so an odd size draws one
            // line more than it scaled to: stay inside the rectangle.
            const int sy = std::min(int(fy), h - 1);
            float fx = 0.0f;
            for (int x = marginX; x < kThumb - marginX; ++x) {
                const int sx = std::min(int(fx), w - 1);
                out[y * kThumb + x] = pixels[int64_t(sy) * w + sx];
                fx = float(fx + stepX);
            }
            fy = float(fy + stepY);
        }
    }
    texture_->FreePixels();
    return out;
}

void GraphicsResource::FreeThumbnail() { thumbnail_.reset(); }
