// Drawing of projectiles, traps and vehicles. The dedicated server leaves
// this file out (ArmsDedicated.cpp).
#include "game/world/arms/BulletProjectile.h"
#include "game/world/arms/Projectile.h"
#include "game/world/arms/Trap.h"
#include "game/world/arms/Vehicle.h"

#include "engine/render/IRenderer.h"
#include "engine/render/ISprite.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/resources/IResource.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

void Projectile::DrawExtra()
{
    IRenderer* renderer = Services().renderer;
    if (!renderer || !image_ || exploded_)
        return;
    float cx, cy;
    ObjectView::CameraOffset(&cx, &cy);
    Quad quad;
    quad.SetFromTexture(image_);
    quad.Rotate(2.0f, 0.0f, angle_);
    quad.Translate(x_ - cx, y_ - cy);
    renderer->DrawQuad(&quad, 1.0f);
}

void GrenadeProjectile::DrawExtra()
{
    if (!sprite_)
        return;
    sprite_->SetVisible(false);
    if (!image_ || stale_ || !ObjectView::InView(x_, y_, 50.0f))
        return;
    // Nothing turns the strip yet, so the counter stays on one frame.
    int k = int(std::floor(frame_)) % 8;
    if (k < 0)
        k += 8;
    Quad quad;
    quad.SetFromTextureRect(image_, (7 - k) * 8, 0, (8 - k) * 8, image_->GetHeight());
    quad.Rotate(4.0f, 0.0f, angle_ - 90.0f);
    quad.Translate(x_, y_);
    ObjectView::Light(&quad, x_, y_);
    sprite_->SetVisible(true);
    sprite_->SetParams(x_, y_, 40.0f);
    sprite_->Set(&quad, height_ / 256.0f);
}

void BulletProjectile::DrawExtra()
{
    IRenderer* renderer = Services().renderer;
    if (!renderer)
        return;
    float cx, cy;
    ObjectView::CameraOffset(&cx, &cy);
    float a = (angle_ - 90.0f) * (3.1416f / 180.0f);
    float sx = x_ - cx, sy = y_ - cy;
    using ObjectView::Pixel;
    renderer->DrawLineAlpha(Pixel(sx), Pixel(sy), Pixel(sx + std::cos(a) * 100.0f), Pixel(sy + std::sin(a) * 100.0f),
                            255, 252, 25, 0.2f);
}

void Trap::Draw()
{
    if (!sprite_)
        return;
    sprite_->SetVisible(false);
    if (!image_ || stale_ || !ObjectView::InView(x_, y_, 100.0f))
        return;
    if (IMultiplayerHandler* handler = ActiveHandler()) {
        ObjectManager* objects = Services().objects;
        Object* local = objects ? objects->FindObject(handler->GetLocalPlayerId()) : nullptr;
        visibility_ = local ? GetLineOfSight(local->GetX(), local->GetY(), x_, y_) : 1.0f;
    }
    if (visibility_ <= 0.01f)
        return;
    Quad quad;
    quad.SetFromTexture(image_);
    quad.Translate(x_ - image_->GetWidth() / 2.0f, y_ - image_->GetHeight() / 2.0f);
    ObjectView::Light(&quad, x_, y_);
    sprite_->SetVisible(true);
    sprite_->SetParams(x_, y_, 40.0f);
    sprite_->Set(&quad, height_ / 256.0f);
}

void Vehicle::Draw()
{
    if (sprite_)
        sprite_->SetVisible(false);
    for (VehiclePart_s* part : parts_)
        if (part->sprite)
            part->sprite->SetVisible(false);
    if (stale_ || !image_ || !ObjectView::InView(x_, y_, radius_))
        return;
    if (sprite_) {
        Quad quad;
        quad.SetFromTexture(image_);
        quad.Rotate(0.0f, 0.0f, angle_);
        quad.Translate(x_, y_);
        ObjectView::Light(&quad, x_, y_);
        sprite_->SetVisible(true);
        sprite_->SetParams(x_, y_, 200.0f);
        sprite_->Set(&quad, height_ / 256.0f);
    }
    for (VehiclePart_s* part : parts_) {
        if (!part->sprite || !part->image)
            continue;
        // Placed from the vehicle's origin; the parent link does not enter.
        Quad quad;
        quad.SetFromTexture(part->image);
        quad.Rotate(part->pivotX, part->pivotY, part->angle);
        quad.Translate(part->offsetX - part->pivotX, part->offsetY - part->pivotY);
        quad.Rotate(0.0f, 0.0f, angle_);
        quad.Translate(x_, y_);
        ObjectView::Light(&quad, x_, y_);
        part->sprite->SetVisible(true);
        part->sprite->SetParams(x_, y_, 200.0f);
        part->sprite->Set(&quad, height_ / 256.0f);
    }
}
