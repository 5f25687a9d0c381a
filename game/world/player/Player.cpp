#include "game/world/player/Player.h"

#include "engine/core/Random.h"
#include "engine/web/IPlayerScores.h"
#include "game/world/arms/Vehicle.h"
#include "game/world/arms/WeaponFire.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/WorldEffects.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/IGameState.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>
#include <cmath>

namespace {

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

} // namespace

Player::Player() : Object(ObjectKind::Player, -1), inventory_(Services().weapons, Services().engine)
{
    health_ = 100.0f;
}

Player::~Player()
{
    // While the registry clears it deletes every light itself, this one too.
    ObjectManager* objects = Services().objects;
    if (flashlight_ && !(objects && objects->IsClearing()))
        delete flashlight_;
    FreeDrawing();
    inventory_.Clear();
    if (vehicle_)
        vehicle_->ReleaseOccupant(this);
    missionItems_.Clear();
}

const MPAPI::FieldRecord* Player::GetFieldTable()
{
    // Every instance has the same layout, so the first one gives the offsets.
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldVector, OffsetOf(&x_), 0, 0, OffsetOf(&positionCorrection_)},
        {MPAPI::kFieldVector, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldVector, OffsetOf(&velocityX_), 0, 0, 0},
        {MPAPI::kFieldVector, OffsetOf(&velocityY_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldInt32, OffsetOf(&team_), 0, 0, 0},
        {MPAPI::kFieldInt16, OffsetOf(&stateFlags_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&health_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&armour_), 0, 0, 0},
        {MPAPI::kFieldInt32, OffsetOf(&currentWeapon_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&dispersion_), 0, 0, 0},
        {MPAPI::kFieldInt16, OffsetOf(&frags_), 0, 0, 0},
        {MPAPI::kFieldInt16, OffsetOf(&deaths_), 0, 0, 0},
        {MPAPI::kFieldByte, OffsetOf(&rank_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void Player::LoadProperties()
{
    Object::LoadProperties();
    // A client makes its players on the receive thread; the weapon table
    // is the one the game thread holds now.
    inventory_.SetWeaponTable(Services().weapons);
    height_ = 10;
    if (!flashlight_) {
        flashlight_ = static_cast<Light*>(CreateLight(x_, y_));
        if (flashlight_) {
            flashlight_->SetAngle(angle_);
            flashlight_->SetSize(500.0f);
            flashlight_->SetPower(1.4f);
            flashlight_->SetType(1);
            flashlight_->SetEnabled(false);
        }
    }
    MakeDrawing();
}

void Player::SetPosition(float x, float y)
{
    Object::SetPosition(x, y);
    positionCorrection_ = true;
}

void Player::SetInputState(uint32_t flags, float, int, int, float) { inputFlags_ = flags; }

void Player::SetNetPosition(float x, float y, float dx, float dy)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(dx) || !std::isfinite(dy))
        return;
    // Smoothed toward the replicated place through the sweep, not jumped.
    float mx = x + dx - x_, my = y + dy - y_;
    Sweep(&mx, &my);
}

void Player::SetJoinFlag(int value)
{
    if (value == 1)
        stateFlags_ |= RelativeMoving;
    else
        stateFlags_ &= uint16_t(~RelativeMoving);
}

void Player::ResetForSpawn()
{
    deathTimer_ = 0.0f;
    health_ = 100.0f;
    breath_ = 100.0f;
    armour_ = 0.0f;
    drowningTimer_ = 0.0f;
}

void Player::GiveAllAmmo()
{
    for (const Inventory::WeaponEntry& w : inventory_.GetWeapons())
        if (Inventory::WeaponEntry* entry = inventory_.FindWeapon(w.id, false))
            entry->clip = 999;
    for (const Inventory::AmmoEntry& a : inventory_.GetAmmo())
        if (Inventory::AmmoEntry* entry = inventory_.FindAmmo(a.ammoType))
            entry->amount = 999;
}

void Player::SetArmour(float armour) { armour_ = std::clamp(armour, 0.0f, 100.0f); }

bool Player::IsLocal()
{
    IMultiplayerHandler* handler = ActiveHandler();
    return handler && handler->GetLocalPlayerId() != 0 && handler->GetLocalPlayerId() == GetNetworkId();
}

void Player::ApplyArmour(float damage, float share)
{
    if (armour_ > 0.0f) {
        float taken = share * damage;
        if (armour_ >= taken) {
            armour_ -= taken;
            health_ -= damage - taken;
        } else {
            health_ -= damage - armour_;
            armour_ = 0.0f;
        }
    } else {
        health_ -= damage;
    }
    health_ = std::min(health_, 100.0f);
}

void Player::TakeBulletDamage(float damage, float direction, Object* attacker, float hitX, float hitY, bool headShot,
                              int weaponId)
{
    if (!IsServing() || !IsAlive() || GameOver() || !std::isfinite(damage))
        return;
    ApplyArmour(damage, 0.8f);
    if (health_ <= 0.0f) {
        Kill(attacker, headShot, weaponId, false);
        health_ = 0.0f;
    }
    if (IMultiplayerHandler* handler = ActiveHandler()) {
        GamePacket& p = handler->Outgoing();
        const float v[3] = {hitX, hitY, direction};
        GameMessages::WriteFloats(p, GameMessage::Blood, v, 3);
        handler->Broadcast(&p, nullptr);
    }
}

void Player::TakeBlastDamage(float blastX, float blastY, float amount, int32_t ownerId, int32_t weaponId)
{
    // Ids come whole: a server's ids reach past what a float holds exactly.
    ObjectManager* objects = Services().objects;
    Object* attacker = objects && ownerId != 0 ? objects->FindObject(ownerId) : nullptr;
    TakeBlastDamageFrom(blastX, blastY, amount, attacker, weaponId);
}

void Player::TakeBlastDamageFrom(float blastX, float blastY, float amount, Object* attacker, int weaponId)
{
    if (!IsServing() || !IsAlive() || GameOver() || !std::isfinite(amount))
        return;
    ApplyArmour(amount, 0.5f);
    if (health_ <= 0.0f) {
        Kill(attacker, false, weaponId, true, blastX, blastY, 20.0f * amount + 20.0f);
        health_ = 0.0f;
    }
}

void Player::TakeDrowningDamage(float dt)
{
    if (!IsServing() || !IsAlive() || GameOver())
        return;
    if (drowningTimer_ <= 0.0f) {
        health_ -= 12.0f;
        if (health_ <= 0.0f) {
            Kill(this, false, -1, false);
            health_ = 0.0f;
        }
        drowningTimer_ = 1.0f;
    } else {
        drowningTimer_ -= dt;
    }
}

void Player::Kill(Object* attacker, bool headShot, int weaponId, bool blast, float blastX, float blastY, float force)
{
    // Only the server decides deaths; a client hears of them by replication.
    if (!IsServing())
        return;
    DropWeapon(-1);
    DropWeapon(8);
    ReleaseHeldExplosive();
    SwitchOffLight();
    DropMissionItems(true);
    float factor;
    if (!GetWater(&factor)) {
        const WeaponTable* table = Services().weapons;
        const WeaponDef* weapon = table ? table->FindWeapon(weaponId) : nullptr;
        if ((blast && health_ < -40.0f) || (weapon && weapon->exploding)) {
            if (!blast || !std::isfinite(blastX) || !std::isfinite(blastY))
                blastX = x_, blastY = y_;
            if (!(force >= 0.0f) || !std::isfinite(force))
                force = -health_ * 20.0f + 20.0f;
            SpawnDebris(x_, y_, blastX, blastY, force);
            CommonMedia* media = Services().media;
            if (IAudioBuffer* gib = media ? media->gibs[Util::Random() % 3] : nullptr; gib && Services().output)
                Services().output->PlayAt(gib, x_, y_, 0.3f);
        } else {
            CreateCorpse(this);
        }
    }
    currentWeapon_ = -1;
    inventory_.Clear();
    if (IMultiplayerHandler* handler = ActiveHandler())
        handler->SendInventoryClear(this);
    if (GameMod* mode = Mode())
        mode->OnKill(this, attacker, headShot ? 1 : 0, weaponId);
}

namespace {

// Replays the holder's source at (x, y), made anew for another sound.
void Replay(SoundSourcePtr& holder, IResource* sound, int ownerId, float x, float y)
{
    SoundSystem* sounds = Services().sounds;
    // Sources are the server's: clients hear them by replication.
    if (!sound || !sounds || !IsServing() || !std::isfinite(x) || !std::isfinite(y))
        return;
    if (!holder || holder->soundId != sound->GetId())
        holder.Reset(sounds->CreateAttached(sound->GetId(), ownerId));
    if (!holder)
        return;
    holder->x = x;
    holder->y = y;
    holder->Trigger(0, 0.0f);
}

} // namespace

void Player::PlayShotSound(const WeaponDef& weapon)
{
    Replay(shotSound_, weapon.shotSound, GetNetworkId(), x_, y_);
    if (weapon.shotSound && weapon.shellSound && Services().sounds && IsServing())
        Services().sounds->PlayAt(weapon.shellSound->GetId(), x_, y_, 10.0f);
}

void Player::PlayReloadSound(const WeaponDef& weapon)
{
    IResource* sound =
        weapon.clipChangeMode == 1 && weapon.reloadPartsSound ? weapon.reloadPartsSound : weapon.reloadSound;
    Replay(reloadSound_, sound, GetNetworkId(), x_, y_);
}

void Player::PlayHitSound(IResource* sound, float x, float y) { Replay(hitSound_, sound, GetNetworkId(), x, y); }

void Player::ScoreTicks(float dt)
{
    // A player without a score record (a bot, a test) simply keeps no score.
    if (scores_)
        rank_ = uint8_t(scores_->GetRank());
    presenceTimer_ += dt;
    while (presenceTimer_ >= 60.0f) {
        presenceTimer_ -= 60.0f;
        if (scores_)
            scores_->AddRoundStats(1, 0, 0);
    }
}

void Player::SendToOwner(int type, int32_t value)
{
    IMultiplayerHandler* handler = ActiveHandler();
    if (!connection_ || !handler)
        return;
    GamePacket& p = handler->Outgoing();
    GameMessages::WriteValue(p, GameMessage(type), uint32_t(value));
    p.Send(connection_);
}

void Player::SendWeaponUpdate(int weaponId)
{
    IMultiplayerHandler* handler = ActiveHandler();
    if (!connection_ || !handler)
        return;
    int ammo = 0, clip = 0;
    inventory_.GetWeaponAmmo(weaponId, &ammo, &clip);
    GamePacket& p = handler->Outgoing();
    GameMessages::WriteWeaponUpdate(p, uint32_t(weaponId), int16_t(std::clamp(ammo, -32768, 32767)),
                                    int16_t(std::clamp(clip, -32768, 32767)));
    p.Send(connection_);
}

float AngleBetweenPoints(float x1, float y1, float x2, float y2)
{
    const float dx = x1 - x2, dy = y1 - y2;
    if (std::fabs(dx) < 0.01f && std::fabs(dy) < 0.01f)
        return 0.0f;
    float t;
    if (dx == 0.0f)
        t = dy > 0.0f ? 90.0f : -90.0f;
    else
        t = std::atan(dy / dx) * 180.0f / 3.1416f;
    float angle = dx >= 0.0f ? t + 270.0f : t + 90.0f;
    if (angle < 0.0f)
        angle += 360.0f;
    else if (angle > 360.0f)
        angle -= 360.0f;
    return angle;
}

Player* CreatePlayer()
{
    Player* player = new Player();
    player->LoadProperties();
    player->SetPositionAngle(0.0f, 0.0f, 0.0f);
    AddToWorld(player);
    return player;
}
