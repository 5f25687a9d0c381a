#pragma once

#include "game/world/objects/Object.h"

class ITexture;

// Missiles and grenades: the server flies them, decides hits and
// detonations and tells the clients; clients only move and draw them.
class Projectile : public Object {
public:
    Projectile(int kind, int definitionId);
    void LoadProperties() override;
    void TakeBlastDamage(float blastX, float blastY, float amount, int32_t ownerId, int32_t weaponId) override;
    void Update(float dt) override;
    void DrawExtra() override;

    void SetOwnerId(int id) { ownerId_ = id; }
    int GetOwnerId() const { return ownerId_; }
    float GetSpeed() const { return speed_; }
    bool HasExploded() const { return exploded_; }
    // Sets off a "click" projectile from outside; does nothing once exploded.
    void Detonate(int code);

protected:
    void Direction(float* dx, float* dy) const;
    void HitCheck(float dt);
    void TimeCheck(float dt);
    // Keeps replicated values usable whatever a peer sent.
    void BoundMembers();

    ITexture* image_ = nullptr;
    float speed_ = 0.0f;
    float deceleration_ = 0.0f;
    float range_ = 0.0f;
    float timer_ = 0.0f;
    int ownerId_ = 0;
    bool exploded_ = false;
    int detonation_ = 0;
    float detonationTime_ = 0.0f;
    int behaviour_ = 0;
    int effectRadius_ = 0;
    float effectValue_ = 0.0f;
    float damage_ = 10.0f;

private:
    void Explode(int code);
    void Smoke();
    void Fire();
};

class MissileProjectile : public Projectile {
public:
    MissileProjectile(int definitionId, bool trail);
    const MPAPI::FieldRecord* GetFieldTable() override;
    void Update(float dt) override;
    // Puffs a trail makes over a frame; a long frame is capped.
    static int TrailPuffs(float dt, float speed);
    static constexpr int kMaxTrailPuffs = 20;
    // The smoke-trail particle by default; null spawns nothing.
    static void (*spawnTrailPuff)(float x, float y, float angle, float speed);

private:
    uint8_t trail_ = 0;
    float trailTimer_ = 0.0f;
};

class GrenadeProjectile : public Projectile {
public:
    GrenadeProjectile(int definitionId, uint8_t strength);
    const MPAPI::FieldRecord* GetFieldTable() override;
    void Update(float dt) override;
    void DrawExtra() override;

private:
    void MakeBody();
    float spare_ = 0.0f;
    float frame_ = 0.0f;
};
