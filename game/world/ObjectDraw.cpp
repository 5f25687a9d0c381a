// The drawing passes of the object base; the dedicated server draws nothing.
#include "game/world/Object.h"

#include "engine/render/IRenderer.h"
#include "engine/render/ISprite.h"
#include "engine/render/ITexture.h"
#include "game/shell/CameraPos.h"
#include "game/world/IResource.h"
#include "game/world/Quad.h"
#include "game/world/World.h"
#include "game/world/WorldServices.h"

#include <cmath>


#ifdef VORNHAL_DEDICATED

void Object::Draw() {}
void Object::DrawShadowCaster(float, float, float) {}
void Object::DrawUpperLayer(float, float, float, bool) {}
void Object::DrawEditorMarker(int) {}
bool Object::ContainsPoint(float, float) { return false; }

#else

namespace {

// Ambient is sampled on whole pixels; a position far off the map reads as
// the map's edge rather than as an undefined conversion.
int PixelOf(float v)
{
    if (!(v > -1.0e9f))
        return -1000000000;
    if (v > 1.0e9f)
        return 1000000000;
    return int(v);
}

} // namespace

void Object::Draw()
{
    if (!sprite_ || !definition_)
        return;
    CameraPos* camera = Services().camera;
    float cx = camera ? camera->x : 0.0f, cy = camera ? camera->y : 0.0f;
    bool inView = x_ >= cx - radius_ && x_ <= cx + 1024.0f + radius_ && y_ >= cy - radius_ &&
                  y_ <= cy + 768.0f + radius_;
    ITexture* image = (!stale_ && inView) ? CurrentImage() : nullptr;
    if (!image) {
        sprite_->SetVisible(false);
        return;
    }
    float px = 0.0f, py = 0.0f;
    definition_->GetPivot(&px, &py);
    Quad quad;
    quad.SetFromTexture(image);
    quad.Rotate(px, py, angle_);
    quad.Translate(x_, y_);
    float r = 1.0f, g = 1.0f, b = 1.0f;
    if (Services().world)
        Services().world->GetAmbientAt(PixelOf(x_), PixelOf(y_), &r, &g, &b);
    auto channel = [](float v) { return uint8_t(v <= 0.0f ? 0 : (v >= 1.0f ? 255 : int(v * 255.0f))); };
    quad.r = channel(r);
    quad.g = channel(g);
    quad.b = channel(b);
    quad.a = channel(GetOpacity());
    sprite_->SetVisible(true);
    sprite_->SetParams(x_, y_, 100.0f);
    sprite_->Set(&quad, height_ / 256.0f);
}

void Object::DrawShadowCaster(float lightX, float lightY, float)
{
    IRenderer* renderer = Services().renderer;
    ITexture* image = CurrentImage();
    if (!renderer || !image)
        return;
    float px = 0.0f, py = 0.0f;
    definition_->GetPivot(&px, &py);
    renderer->BindTexture(0, image);
    renderer->SetShadowCaster(height_);
    Quad quad;
    quad.SetFromTexture(image);
    quad.Rotate(px, py, angle_);
    quad.Translate(x_ - (lightX - 128.0f), y_ - (lightY - 128.0f));
    renderer->DrawQuad(&quad, 1.0f);
}

void Object::DrawUpperLayer(float viewX, float viewY, float, bool asShadow)
{
    IRenderer* renderer = Services().renderer;
    ITexture* image = definition_ ? definition_->GetLinkImage() : nullptr;
    if (!renderer || !image || height_ == 0)
        return;
    float px = 0.0f, py = 0.0f;
    definition_->GetPivot(&px, &py);
    Quad quad;
    quad.SetFromTexture(image);
    quad.Rotate(px, py, angle_);
    float ox = height_, oy = height_;
    if (!asShadow) {
        // Parallax: the higher the layer, the further it leans from the view.
        ox = (x_ + px - viewX) * height_ * 0.01f;
        oy = (y_ + py - viewY) * height_ * 0.01f;
    }
    CameraPos* camera = Services().camera;
    quad.Translate(x_ + ox - (camera ? camera->x : 0.0f), y_ + oy - (camera ? camera->y : 0.0f));
    quad.depth = (height_ + 1) / 256.0f;
    renderer->DrawQuad(&quad, 1.0f);
}

void Object::DrawEditorMarker(int mode)
{
    IRenderer* renderer = Services().renderer;
    ITexture* image = definition_ ? definition_->GetImage() : nullptr;
    if (!renderer || mode == 0)
        return;
    CameraPos* camera = Services().camera;
    float sx = x_ - (camera ? camera->x : 0.0f), sy = y_ - (camera ? camera->y : 0.0f);
    if (image) {
        int g = mode == 1 ? 255 : 0, r = mode == 2 ? 255 : 0;
        renderer->DrawRect(PixelOf(sx), PixelOf(sy), PixelOf(sx + image->GetWidth()),
                           PixelOf(sy + image->GetHeight()), r, g, 0);
    }
    if (!cover_)
        return;
    float mx = sx + cover_->halfWidth, my = sy + cover_->halfHeight, radius = cover_->radius;
    if (mx + radius < 0.0f || mx - radius > 1024.0f || my + radius < 0.0f || my - radius > 768.0f)
        return;
    int r = mode == 2 ? 255 : 0, g = mode == 1 ? 255 : 0;
    for (int i = 0; i < 50; ++i) {
        float a0 = i * 6.2832f / 50.0f, a1 = (i + 1) * 6.2832f / 50.0f;
        renderer->DrawLine(mx + std::cos(a0) * radius, my + std::sin(a0) * radius, mx + std::cos(a1) * radius,
                           my + std::sin(a1) * radius, r, g, 0);
    }
}

bool Object::ContainsPoint(float x, float y)
{
    ITexture* image = definition_ ? definition_->GetImage() : nullptr;
    if (!image)
        return false;
    return x > x_ && x < x_ + image->GetWidth() && y > y_ && y < y_ + image->GetHeight();
}

#endif
