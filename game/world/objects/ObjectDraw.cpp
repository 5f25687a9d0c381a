// What only a client does with the world's objects: the drawing passes, the
// sprites, the break particles' flight and the dust's puff. The dedicated
// server leaves this file out (ObjectsDedicated.cpp).
#include "game/world/objects/Object.h"

#include "engine/render/IParticle.h"
#include "engine/render/IParticlePainter.h"
#include "engine/render/IRenderer.h"
#include "engine/render/ISprite.h"
#include "engine/render/ISpritePainter.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Position.h"
#include "game/world/geometry/Quad.h"
#include "game/world/map/World.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/Door.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/objects/Pickups.h"
#include "game/world/objects/Scenery.h"
#include "game/world/objects/StartPoint.h"
#include "game/world/objects/WorldEffects.h"
#include "game/world/phys/PolygonHull.h"
#include "game/world/phys/StaticObject.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResource.h"
#include "game/world/state/CameraPos.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

void ObjectView::MakeSprite(ISprite** sprite, int order)
{
    ISpritePainter* painter = Services().spritePainter;
    if (!*sprite && painter)
        *sprite = painter->CreateSprite(order);
}

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

void Tree::DrawExtra()
{
    IRenderer* renderer = Services().renderer;
    if (!crown_ || !renderer)
        return;
    float cx, cy;
    ObjectView::CameraOffset(&cx, &cy);
    float sx = std::floor(x_ - cx), sy = std::floor(y_ - cy);
    float centreX = sx + crown_->GetWidth() / 2.0f * 1.5f, centreY = sy + crown_->GetHeight() / 2.0f * 1.5f;
    Quad light;
    ObjectView::Light(&light, x_ + crown_->GetWidth() / 2.0f, y_ + crown_->GetHeight() / 2.0f);
    auto draw = [&](ITexture* image, float offsetX, float offsetY, float alpha) {
        float w = image->GetWidth() * 1.5f, h = image->GetHeight() * 1.5f;
        Quad quad;
        quad.SetFromTexture(image);
        quad.Scale(1.5f, 1.5f);
        quad.Rotate(w / 2.0f, h / 2.0f, angle_);
        quad.Translate(centreX - w / 2.0f + offsetX, centreY - h / 2.0f + offsetY);
        quad.r = light.r;
        quad.g = light.g;
        quad.b = light.b;
        renderer->SetTexture(0, image);
        renderer->DrawQuad(&quad, alpha);
    };
    if (trunk_)
        draw(trunk_, 0.0f, 0.0f, 1.0f);
    float ox = 3.0f * std::cos(phase_), oy = 2.0f * std::cos(phase_);
    if (shakeTimer_ > 0.0f) {
        ox += shakeX_ * shakeStrength_ * shakeTimer_;
        oy += shakeY_ * shakeStrength_ * shakeTimer_;
    }
    draw(crown_, ox, oy, 0.7f);
}

void Window::DrawExtra()
{
    IRenderer* renderer = Services().renderer;
    ITexture* image = definition_ ? definition_->GetImage() : nullptr;
    if (broken_ || !image || !renderer)
        return;
    float cx, cy;
    ObjectView::CameraOffset(&cx, &cy);
    float w = float(image->GetWidth()), h = float(image->GetHeight());
    Quad quad;
    quad.SetFromTexture(image);
    quad.Rotate(w / 2.0f, h / 2.0f, angle_);
    quad.Translate(x_ - cx, y_ - cy);
    // Tinted like every object of the pass; its ambient is left alone,
    // or the trees drawn next would be darkened by the pane's light too.
    ObjectView::Light(&quad, x_ + w / 2.0f, y_ + h / 2.0f);
    renderer->SetTexture(0, image);
    renderer->DrawQuad(&quad, 1.0f);
}

void StartPoint::DrawExtra()
{
    IRenderer* renderer = Services().renderer;
    // The definition's picture is its team's.
    ITexture* image = definition_ ? definition_->GetImage() : nullptr;
    // Only in the editor, where no handler is active.
    if (!renderer || !image || ActiveHandler())
        return;
    float cx, cy;
    ObjectView::CameraOffset(&cx, &cy);
    Quad quad;
    quad.SetFromTexture(image);
    quad.Translate(x_ - cx, y_ - cy);
    renderer->SetTexture(0, image);
    renderer->DrawQuad(&quad, 1.0f);
}

void Weapon::Draw()
{
    if (!sprite_)
        return;
    sprite_->SetVisible(false);
    if (taken_ || !image_ || stale_ || !ObjectView::InView(x_, y_, 100.0f))
        return;
    float cx = x_ + image_->GetWidth() / 2.0f, cy = y_ + image_->GetHeight() / 2.0f;
    visibility_ = 1.0f;
    float px, py;
    if (ActiveHandler() && Services().contacts && Services().contacts->GetLocalPlayerPosition(&px, &py))
        visibility_ = GetLineOfSight(px, py, cx, cy);
    if (visibility_ < 1.0f)
        return;
    Quad quad;
    quad.SetFromTexture(image_);
    quad.Translate(x_, y_);
    ObjectView::Light(&quad, cx, cy);
    sprite_->SetVisible(true);
    sprite_->SetParams(x_, y_, 40.0f);
    sprite_->Set(&quad, height_ / 256.0f);
}

void Weapon::DrawShadowCaster(float lightX, float lightY, float extra)
{
    if (!taken_ && visibility_ >= 1.0f)
        Object::DrawShadowCaster(lightX, lightY, extra);
}

void Weapon::DrawUpperLayer(float viewX, float viewY, float extra, bool asShadow)
{
    if (taken_ || visibility_ < 1.0f)
        return;
    angle_ = 0.0f;
    Object::DrawUpperLayer(viewX, viewY, extra, asShadow);
}

void MissionItem::Draw()
{
    if (!sprite_)
        return;
    sprite_->SetVisible(false);
    ITexture* image = CurrentImage();
    if (stale_ || !image || !ObjectView::InView(x_, y_, 100.0f))
        return;
    float cx = x_ + image->GetWidth() / 2.0f, cy = y_ + image->GetHeight() / 2.0f;
    visibility_ = 1.0f;
    float px, py;
    if (Services().contacts && Services().contacts->GetLocalPlayerPosition(&px, &py))
        visibility_ = GetLineOfSight(px, py, cx, cy);
    if (visibility_ <= 0.01f)
        return;
    Quad quad;
    ShapeQuad(&quad, image);
    quad.Translate(x_, y_);
    ObjectView::Light(&quad, cx, cy);
    sprite_->SetVisible(true);
    sprite_->SetParams(x_, y_, 40.0f);
    sprite_->Set(&quad, height_ / 256.0f);
}

void MissionItem::DrawUpperLayer(float viewX, float viewY, float extra, bool asShadow)
{
    if (!carried_ && visibility_ > 0.01f)
        Object::DrawUpperLayer(viewX, viewY, extra, asShadow);
}

void DeadPlayer::Draw()
{
    if (sprite_)
        sprite_->SetVisible(false);
    if (pool_)
        pool_->SetVisible(false);
    if (stale_ || !ObjectView::InView(x_, y_, 200.0f))
        return;
    int frame = int(std::floor(age_ * 8.0f));
    frame = frame < 0 ? 0 : (frame > 7 ? 7 : frame);
    CommonMedia* media = Services().media;
    ITexture* poolImage = media ? media->bloodPools[variant_ < 0 || variant_ > 2 ? 0 : variant_] : nullptr;
    if (age_ > 2.0f && pool_ && poolImage) {
        Quad quad;
        quad.SetFromTexture(poolImage);
        quad.Translate(-32.0f, -32.0f);
        quad.Scale((age_ - 2.0f) * 0.25f, (age_ - 2.0f) * 0.25f);
        quad.Translate(x_, y_ - 5.0f);
        ObjectView::Light(&quad, x_, y_);
        pool_->SetVisible(true);
        pool_->SetParams(x_ - 32.0f, y_ - 32.0f, 64.0f);
        pool_->Set(&quad, height_ / 256.0f);
    }
    // The victim's team picks the picture; the handler knows it on every peer.
    IMultiplayerHandler* handler = ActiveHandler();
    int team = handler ? handler->GetPlayerTeam(VictimId()) : -1;
    // As a player is drawn: any team but the first is Russia.
    ITexture* body = media && team >= 0 ? media->deadBodies[team == 0 ? 0 : 1] : nullptr;
    if (sprite_ && body) {
        Quad quad;
        quad.SetFromTextureRect(body, frame * 64, 0, frame * 64 + 64, body->GetHeight());
        quad.Rotate(32.0f, 37.0f, angle_);
        quad.Translate(x_ - 32.0f, y_ - 37.0f);
        ObjectView::Light(&quad, x_, y_);
        sprite_->SetVisible(true);
        sprite_->SetParams(x_ - 32.0f, y_ - 32.0f, 64.0f);
        sprite_->Set(&quad, height_ / 256.0f);
    }
}

int32_t DeadPlayer::VictimId() const
{
    // The corpse carries only the low byte of its player's network id.
    if (ObjectManager* objects = Services().objects)
        for (Object* player : objects->Players())
            if (player && uint8_t(player->GetNetworkId()) == playerId)
                return player->GetNetworkId();
    return playerId;
}

void Mess::Draw()
{
    if (!sprite_)
        return;
    sprite_->SetVisible(false);
    CommonMedia* media = Services().media;
    if (stale_ || !media || !ObjectView::InView(x_, y_, 300.0f))
        return;
    Quad quad;
    if (variant == 1 && media->bloodPools[0]) {
        float s = (std::isfinite(scale) ? scale : 1.0f) * 1.5f;
        quad.SetFromTexture(media->bloodPools[0]);
        quad.Translate(-32.0f, -32.0f);
        quad.Scale(s, s);
        quad.Translate(x_, y_);
    } else if (variant >= 2 && variant <= 7 && media->fragmentWall) {
        int cell = (variant - 2) * 8;
        quad.SetFromTextureRect(media->fragmentWall, cell, 0, cell + 8, 8);
        quad.Scale(2.0f, 2.0f);
        quad.Rotate(8.0f, 8.0f, angle_);
        quad.Translate(x_ - 8.0f, y_ - 8.0f);
    } else {
        return;
    }
    ObjectView::Light(&quad, x_, y_);
    sprite_->SetVisible(true);
    sprite_->SetParams(x_ - 8.0f, y_ - 8.0f, 10.0f);
    sprite_->Set(&quad, 0.0f);
}

void BreakParticle::Update(float dt)
{
    if (age_ < 3.0f) {
        age_ += dt;
        if (age_ >= 3.0f)
            settled_ = 1;
    }
    // Positions from the network must be finite and on a sane range.
    if (count_ == 0 && x_ > 0.0f && y_ > 0.0f && x_ < 1.0e6f && y_ < 1.0e6f)
        Spawn();
    if (frozen_ || count_ == 0)
        return;
    bool moved = false;
    for (int i = 0; i < count_; ++i) {
        Particle& p = particles_[i];
        if (p.speed > 0.0f) {
            p.x += p.dirX * p.speed * dt * 35.0f;
            p.y += p.dirY * p.speed * dt * 35.0f;
            p.speed -= 15.0f * dt;
            if (p.speed < 0.0f)
                p.speed = 0.0f;
            moved = true;
        }
    }
    if (moved)
        drawn = true;
    else
        frozen_ = 1;
}

void PickupObject::Draw()
{
    if (!sprite_)
        return;
    sprite_->SetVisible(false);
    if (stale_ || !image_ || IsTaken() || !ObjectView::InView(x_, y_, 100.0f))
        return;
    float cx = x_ + image_->GetWidth() / 2.0f, cy = y_ + image_->GetHeight() / 2.0f;
    visibility_ = 1.0f;
    float px, py;
    if (Services().contacts && Services().contacts->GetLocalPlayerPosition(&px, &py))
        visibility_ = GetLineOfSight(px, py, cx, cy);
    if (visibility_ < 1.0f)
        return;
    Quad quad;
    quad.SetFromTexture(image_);
    quad.Translate(x_, y_);
    ObjectView::Light(&quad, cx, cy);
    sprite_->SetVisible(true);
    sprite_->SetParams(x_, y_, 40.0f);
    sprite_->Set(&quad, height_ / 256.0f);
}

void PickupObject::DrawUpperLayer(float viewX, float viewY, float extra, bool asShadow)
{
    if (!IsTaken() && visibility_ >= 1.0f)
        Object::DrawUpperLayer(viewX, viewY, extra, asShadow);
}

void Ammo::DrawUpperLayer(float viewX, float viewY, float extra, bool asShadow)
{
    if (IsTaken() || visibility_ < 1.0f)
        return;
    angle_ = 0.0f;
    Object::DrawUpperLayer(viewX, viewY, extra, asShadow);
}

void Door::Draw()
{
    if (sprite_)
        sprite_->SetVisible(false);
    if (doorstepSprite_)
        doorstepSprite_->SetVisible(false);
    if (stale_ || !definition_ || broken_ || !ObjectView::InView(x_, y_, 100.0f))
        return;
    float px = 0.0f, py = 0.0f;
    definition_->GetPivot(&px, &py);
    auto show = [&](ISprite* sprite, ITexture* image) {
        if (!sprite || !image)
            return;
        Quad quad;
        quad.SetFromTexture(image);
        quad.Rotate(px, py, angle_);
        quad.Translate(x_, y_);
        ObjectView::Light(&quad, x_, y_);
        sprite->SetVisible(true);
        sprite->SetParams(x_, y_, 100.0f);
        sprite->Set(&quad, height_ / 256.0f);
    };
    show(sprite_, doorstep_ ? doorstep_->GetImage() : nullptr);
    show(doorstepSprite_, definition_->GetImage());
}

void Door::DrawUpperLayer(float viewX, float viewY, float size, bool)
{
    World* world = Services().world;
    CameraPos* camera = Services().camera;
    if (!world || !leaf_ || !body_ || broken_)
        return;
    // The leaf casts like a wall from the light at this point of the view;
    // the sun's (size 0) reaches past the view's far corner.
    const float lx = (camera ? camera->x : 0.0f) + viewX, ly = (camera ? camera->y : 0.0f) + viewY;
    if (size <= 0.0f)
        size = kSunShadowSize;
    const Position& pose = body_->GetPose();
    const int n = leaf_->GetCount();
    for (int i = 0; i < n; ++i) {
        float a[2], b[2];
        leaf_->GetVertex(a, i, pose.x, pose.y, pose.cos, pose.sin);
        leaf_->GetVertex(b, (i + 1) % n, pose.x, pose.y, pose.cos, pose.sin);
        world->DrawShadowQuad(a[0], a[1], b[0], b[1], lx, ly, size);
    }
}

void Dust::Update(float)
{
    IObjectOutput* out = Services().output;
    if (out && type != 0 && std::isfinite(x_) && std::isfinite(y_) && std::isfinite(angle_))
        out->SpawnDust(x_, y_, angle_, type);
    // The puff is the particle system's now; a server announced the object
    // when it was made, so nothing needs it any longer.
    delete this;
}

void BreakParticle::Draw()
{
    if (!drawn || !texture_ || !ObjectView::InView(x_, y_, 300.0f))
        return;
    for (int i = 0; i < count_; ++i)
        if (particles_[i].sprite)
            particles_[i].sprite->SetPosition(particles_[i].x, particles_[i].y);
}
