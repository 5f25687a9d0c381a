#include "engine/net/IConnection.h"
#include "game/world/arms/WeaponFire.h"
#include "game/world/geometry/TileSize.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/player/Player.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/IGameState.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kRadians = 3.1416f / 180.0f;

GameMod* Mode()
{
    IGameState* game = Services().game;
    return game ? game->GetGameMode() : nullptr;
}

bool GameOver()
{
    GameMod* mode = Mode();
    return mode && mode->IsGameOver();
}

const WeaponDef* Weapon(int id)
{
    const WeaponTable* table = Services().weapons;
    return table ? table->FindWeapon(id) : nullptr;
}

bool Finite(float a, float b) { return std::isfinite(a) && std::isfinite(b); }

} // namespace

bool Player::GetWater(float* factor)
{
    World* world = Services().world;
    *factor = 1.0f;
    if (!world || !Finite(x_, y_))
        return false;
    return world->GetWaterAt(int(x_), int(y_), factor);
}

bool Player::IsUnderWater()
{
    float factor;
    return IsCrouching() && GetWater(&factor) && factor <= 0.6f;
}

void Player::GetMoveVector(float* vx, float* vy)
{
    float x = 0.0f, y = 0.0f;
    if (inputFlags_ & PlayerInputFlags::Left)
        x = -1.0f;
    if (inputFlags_ & PlayerInputFlags::Right)
        x += 1.0f;
    if (inputFlags_ & PlayerInputFlags::Up)
        y = -1.0f;
    if (inputFlags_ & PlayerInputFlags::Down)
        y += 1.0f;
    if (stateFlags_ & RelativeMoving) {
        float c = std::cos(angle_ * kRadians), s = std::sin(angle_ * kRadians);
        // Facing the lower half, the sideways keys keep their screen side.
        if (c < 0.0f)
            c = -c, s = -s;
        const float a = angle_ * kRadians;
        float nx = x * c - y * std::sin(a);
        float ny = x * s + y * std::cos(a);
        x = nx, y = ny;
    }
    const float length = std::hypot(x, y);
    if (length > 0.001f)
        x /= length, y /= length;
    float speed = kWalkSpeed;
    if (IsCrouching())
        speed = kWalkSpeed * kCrouchFactor;
    else if (inputFlags_ & PlayerInputFlags::Sprint)
        speed = kSprintSpeed;
    *vx = x * speed;
    *vy = y * speed;
}

void Player::ApplyMove(float vx, float vy, float dt, bool record)
{
    float factor;
    if (GetWater(&factor))
        vx *= factor, vy *= factor;
    if (record) {
        velocityX_ = lastMoveX_ = vx;
        velocityY_ = lastMoveY_ = vy;
    }
    if (vx == 0.0f && vy == 0.0f)
        return;
    float dx = vx * dt, dy = vy * dt;
    Sweep(&dx, &dy);
    if (record)
        lastMoveX_ = dx, lastMoveY_ = dy;
}

void Player::Sweep(float* dx, float* dy)
{
    const float startX = x_, startY = y_;
    PhysEng::PhysicsEngine* physics = Services().physics;
    World* world = Services().world;
    if (!Finite(*dx, *dy) || !Finite(x_, y_)) {
        *dx = *dy = 0.0f;
        return;
    }
    PhysEng::IntersectionPacket* packet = physics ? physics->NewPacket() : nullptr;
    float stepX = *dx, stepY = *dy;
    // The step, then what the contact leaves of it along the wall; the body
    // that stopped the step is skipped by the slide (the packet keeps it).
    for (int pass = 0; pass < 2 && (stepX != 0.0f || stepY != 0.0f); ++pass) {
        if (world) {
            const float maxX = std::max(16.0f, float(world->GetWidth()) * kTileSize - 16.0f);
            const float maxY = std::max(16.0f, float(world->GetHeight()) * kTileSize - 16.0f);
            stepX = std::clamp(x_ + stepX, 16.0f, maxX) - x_;
            stepY = std::clamp(y_ + stepY, 16.0f, maxY) - y_;
        }
        float slideX = 0.0f, slideY = 0.0f;
        if (packet)
            physics->MoveCircle(x_, y_, &stepX, &stepY, kBodyRadius, true, false, false, &slideX, &slideY, packet);
        x_ += stepX, y_ += stepY;
        if (!packet || !packet->hit)
            break;
        stepX = slideX, stepY = slideY;
    }
    *dx = x_ - startX, *dy = y_ - startY;
}

bool Player::IsStrafeStep(float dx, float dy, float* sign)
{
    const float length = std::hypot(dx, dy);
    const float ux = dx / length, uy = dy / length;
    const float a = angle_ * kRadians;
    const float forward = ux * std::sin(a) - uy * std::cos(a);
    const float across = ux * std::cos(a) + uy * std::sin(a);
    if (std::fabs(across) > 0.8f) {
        *sign = forward;
        return true;
    }
    *sign = across;
    return false;
}

void Player::AnimateWalk(float dx, float dy)
{
    const float length = std::hypot(dx, dy);
    if (!(length >= 0.0001f)) {
        walkPhase_ = 0.0f;
        return;
    }
    float sign;
    strafing_ = IsStrafeStep(dx, dy, &sign);
    walkPhase_ += sign > 0.0f ? 0.1f * length : -0.1f * length;
    const float frames = strafing_ ? 8.0f : 7.0f;
    if (walkPhase_ > frames)
        walkPhase_ -= frames;
    if (walkPhase_ < 0.0f)
        walkPhase_ += frames;
    if (walkPhase_ < 0.0f)
        walkPhase_ = frames;
    if (walkPhase_ > frames)
        walkPhase_ = 0.0f;
}

float Player::GetDispersion()
{
    if (IsCrouching())
        return dispersion_ * 0.5f;
    if (inputFlags_ & PlayerInputFlags::Sprint)
        return dispersion_ * 2.0f;
    return dispersion_;
}

void Player::AddDispersion(float amount, float cap)
{
    dispersion_ += IsCrouching() ? amount * 0.6f : amount;
    dispersion_ = std::max(std::min(dispersion_, cap), 0.0f);
}

void Player::SetDispersion(float crouchValue, float standValue, float movingValue)
{
    dispersion_ = IsCrouching() ? crouchValue : standValue;
    if (IsAlive() && (inputFlags_ & PlayerInputFlags::Movement))
        dispersion_ = movingValue;
}

bool Player::CanFire(int* shots, int weaponId)
{
    if (!IsServing() || IsUnderWater() || reloadTimer_ > 0.0f)
        return false;
    Inventory::WeaponEntry* entry = inventory_.FindWeapon(weaponId, false);
    if (!entry || entry->clip < 1)
        return false;
    // No charge is placed beside a flag.
    if ((entry->type == 2 || entry->type == 3) && !IsPlaceFree(x_, y_, 300.0f, ObjectKind::MissionItem, nullptr))
        return false;
    *shots = std::min(*shots, entry->clip);
    return *shots >= 1;
}

void Player::SpendAmmo(int shots, int weaponId)
{
    if (Inventory::WeaponEntry* entry = inventory_.FindWeapon(weaponId, false))
        entry->clip = std::max(entry->clip - shots, 0);
    SendWeaponUpdate(weaponId);
    reloadRequested_ = false;
}

void Player::StartMuzzleFlash()
{
    muzzleFlashTimer_ = 0.1f;
    // The drawing picks the frame, so a shot on a serving machine draws no
    // number it never shows.
    muzzleFlashFrame_ = -1;
}

void Player::RequestThrow(int power)
{
    if (!IsAlive())
        return;
    throwTimer_ = 0.001f;
    throwPower_ = std::clamp(power, 0, 255);
    throwWeapon_ = currentExplosive_;
}

void Player::ReadClientState()
{
    MPAPI::IConnection* c = connection_;
    inputFlags_ = uint32_t(c->GetClientFlags());
    // The client's report is untrusted: a bad number or a weapon it does
    // not carry is dropped, a position is kept on the map.
    const float facing = c->GetClientValue();
    if (std::isfinite(facing))
        angle_ = std::fmod(facing, 360.0f);
    float x = c->GetClientX(), y = c->GetClientY();
    if (Finite(x, y)) {
        if (World* world = Services().world) {
            x = std::clamp(x, 0.0f, float(world->GetWidth()) * kTileSize);
            y = std::clamp(y, 0.0f, float(world->GetHeight()) * kTileSize);
        }
        if (!positionCorrection_) {
            x_ = x, y_ = y;
        } else if (std::fabs(x - x_) <= 10.0f && std::fabs(y - y_) <= 10.0f) {
            x_ = x, y_ = y;
            positionCorrection_ = false;
        }
    }
    const int weapon = c->GetClientIntA();
    if (weapon == -1 || Carries(weapon))
        currentWeapon_ = weapon;
    const int explosive = c->GetClientIntB();
    if (explosive == -1 || Carries(explosive))
        currentExplosive_ = explosive;
    float u = 0.0f, v = 0.0f;
    c->GetClientPoint(&u, &v);
    if (Finite(u, v))
        aimX_ = u, aimY_ = v;
}

void Player::UpdateDead(float dt)
{
    throwTimer_ = 0.0f;
    velocityX_ = velocityY_ = lastMoveX_ = lastMoveY_ = 0.0f;
    if (inputFlags_ & PlayerInputFlags::LookAround)
        stateFlags_ |= LookingAround;
    deathTimer_ += dt;
    GameMod* mode = Mode();
    if (deathTimer_ >= kRespawnDelay && (inputFlags_ & PlayerInputFlags::Respawn) && team_ >= 0 &&
        (!mode || mode->CanRespawn(this))) {
        ResetForSpawn();
        if (mode)
            mode->SpawnPlayer(this);
    }
    reloadTimer_ = 0.0f;
    reloadRequested_ = false;
}

void Player::UpdateClipChange(float dt)
{
    const WeaponTable* table = Services().weapons;
    int ammo = 0, clip = 0;
    if (table && inventory_.GetWeaponAmmo(currentWeapon_, &ammo, &clip) && clip != -1 &&
        (clip < 1 || (inputFlags_ & PlayerInputFlags::Reload) || reloadRequested_) && reloadTimer_ <= 0.0f) {
        reloadRequested_ = false;
        if (ammo >= 1 && clip < table->GetClipSize(currentWeapon_)) {
            const float time = table->GetClipChangeTime(currentWeapon_);
            // An instant clip change still completes, in this very update.
            reloadTimer_ = std::max(time, 1e-6f);
            reloadRequested_ = true;
            reloadingWeapon_ = currentWeapon_;
            if (const WeaponDef* def = Weapon(currentWeapon_))
                PlayReloadSound(*def);
            IGameState* game = Services().game;
            if (IsLocal() && game)
                game->StartCountdown(time);
            else if (connection_ && ActiveHandler()) {
                GamePacket& p = ActiveHandler()->Outgoing();
                GameMessages::WriteCountdown(p, time);
                p.Send(connection_);
            }
        }
    }
    if (table && inventory_.GetWeaponAmmo(currentExplosive_, &ammo, &clip) && clip != -1 && clip < 1 &&
        reloadTimer_ <= 0.0f && ammo >= 1 && clip < table->GetClipSize(currentExplosive_)) {
        reloadTimer_ = std::max(table->GetClipChangeTime(currentExplosive_), 1e-6f);
        reloadRequested_ = false;
        reloadingWeapon_ = currentExplosive_;
    }
    if (reloadTimer_ <= 0.0f)
        return;
    reloadTimer_ -= dt;
    if (reloadTimer_ > 0.0f)
        return;
    reloadTimer_ = 0.0f;
    Inventory::WeaponEntry* entry = inventory_.FindWeapon(reloadingWeapon_, false);
    const WeaponDef* def = Weapon(reloadingWeapon_);
    if (!entry || !def)
        return;
    int missing = def->clip - entry->clip;
    if (def->clipChangeMode == 1) {
        // Round by round, so that a held request keeps loading.
        if (missing < 2)
            reloadRequested_ = false;
        missing = std::min(missing, 1);
    }
    Inventory::AmmoEntry* stock = inventory_.FindAmmo(entry->ammoType);
    const int moved = stock ? std::min(missing, stock->amount) : 0;
    if (moved >= 1) {
        entry->clip += moved;
        stock->amount -= moved;
        SendWeaponUpdate(reloadingWeapon_);
    }
}

void Player::UpdateShooting()
{
    if (!(inputFlags_ & PlayerInputFlags::Shoot)) {
        stateFlags_ &= uint16_t(~Firing);
        dryFireLatch_ = false;
        return;
    }
    float aimDistance = 0.0f;
    if (inputFlags_ & PlayerInputFlags::Aiming)
        aimDistance = std::hypot(aimX_ - x_, aimY_ - y_);
    const WeaponDef* def = Weapon(currentWeapon_);
    int shots = 1;
    if (def && def->type == 8) {
        RemoveDetonator();
        DetonateRemoteCharges(this);
    } else if (def && CanFire(&shots, currentWeapon_)) {
        FireWeapon(this, currentWeapon_, 0, aimDistance);
        stateFlags_ |= Firing;
        const WeaponTable* table = Services().weapons;
        if (def->type == 3 && table) {
            for (int i = 0; i < table->GetWeaponCount(); ++i) {
                const WeaponDef* detonator = table->GetWeaponAt(i);
                if (detonator->type != 8)
                    continue;
                if (!Carries(detonator->id)) {
                    inventory_.SetWeapon(detonator->id, 0, 0);
                    SendWeaponUpdate(detonator->id);
                }
                break;
            }
        }
    } else {
        stateFlags_ &= uint16_t(~Firing);
    }
    int ammo = 0, clip = 0;
    if (!dryFireLatch_ && def && def->type != 2 && def->type != 3 &&
        inventory_.GetWeaponAmmo(currentWeapon_, &ammo, &clip) && clip < 1 && ammo < 1) {
        if (IObjectOutput* out = Services().output)
            out->PlayNamed(u"weapons/empty_shot.ogg", x_, y_, 20.0f);
        dryFireLatch_ = true;
    }
}

void Player::UpdateDispersion(float dt)
{
    const float turned = std::fabs(previousAngle_ - angle_);
    if (turned > 0.0f && std::isfinite(turned)) {
        float rate = 100.0f * turned * (IsCrouching() ? 0.6f : 1.0f) + 20.0f * dt;
        rate = std::min(rate, 60.0f);
        dispersion_ = std::min(dispersion_ + dt * rate, 5.0f);
    }
    previousAngle_ = angle_;
    float factor;
    const bool lowWater = GetWater(&factor) && factor <= 0.6f;
    const WeaponDef* def = Weapon(currentWeapon_);
    if (IsAlive() && !IsCrouching() && !lowWater && def && (def->dispersion[3] > 0.001f || def->dispersion[4] > 0.001f))
        dispersion_ = (inputFlags_ & PlayerInputFlags::Movement) ? def->dispersion[4] : def->dispersion[0];
    if ((stateFlags_ & Firing) && reloadTimer_ <= 0.0f) {
        dispersionFactor_ = 2.0f;
        return;
    }
    dispersion_ = std::max(dispersion_ - 20.0f * dt, 0.0f);
    dispersionFactor_ = 1.0f;
}

void Player::Breathe(float dt)
{
    if (IsUnderWater()) {
        breath_ -= 10.0f * dt;
        if (breath_ <= 0.0f) {
            breath_ = 0.0f;
            TakeDrowningDamage(dt);
        }
    } else {
        breath_ = std::min(breath_ + 100.0f * dt / 7.0f, 100.0f);
    }
}

void Player::MoveOwnPlayer(float dt, bool serving)
{
    if (team_ < 0 || (!IsAlive() && (stateFlags_ & LookingAround))) {
        // A spectator, or the dead looking around, flies over the map.
        const float step = 500.0f * dt;
        if (inputFlags_ & PlayerInputFlags::Left)
            x_ -= step;
        if (inputFlags_ & PlayerInputFlags::Right)
            x_ += step;
        if (inputFlags_ & PlayerInputFlags::Up)
            y_ -= step;
        if (inputFlags_ & PlayerInputFlags::Down)
            y_ += step;
        if (World* world = Services().world) {
            x_ = std::clamp(x_, 0.0f, float(world->GetWidth()) * kTileSize);
            y_ = std::clamp(y_, 0.0f, float(world->GetHeight()) * kTileSize);
        }
    } else if (!serving && IsAlive() && !(stateFlags_ & InVehicle) && !GameOver()) {
        // The client's prediction of its own player.
        float vx, vy;
        GetMoveVector(&vx, &vy);
        AnimateWalk(vx * dt, vy * dt);
        ApplyMove(vx, vy, dt, false);
    }
}

void Player::CountAliveTime(float dt)
{
    aliveTimer_ += dt;
    while (aliveTimer_ >= 60.0f) {
        aliveTimer_ -= 60.0f;
        if (scores_)
            ScoreAlive();
    }
}

void Player::ApplyActionKeys()
{
    if (inputFlags_ & PlayerInputFlags::Drop) {
        if (!dropLatch_)
            DropWeapon(-1);
        dropLatch_ = true;
    } else {
        dropLatch_ = false;
    }
    if (inputFlags_ & PlayerInputFlags::Remote) {
        // Only the press that finds a detonator tells the client anything.
        if (Carries(DetonatorId()))
            RemoveDetonator();
        DetonateRemoteCharges(this);
    }
    if (inputFlags_ & PlayerInputFlags::Crouch)
        stateFlags_ |= Crouching;
    else
        stateFlags_ &= uint16_t(~Crouching);
    if (inputFlags_ & PlayerInputFlags::Light) {
        if (!lightLatch_)
            stateFlags_ ^= FlashlightOn;
        lightLatch_ = true;
    } else {
        lightLatch_ = false;
    }
}

void Player::UpdateThrow(float dt)
{
    if (throwTimer_ > 0.0f) {
        throwTimer_ -= dt;
        if (throwTimer_ <= 0.0f) {
            FireWeapon(this, throwWeapon_, throwPower_, 0.0f);
            throwTimer_ = 0.0f;
            throwPower_ = throwWeapon_ = 0;
        }
    }
}

void Player::ApplyServerRules(float dt)
{
    AnimateWalk(velocityX_ * dt, velocityY_ * dt);
    if (connection_)
        ReadClientState();
    if (vehicle_)
        stateFlags_ |= InVehicle;
    else
        stateFlags_ &= uint16_t(~InVehicle);
    if (health_ <= 0.0f) {
        UpdateDead(dt);
        Object::Update(dt);
        return;
    }
    stateFlags_ &= uint16_t(~LookingAround);
    if (GameOver())
        return;
    CountAliveTime(dt);
    if (stateFlags_ & InVehicle) {
        velocityX_ = velocityY_ = lastMoveX_ = lastMoveY_ = 0.0f;
        return;
    }
    ApplyActionKeys();
    UpdateThrow(dt);
    UpdateClipChange(dt);
    UpdateShooting();
    if (inputFlags_ & PlayerInputFlags::Throw) {
        int one = 1;
        if (!grenadeArmed_ && CanFire(&one, currentExplosive_))
            grenadeArmed_ = true;
    }
    float vx, vy;
    GetMoveVector(&vx, &vy);
    ApplyMove(vx, vy, dt, true);
    if (fireCooldown_ > 0.0f)
        fireCooldown_ -= dt;
    UpdateDispersion(dt);
    Object::Update(dt);
}

void Player::Update(float dt)
{
    if (!std::isfinite(dt) || dt < 0.0f)
        return;
    const bool serving = IsServing();
    if (serving)
        ScoreTicks(dt);
    if (muzzleFlashTimer_ > 0.0f)
        muzzleFlashTimer_ = std::max(muzzleFlashTimer_ - dt, 0.0f);
    Breathe(dt);
    if (IsLocal())
        MoveOwnPlayer(dt, serving);
    else if (!serving)
        AnimateWalk(velocityX_ * dt, velocityY_ * dt);
    if (serving)
        ApplyServerRules(dt);
    else
        Object::Update(dt);
}

void Player::ClientUpdate(float dt)
{
    if (GameOver() || !IsAlive() || !std::isfinite(dt))
        return;
    if (fireCooldown_ > 0.0f)
        fireCooldown_ -= dt;
    const WeaponDef* def = Weapon(currentWeapon_);
    if (fireCooldown_ <= 0.0f && (stateFlags_ & Firing) && def) {
        // The server's sounds arrive by replication; only the look is local.
        if (def->type != 1 && def->type != 3 && !def->hasProjectile) {
            fireCooldown_ = float(def->shotInterval) / 1000.0f;
            if (def->type != 2 && def->type != 4)
                StartMuzzleFlash();
        }
        dispersionFactor_ = 2.0f;
    } else {
        dispersionFactor_ = 1.0f;
    }
}
