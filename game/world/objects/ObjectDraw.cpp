// The drawing passes of the object base; the dedicated server draws nothing.
#include "game/world/objects/Object.h"

#include "engine/render/IRenderer.h"
#include "engine/render/ISprite.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/resources/IResource.h"
#include "game/world/state/CameraPos.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

#ifdef VORNHAL_DEDICATED

void Object::Draw() {}
void Object::DrawShadowCaster(float, float, float) {}
void Object::DrawUpperLayer(float, float, float, bool) {}
void Object::DrawEditorMarker(int) {}
bool Object::ContainsPoint(float, float) { return false; }

#else

void Object::Draw()
{
    if (!sprite_ || !definition_)
        return;
    ITexture* image = (!stale_ && ObjectView::InView(x_, y_, radius_)) ? CurrentImage() : nullptr;
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
    ObjectView::Light(&quad, x_, y_);
    quad.a = ObjectView::Channel(GetOpacity());
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
        using ObjectView::Pixel;
        renderer->DrawRect(Pixel(sx), Pixel(sy), Pixel(sx + image->GetWidth()), Pixel(sy + image->GetHeight()), r, g,
                           0);
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
