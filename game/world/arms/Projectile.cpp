#include "game/world/arms/Projectile.h"

#include "engine/core/Random.h"
#include "engine/physics/IPhysObject.h"
#include "game/world/arms/ProjectileShared.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/objects/WorldEffects.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/MovingObject.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/phys/SphereHull.h"
#include "game/world/player/PlayerTargets.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/IGameState.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {
constexpr float kRadiansPerDegree = 3.1416f / 180.0f;
constexpr float kMaxSpeed = 100000.0f;
constexpr float kMaxCoordinate = 1.0e6f;
} // namespace

void (*MissileProjectile::spawnTrailPuff)(float, float, float, float) = SpawnSmokeTrail;

Projectile::Projectile(int kind, int definitionId) : Object(kind, definitionId)
{
    const WeaponDef* def = FindWeaponDef(definitionId);
    if (!def)
        return;
    speed_ = float(def->speed);
    range_ = def->range;
    if (speed_ > 0.001f && range_ / speed_ > 0.0001f)
        deceleration_ = speed_ * speed_ / range_;
    detonation_ = def->detonation;
    detonationTime_ = float(def->detonationTime);
    behaviour_ = def->behaviour;
    effectRadius_ = def->behaviourRadius;
    effectValue_ = def->behaviourTime;
    damage_ = def->damage;
}

void Projectile::Direction(float* dx, float* dy) const
{
    float a = (angle_ - 90.0f) * kRadiansPerDegree;
    *dx = std::cos(a);
    *dy = std::sin(a);
}

void Projectile::BoundMembers()
{
    x_ = Bounded(x_, -kMaxCoordinate, kMaxCoordinate, 0.0f);
    y_ = Bounded(y_, -kMaxCoordinate, kMaxCoordinate, 0.0f);
    angle_ = Bounded(angle_, -3600.0f, 3600.0f, 0.0f);
    speed_ = Bounded(speed_, 0.0f, kMaxSpeed, 0.0f);
}

void Projectile::TakeBlastDamage(float, float, float amount, int32_t, int32_t)
{
    if (health_ > 0.0f && health_ <= amount)
        timer_ = detonationTime_;
}

void Projectile::Update(float dt)
{
    if (exploded_ || !std::isfinite(dt))
        return;
    if (!IsServing())
        BoundMembers();
    float dx, dy;
    Direction(&dx, &dy);
    x_ += dx * dt * speed_;
    y_ += dy * dt * speed_;
    speed_ -= deceleration_ * dt * dt;
    if (speed_ < 0.0f)
        speed_ = 0.0f;
    if (!IsServing())
        return;
    if (detonation_ == 0)
        HitCheck(dt);
    else if (detonation_ == 1)
        TimeCheck(dt);
}

void Projectile::HitCheck(float dt)
{
    float step = dt * speed_;
    timer_ += dt;
    if (timer_ > 2.0f) {
        delete this;
        return;
    }
    float dx, dy;
    Direction(&dx, &dy);
    float ex = x_ + dx * step, ey = y_ + dy * step;
    float r = -1.0f;
    if (World* world = Services().world) {
        float hx, hy;
        int tx, ty, side;
        r = world->CastRay(&hx, &hy, x_, y_, ex, ey, &tx, &ty, &side);
    }
    Object* owner = FindPlayerById(ownerId_);
    if (PhysEng::PhysicsEngine* physics = Services().physics) {
        PhysEng::IntersectionPacket* packet = physics->NewPacket();
        if (step > 0.0f && physics->IntersectSegment(nullptr, x_, y_, ex, ey, packet, owner)) {
            float h = packet->distance;
            if (h <= step && (r < 0.0f || h <= r))
                r = h;
        }
    }
    float t = r >= 0.0f && r < step ? r : step;
    if (owner) {
        float p = 0.0f;
        if (FindPlayerOnRay(x_, y_, dx, dy, t, owner, &p) && p < t) {
            x_ += dx * p;
            y_ += dy * p;
            Detonate(2);
            return;
        }
    }
    if (r >= 0.0f && r < step) {
        x_ += dx * r;
        y_ += dy * r;
        Detonate(2);
    }
}

void Projectile::TimeCheck(float dt)
{
    timer_ += dt;
    if (timer_ >= detonationTime_)
        Detonate(3);
}

void Projectile::Detonate(int code)
{
    if (exploded_)
        return;
    PlayDetonationSound(definition_, x_, y_);
    switch (behaviour_) {
    case 0:
        Explode(code);
        return;
    case 1:
        Smoke();
        return;
    case 3:
        Fire();
        return;
    default:
        // A "light" projectile has nothing more to do; it must not go off
        // again on every later frame.
        exploded_ = true;
        return;
    }
}

void Projectile::Explode(int code)
{
    exploded_ = true;
    BroadcastExplosion(x_, y_, code);
    Object* owner = FindPlayerById(ownerId_);
    if (IGameState* game = Services().game)
        game->ApplyBlast(x_, y_, damage_, float(effectRadius_));
    ApplyExplosionDamage(x_, y_, damage_, float(effectRadius_), owner ? ownerId_ : 0, definitionId_);
    // A host with a screen sees what its clients make of message 1000.
    if (IsServing() && Services().renderer) {
        SpawnExplosion(x_, y_, code);
        World* world = Services().world;
        if (!world || !world->GetWaterAt(int(x_), int(y_), nullptr))
            CreateMess(1, x_, y_, float(Util::Random() % 360));
        CreateTimedLight(x_, y_, 0.5f, 300.0f, 0.8f);
    }
    delete this;
}

void Projectile::Smoke()
{
    float b = (angle_ - 180.0f) * kRadiansPerDegree;
    const float sx = x_ + 10.0f * std::cos(b), sy = y_ + 10.0f * std::sin(b);
    BroadcastSmoke(sx, sy, angle_);
    if (IsServing() && Services().renderer)
        SpawnSmoke(sx, sy, angle_, 10.0f);
    exploded_ = true;
}

void Projectile::Fire()
{
    float dx, dy;
    Direction(&dx, &dy);
    CreateFire(x_, y_, dx, dy, speed_, float(effectRadius_), effectValue_, damage_, ownerId_, definitionId_);
    exploded_ = true;
    delete this;
}

void Projectile::LoadProperties()
{
    Object::LoadProperties();
    image_ = ProjectileImage(definition_);
    if (kind_ == ObjectKind::Grenade)
        ObjectView::MakeSprite(&sprite_, height_);
}

MissileProjectile::MissileProjectile(int definitionId, bool trail)
    : Projectile(ObjectKind::Missile, definitionId), trail_(trail ? 1 : 0)
{
}

const MPAPI::FieldRecord* MissileProjectile::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kHeaderReplicated, 0, 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&speed_), 0, 0, 0},
        {MPAPI::kFieldBool, OffsetOf(&trail_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

int MissileProjectile::TrailPuffs(float dt, float speed)
{
    float n = dt * speed;
    if (!(n >= 0.0f))
        return 0;
    // One puff every 10 units, but a long frame must not flood the
    // particle system.
    if (n >= float(kMaxTrailPuffs - 1) * 10.0f)
        return kMaxTrailPuffs;
    return int(n) / 10 + 1;
}

void MissileProjectile::Update(float dt)
{
    if (!exploded_ && IsClient() && trail_) {
        trailTimer_ += dt;
        float dx, dy;
        Direction(&dx, &dy);
        int puffs = TrailPuffs(dt, speed_);
        // Spread the capped number of puffs over the whole way flown.
        float way = dt * speed_;
        float gap = puffs > 1 ? std::fmin(10.0f, way / float(puffs - 1)) : 0.0f;
        for (int i = 0; i < puffs && spawnTrailPuff; ++i) {
            float k = gap * float(i);
            spawnTrailPuff(x_ - 10.0f * dx + k * dx, y_ - 10.0f * dy + k * dy, angle_, speed_);
        }
    }
    Projectile::Update(dt);
}

GrenadeProjectile::GrenadeProjectile(int definitionId, uint8_t strength) : Projectile(ObjectKind::Grenade, definitionId)
{
    float s = float(strength) / 255.0f;
    speed_ *= s;
    range_ *= s;
}

const MPAPI::FieldRecord* GrenadeProjectile::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kHeaderReplicated, 0, 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&speed_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&spare_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void GrenadeProjectile::MakeBody()
{
    PhysEng::PhysicsEngine* physics = Services().physics;
    if (!physics)
        return;
    PhysEng::MovingObject* body = physics->NewMovingObject();
    body->SetOwner(this);
    body->Attach(new PhysEng::SphereHull(10.0f));
    body_ = body;
    if (IPhysObject* engine = body->GetEngineBody()) {
        if (Object* owner = FindPlayerById(ownerId_))
            engine->SetExclusionZone(owner->GetX(), owner->GetY(), 100.0f);
        engine->SetRestitution(0.4f);
    }
    body->ResetPose(x_, y_);
    body->SetAngle(angle_);
    body->SetLive(true);
    float dx, dy;
    Direction(&dx, &dy);
    body->ApplyImpulseScaled(x_, y_, dx, dy, speed_ * 30.0f);
}

void GrenadeProjectile::Update(float dt)
{
    if (!IsServing()) {
        BoundMembers();
        return;
    }
    if (exploded_ || !std::isfinite(dt))
        return;
    if (!body_)
        MakeBody();
    if (body_) {
        const Position& pose = body_->GetPose();
        x_ = pose.x;
        y_ = pose.y;
    }
    if (detonation_ == 0)
        HitCheck(dt);
    else if (detonation_ == 1)
        TimeCheck(dt);
}
