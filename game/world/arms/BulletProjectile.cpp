#include "game/world/arms/BulletProjectile.h"

#include "engine/core/Random.h"
#include "game/world/arms/ProjectileShared.h"
#include "game/world/map/World.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/Object.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/player/Player.h"
#include "game/world/player/PlayerTargets.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

namespace {
constexpr float kRadiansPerDegree = 3.1416f / 180.0f;
constexpr float kMaxCoordinate = 1.0e6f;
} // namespace

BulletProjectile::BulletProjectile(int definitionId) : Object(ObjectKind::Bullet, definitionId) {}

const MPAPI::FieldRecord* BulletProjectile::GetFieldTable()
{
    // Sent once: a client flies the bullet on its own from there.
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kHeaderReplicated, 0, 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&x_), 1, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 1, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&angle_), 1, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void BulletProjectile::BoundMembers()
{
    x_ = Bounded(x_, -kMaxCoordinate, kMaxCoordinate, 0.0f);
    y_ = Bounded(y_, -kMaxCoordinate, kMaxCoordinate, 0.0f);
    angle_ = Bounded(angle_, -3600.0f, 3600.0f, 0.0f);
}

float BulletProjectile::DistanceFactor(float distance)
{
    float v = 1.0f - distance / 20.0f;
    if (v < 0.0f)
        v = 0.0f;
    if (v > 0.7f)
        return 1.0f;
    if (v > 0.5f)
        return 0.7f;
    if (v > 0.3f)
        return 0.5f;
    return 0.2f;
}

void BulletProjectile::Update(float dt)
{
    if (!std::isfinite(dt))
        return;
    BoundMembers();
    age_ += dt;
    if (age_ >= 1.0f || Trace(dt)) {
        delete this;
        return;
    }
    float a = (angle_ - 90.0f) * kRadiansPerDegree;
    x_ += std::cos(a) * dt * kSpeed;
    y_ += std::sin(a) * dt * kSpeed;
    if (range_ > 0.0f) {
        travelled_ += dt * kSpeed;
        if (range_ <= travelled_) {
            delete this;
            return;
        }
    }
    if (Trace(dt))
        delete this;
}

bool BulletProjectile::Trace(float dt)
{
    if (!IsServing())
        return false;
    float a = (angle_ - 90.0f) * kRadiansPerDegree;
    const float dx = std::cos(a), dy = std::sin(a);
    float length = dt * kSpeed + 30.0f;
    const float first = length;
    Object* owner = FindPlayerById(ownerId_);
    World* world = Services().world;
    float w = -1.0f;
    int tileX = 0, tileY = 0;
    if (world) {
        float hx, hy;
        int side;
        w = world->CastRay(&hx, &hy, x_, y_, x_ + dx * length, y_ + dy * length, &tileX, &tileY, &side);
    }
    PhysEng::PhysicsEngine* physics = Services().physics;
    ObjectManager* objects = Services().objects;
    if (physics) {
        PhysEng::IntersectionPacket* packet = physics->NewPacket();
        bool met = physics->IntersectSegment(&hits_, x_, y_, x_ + dx * length, y_ + dy * length, packet, owner);
        // Copy out: the hit below may query again.
        const float h = packet->distance;
        const float hitX = packet->hitX, hitY = packet->hitY;
        PhysEng::Object* body = packet->hitBody;
        if (met && h <= length && (w >= h || w < 0.0f)) {
            if (!body)
                return true;
            body->ApplyImpulseScaled(hitX, hitY, dx, dy, 20.0f);
            Object* target = objects ? objects->FindObjectByBody(body) : nullptr;
            if (!target)
                return true;
            float factor = DistanceFactor(h);
            if (hits_.maxCover > 0.0f)
                factor *= hits_.maxCover;
            if (target->GetKind() == ObjectKind::Player)
                HitPlayerWithBullet(target, damage_ * factor, angle_, ownerId_, hitX, hitY, definitionId_);
            else
                target->TakeHit(damage_ * factor, true, GetNetworkId(), hitX, hitY, angle_ + 180.0f);
            if (target->BlocksBullets())
                return true;
        }
    }
    if (w > 0.0f && w < length)
        length = w;
    if (owner) {
        float p = 0.0f;
        Object* player = FindPlayerOnRay(x_, y_, dx, dy, length, owner, &p);
        if (player && p <= length && (p <= w || w < 0.0f)) {
            HitPlayerWithBullet(player, damage_ * DistanceFactor(p), angle_, ownerId_, x_ + dx * p, y_ + dy * p,
                                definitionId_);
            return true;
        }
    }
    if (!(w > 0.0f && w < first))
        return false;
    // Now and then the wall that stopped it is heard, through the shooter.
    Player* shooter = dynamic_cast<Player*>(owner);
    if (Util::Random() % 5 == 1 && shooter && world) {
        IResourceManager* resources = Services().resources;
        const int block = world->GetBlockAt(tileX, tileY);
        IResource* wall = resources && block >= 0 ? resources->GetAt(block) : nullptr;
        if (IResource* sound = wall ? wall->GetIndexedLink(10) : nullptr)
            shooter->PlayHitSound(sound, x_, y_);
    }
    return true;
}
