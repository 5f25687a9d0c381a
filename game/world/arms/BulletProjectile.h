#pragma once

#include "game/world/objects/Object.h"
#include "game/world/phys/HitObjects.h"

#include <cmath>

// A bullet: 2000 units a second, a fast trace twice a frame on the server,
// and a tracer on clients.
class BulletProjectile : public Object {
public:
    static constexpr float kSpeed = 2000.0f;

    explicit BulletProjectile(int definitionId);
    const MPAPI::FieldRecord* GetFieldTable() override;
    void Update(float dt) override;
    void DrawExtra() override;

    void SetRange(float range) { range_ = std::isfinite(range) && range > 0.0f ? range : 0.0f; }
    void SetOwnerId(int id) { ownerId_ = id; }
    void SetDamage(float damage) { damage_ = damage; }
    int GetOwnerId() const { return ownerId_; }
    const HitObjects& GetHitObjects() const { return hits_; }
    // Damage share by distance into the trace.
    static float DistanceFactor(float distance);

private:
    // Keeps replicated values usable whatever a peer sent.
    void BoundMembers();
    // True when the bullet meets something that stops it.
    bool Trace(float dt);

    float age_ = 0.0f;
    float range_ = 0.0f;
    float travelled_ = 0.0f;
    int ownerId_ = 0;
    float damage_ = 0.0f;
    HitObjects hits_;
};
