// How a player shows on a client: sprites, visibility to the local viewer,
// flashlight, name tag. The dedicated server leaves this file out
// (PlayerDedicated.cpp).
#include "game/world/player/Player.h"

#include "engine/core/Random.h"
#include "engine/render/IRenderer.h"
#include "engine/render/ISprite.h"
#include "engine/render/ISpritePainter.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/CameraPos.h"
#include "game/world/state/IGameState.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kRadians = 3.1416f / 180.0f;
// A cell of the team icon sheets.
constexpr int kIconWidth = 11;
constexpr int kIconHeight = 32;

} // namespace

void Player::PlaceFlashlight(bool on)
{
    if (!flashlight_)
        return;
    flashlight_->SetEnabled(on);
    if (!on)
        return;
    const float a = angle_ * kRadians, ahead = (angle_ - 90.0f) * kRadians;
    flashlight_->SetPosition(x_ + std::cos(ahead) * 20.0f + std::cos(a) * 3.0f,
                             y_ + std::sin(ahead) * 20.0f + std::sin(a) * 3.0f);
    // The light passes turn a light's angle straight into its direction.
    flashlight_->SetAngle(angle_ - 90.0f);
}

int Player::CarriedFlagType()
{
    int type = 0;
    for (int i = 0; i < missionItems_.GetCount(); ++i) {
        const MissionItem* item = missionItems_.Get(i);
        if (!item)
            continue;
        if (item->GetType() == MissionItem::Finnish)
            return MissionItem::Finnish;
        if (item->GetType() == MissionItem::Russian)
            type = MissionItem::Russian;
    }
    return type;
}

float Player::ComputeVisibility()
{
    IMultiplayerHandler* handler = ActiveHandler();
    if (IsLocal())
        return 1.0f;
    const int32_t localId = handler ? handler->GetLocalPlayerId() : 0;
    ObjectManager* objects = Services().objects;
    Object* found = objects && localId != 0 ? objects->FindObject(localId) : nullptr;
    if (!found || found->GetKind() != ObjectKind::Player)
        return 0.0f;
    Player* viewer = static_cast<Player*>(found);
    if (viewer->team_ == team_ || viewer->team_ < 0 || !viewer->IsAlive())
        return 1.0f;
    const float vx = viewer->x_, vy = viewer->y_;
    const float sight = GetLineOfSight(vx, vy, x_, y_);
    if (!IsCrouching())
        return sight;
    // A crouching enemy shows past cover that one eye of three sees around.
    float nx = 0.0f, ny = 0.0f;
    const float dx = x_ - vx, dy = y_ - vy, length = std::hypot(dx, dy);
    if (length > 0.0001f)
        nx = -dy / length * 30.0f, ny = dx / length * 30.0f;
    float v = GetCoverVisibility(vx, vy, x_, y_) + GetCoverVisibility(vx + nx, vy + ny, x_, y_) +
              GetCoverVisibility(vx - nx, vy - ny, x_, y_);
    v = std::min(v, 1.0f);
    if (sight < 1.0f)
        v -= 1.0f - sight;
    return std::max(v, 0.0f);
}

namespace {

// The body picture's point that sits on the player's position.
constexpr float kPivotX = 32.0f, kPivotY = 37.0f;
const int kFinlandColour[3] = {151, 145, 253};
const int kRussiaColour[3] = {252, 81, 90};

using ObjectView::Channel;
using ObjectView::Pixel;

void Show(ISprite* sprite, Quad* quad, float x, float y, float size, float depth)
{
    sprite->SetVisible(true);
    sprite->SetParams(x, y, size);
    sprite->Set(quad, depth);
}

// Turned with the facing about the pivot, the pivot on (x, y).
void Pose(Quad* quad, float x, float y, float angle)
{
    quad->Rotate(kPivotX, kPivotY, angle);
    quad->Translate(x - kPivotX, y - kPivotY);
}

CommonMedia* Media() { return Services().media; }

// A picture packed into an atlas is drawn from the atlas.
void BindPicture(IRenderer* renderer, ITexture* picture)
{
    ITexture* atlas = picture->GetAtlas();
    renderer->BindTexture(0, atlas ? atlas : picture);
}

} // namespace

void Player::MakeDrawing()
{
    ISpritePainter* painter = Services().spritePainter;
    if (!painter || legsSprite_ || sprite_)
        return;
    // One order for all; the legs go first so that the body covers them.
    const int order = height_ + 1;
    legsSprite_ = painter->CreateSprite(order);
    sprite_ = painter->CreateSprite(order);
    weaponSprite_ = painter->CreateSprite(order);
    flashSprite_ = painter->CreateSprite(order);
    flagSprite_ = painter->CreateSprite(order);
    if (sprite_) {
        Quad quad;
        sprite_->Set(&quad, height_ / 256.0f);
    }
}

void Player::FreeDrawing()
{
    ISpritePainter* painter = Services().spritePainter;
    for (ISprite** sprite : {&legsSprite_, &weaponSprite_, &flashSprite_, &flagSprite_}) {
        if (*sprite && painter)
            painter->DestroySprite(*sprite);
        *sprite = nullptr;
    }
}

void Player::Draw()
{
    ISprite* const sprites[] = {sprite_, legsSprite_, weaponSprite_, flashSprite_, flagSprite_};
    for (ISprite* sprite : sprites)
        if (!sprite)
            return;
    for (ISprite* sprite : sprites)
        sprite->SetVisible(false);
    PlaceFlashlight(false);
    if ((stateFlags_ & InVehicle) || stale_ || !IsAlive())
        return;
    if (ActiveHandler())
        visibility_ = ComputeVisibility();
    PlaceFlashlight(visibility_ > 0.01f && (stateFlags_ & FlashlightOn));
    if (visibility_ <= 0.01f)
        return;
    if (IsUnderWater()) {
        if (!IsLocal())
            return;
        visibility_ = 0.5f;
    }
    CommonMedia* media = Media();
    ITexture* body = media ? media->playerBodies[(team_ == 0 ? 0 : 2) + (IsCrouching() ? 1 : 0)] : nullptr;
    if (!body)
        return;
    float r = 1.0f, g = 1.0f, b = 1.0f;
    if (World* world = Services().world)
        world->GetFloorTintAt(Pixel(x_), Pixel(y_), &r, &g, &b);
    const float depth = height_ / 256.0f;
    auto tint = [&](Quad* quad) {
        quad->r = Channel(r);
        quad->g = Channel(g);
        quad->b = Channel(b);
    };
    Quad quad;
    quad.SetFromTexture(body);
    Pose(&quad, x_, y_, angle_);
    tint(&quad);
    if (visibility_ < 0.9f) {
        // A half-seen enemy is a shade: no legs, weapon, flash or flag.
        quad.a = Channel(visibility_);
        Show(sprite_, &quad, x_, y_, 32.0f, depth);
        return;
    }
    Show(sprite_, &quad, x_, y_, 32.0f, depth);

    float water;
    const bool strafing = strafing_;
    ITexture* legs = nullptr;
    if (!GetWater(&water)) {
        // The strafing strip by the side the player moves to.
        const float a = angle_ * kRadians;
        const bool toRight = velocityX_ * std::cos(a) + velocityY_ * std::sin(a) > 0.0f;
        legs = media->playerLegs[strafing ? (toRight ? 2 : 1) : 0];
    }
    const int frames = strafing ? 8 : 7;
    if (legs && legs->GetWidth() >= 64) {
        int frame = std::isfinite(walkPhase_) ? int(walkPhase_) : 0;
        frame = std::max(0, std::min({frame, frames - 1, legs->GetWidth() / 64 - 1}));
        quad.SetFromTextureRect(legs, frame * 64, 0, frame * 64 + 64, std::min(legs->GetHeight(), 64));
        Pose(&quad, x_, y_, angle_);
        tint(&quad);
        Show(legsSprite_, &quad, x_, y_, 40.0f, depth);
    }

    const WeaponTable* weapons = Services().weapons;
    const WeaponDef* weapon = weapons ? weapons->FindWeapon(currentWeapon_) : nullptr;
    ITexture* held = weapon ? weapon->characterImage : nullptr;
    const int row = weapon ? weapon->characterRow : 0;
    if (held && row >= 0 && row < held->GetHeight() / 64) {
        quad.SetFromTextureRect(held, 0, row * 64, 64, row * 64 + 64);
        Pose(&quad, x_, y_, angle_);
        tint(&quad);
        Show(weaponSprite_, &quad, x_, y_, 40.0f, depth);
    }

    ITexture* flash = media->muzzleFlash;
    if ((stateFlags_ & Firing) && muzzleFlashTimer_ > 0.0f && flash) {
        if (muzzleFlashFrame_ < 0 || muzzleFlashFrame_ > 3)
            muzzleFlashFrame_ = Util::Random() % 4;
        const int left = muzzleFlashFrame_ * 32;
        if (left + 32 <= flash->GetWidth()) {
            quad.SetFromTextureRect(flash, left, 0, left + 32, flash->GetHeight());
            quad.Translate(29.0f, -31.0f);
            Pose(&quad, x_, y_, angle_);
            tint(&quad);
            Show(flashSprite_, &quad, x_, y_, 60.0f, depth);
        }
    }

    const int flagType = CarriedFlagType();
    ITexture* flag = flagType ? media->carriedFlags[flagType == MissionItem::Finnish ? 0 : 1] : nullptr;
    if (flag) {
        quad.SetFromTexture(flag);
        quad.Translate(x_ - 25.0f, y_ - 27.0f);
        tint(&quad);
        Show(flagSprite_, &quad, x_, y_, 60.0f, depth);
    }
}

void Player::DrawNameTag()
{
    IRenderer* renderer = Services().renderer;
    IMultiplayerHandler* handler = ActiveHandler();
    if (!renderer || !handler || !sprite_ || !sprite_->IsVisible())
        return;
    CameraPos* camera = Services().camera;
    IGameState* game = Services().game;
    const float scale = game ? game->GetViewScale() : 1.0f;
    const float sx = x_ - (camera ? camera->x : 0.0f), sy = y_ - (camera ? camera->y : 0.0f);
    int mx = 0, my = 0;
    renderer->GetMousePosition(&mx, &my);
    if (!(std::fabs(mx * scale - sx) < 40.0f && std::fabs(my * scale - sy) < 40.0f))
        return;
    const char16_t* name = handler->GetPlayerName(GetNetworkId());
    const int x = Pixel(sx - kPivotX), y = Pixel(sy - kPivotY);
    const int* colour = team_ == 0 ? kFinlandColour : kRussiaColour;
    CommonMedia* media = Media();
    ITexture* ranks = media ? media->teamIcons[team_ == 0 ? 0 : 1] : nullptr;
    if (name && name[0]) {
        Quad box;
        box.SetSize(70, 11);
        box.Translate(float(x), float(y));
        renderer->FillQuad(&box, 0, 0.4f);
        renderer->DrawRect(x, y, x + 70, y + 11, colour[0], colour[1], colour[2]);
        renderer->DrawSmallText(x + (ranks ? 13 : 2), y, name);
        const float h = std::isfinite(health_) ? std::max(0.0f, std::min(health_ / 100.0f, 1.0f)) : 0.0f;
        const float length = 68.0f * h;
        if (length > 0.0f) {
            const int red = int((1.0f - h) * 240.0f), green = int(h * 222.0f + (1.0f - h) * 16.0f),
                      blue = int(h * 78.0f + (1.0f - h) * 16.0f);
            for (int line : {12, 13})
                renderer->DrawLine(float(x + 1), float(y + line), x + 1 + length, float(y + line), red, green, blue);
        }
    }
    renderer->SetAlphaBlend();
    DrawPlayerIcon(GetNetworkId(), x, y);
}

void Player::DrawShadowCaster(float lightX, float lightY, float)
{
    IRenderer* renderer = Services().renderer;
    CommonMedia* media = Media();
    if (!renderer || !media || IsUnderWater() || (stateFlags_ & InVehicle) || !IsAlive() || team_ < 0 ||
        visibility_ <= 0.01f)
        return;
    ITexture* body = media->playerBodies[(team_ == 0 ? 0 : 2) + (IsCrouching() ? 1 : 0)];
    if (!body)
        return;
    CameraPos* camera = Services().camera;
    BindPicture(renderer, body);
    renderer->DrawObjectShadow(x_ - (camera ? camera->x : 0.0f) - kPivotX, y_ - (camera ? camera->y : 0.0f) - kPivotY,
                               32.0f, 37.0f, angle_, lightX - 128.0f, lightY - 128.0f, 256.0f);
}

void Player::DrawUpperLayer(float, float, float, bool)
{
    IRenderer* renderer = Services().renderer;
    CommonMedia* media = Media();
    if (!renderer || !media || (stateFlags_ & InVehicle) || !IsAlive() || team_ < 0 || visibility_ <= 0.01f)
        return;
    ITexture* body = media->playerBodies[(team_ == 0 ? 0 : 2) + (IsCrouching() ? 1 : 0)];
    if (!body)
        return;
    CameraPos* camera = Services().camera;
    BindPicture(renderer, media->playerOverlay ? media->playerOverlay : body);
    renderer->DrawPlayerExtra(x_ - (camera ? camera->x : 0.0f) - kPivotX + 15.0f,
                              y_ - (camera ? camera->y : 0.0f) - kPivotY + 15.0f, 32.0f, angle_);
}

void DrawPlayerIcon(int networkId, int dx, int dy)
{
    IRenderer* renderer = Services().renderer;
    CommonMedia* media = Services().media;
    ObjectManager* objects = Services().objects;
    Object* object = objects ? objects->FindObject(networkId) : nullptr;
    if (!renderer || !media || !object || object->GetKind() != ObjectKind::Player)
        return;
    const Player* player = static_cast<Player*>(object);
    ITexture* sheet = media->teamIcons[player->GetTeam() == 0 ? 0 : 1];
    const int left = kIconWidth * player->GetRank();
    if (!sheet || left + kIconWidth > sheet->GetWidth())
        return;
    Quad icon;
    icon.SetFromTextureRect(sheet, left, 0, left + kIconWidth, kIconHeight);
    icon.Translate(float(dx), float(dy));
    renderer->SetTexture(0, sheet);
    renderer->DrawQuad(&icon, 1.0f);
}
