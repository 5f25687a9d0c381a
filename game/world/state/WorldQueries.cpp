#include "game/world/state/WorldQueries.h"

#include "game/world/geometry/TileSize.h"
#include "game/world/map/World.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kCoverReach = 1300.0f;

bool Finite(float a, float b, float c, float d)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// The first point at which the ray from (ox, oy) along the unit (ux, uy)
// meets the circle; false when it misses.
bool RayMeetsCircle(float ox, float oy, float ux, float uy, float cx, float cy, float r)
{
    float fx = ox - cx, fy = oy - cy;
    float b = fx * ux + fy * uy;
    float c = fx * fx + fy * fy - r * r;
    float disc = b * b - c;
    if (disc < 0.0f)
        return false;
    float t = -b - std::sqrt(disc);
    return t >= 0.0f || -b + std::sqrt(disc) >= 0.0f;
}

template <class F> void ForEachCoverProp(float x, float y, F f)
{
    ObjectManager* objects = Services().objects;
    if (!objects)
        return;
    objects->ForEachObject([&](Object* object) {
        const CoverRecord* cover = object->GetCover();
        if (object->GetKind() != ObjectKind::Prop || !cover)
            return;
        if (std::fabs(object->GetX() - x) > kCoverReach || std::fabs(object->GetY() - y) > kCoverReach)
            return;
        f(object, cover);
    });
}

} // namespace

bool ProjectOntoSegment(float x1, float y1, float x2, float y2, float px, float py, float* x, float* y)
{
    float dx = x2 - x1, dy = y2 - y1;
    float length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0f)
        length = 0.001f;
    float ux = dx / length, uy = dy / length;
    float t = ux * (px - x1) + uy * (py - y1);
    if (t < 0.0f) {
        *x = x1, *y = y1;
        return false;
    }
    if (t > length) {
        *x = x2, *y = y2;
        return false;
    }
    *x = x1 + t * ux, *y = y1 + t * uy;
    return true;
}

void ClosestPointOnSegment(float x1, float y1, float x2, float y2, float px, float py, float* x, float* y)
{
    ProjectOntoSegment(x1, y1, x2, y2, px, py, x, y);
}

namespace {

template <class Matches> bool NothingWithin(float x, float y, float radius, const Object* excluded, Matches matches)
{
    bool free = true;
    if (ObjectManager* objects = Services().objects) {
        objects->ForEachObject([&](Object* object) {
            if (!free || object == excluded || !matches(object))
                return;
            float ox, oy;
            object->GetPosition(&ox, &oy);
            float dx = ox - x, dy = oy - y;
            if (std::fabs(dx) < radius && std::fabs(dy) < radius && std::sqrt(dx * dx + dy * dy) <= radius)
                free = false;
        });
    }
    return free;
}

} // namespace

bool IsPlaceFree(float x, float y, float radius, int kind, const Object* excluded)
{
    return NothingWithin(x, y, radius, excluded, [kind](Object* o) { return o->GetKind() == kind; });
}

bool IsPlaceFreeOfDefinition(float x, float y, float radius, int definitionId, const Object* excluded)
{
    return NothingWithin(x, y, radius, excluded,
                         [definitionId](Object* o) { return o->GetDefinitionId() == definitionId; });
}

namespace {

bool IsFlagType(int type, bool withBlank)
{
    return type == MissionItem::Finnish || type == MissionItem::Russian || (withBlank && type == MissionItem::Blank);
}

bool Closer(const FlagPlace& a, float x, float y, float distance)
{
    const float dx = a.x - x, dy = a.y - y;
    // NaN compares false: a flag without a place is never "far enough".
    return !(dx * dx + dy * dy >= distance * distance);
}

} // namespace

bool IsFlagSpacingFree(const std::vector<FlagPlace>& flags, float x, float y, float distance, size_t excluded)
{
    for (size_t i = 0; i < flags.size(); ++i)
        if (i != excluded && IsFlagType(flags[i].type, distance <= 150.0f) && Closer(flags[i], x, y, distance))
            return false;
    return true;
}

bool CheckCaptureFlagSpacing(const std::vector<FlagPlace>& flags)
{
    for (size_t i = 0; i < flags.size(); ++i)
        if (IsFlagType(flags[i].type, false) && !IsFlagSpacingFree(flags, flags[i].x, flags[i].y, 320.0f, i))
            return false;
    return true;
}

bool CheckHillFlagSpacing(const std::vector<FlagPlace>& flags)
{
    for (size_t i = 0; i < flags.size(); ++i)
        for (size_t j = i + 1; j < flags.size(); ++j)
            if (IsFlagType(flags[i].type, true) && IsFlagType(flags[j].type, true) &&
                Closer(flags[j], flags[i].x, flags[i].y, 100.0f))
                return false;
    return true;
}

bool FlagSpacingHolds(int gameMode, const std::vector<FlagPlace>& flags)
{
    if (gameMode == 1)
        return CheckCaptureFlagSpacing(flags);
    if (gameMode == 2)
        return CheckHillFlagSpacing(flags);
    return true;
}

std::vector<FlagPlace> LiveFlags()
{
    std::vector<FlagPlace> flags;
    if (ObjectManager* objects = Services().objects)
        objects->ForEachObject([&](Object* object) {
            if (object->GetKind() == ObjectKind::MissionItem)
                flags.push_back({static_cast<MissionItem*>(object)->GetType(), object->GetX(), object->GetY()});
        });
    return flags;
}

float GetCoverVisibility(float x1, float y1, float x2, float y2)
{
    float seen = 1.0f;
    float dx = x1 - x2, dy = y1 - y2;
    float span = std::sqrt(dx * dx + dy * dy);
    if (span <= 0.0f || !Finite(x1, y1, x2, y2))
        return 1.0f;
    ForEachCoverProp(x2, y2, [&](Object* object, const CoverRecord* cover) {
        float cx = object->GetX() + cover->halfWidth, cy = object->GetY() + cover->halfHeight;
        float reach = cover->radius + 32.0f;
        float toTarget = std::hypot(cx - x2, cy - y2), toViewer = std::hypot(cx - x1, cy - y1);
        if (toTarget > reach && toViewer <= reach && toTarget <= span &&
            RayMeetsCircle(x2, y2, dx / span, dy / span, cx, cy, cover->radius))
            seen = 0.0f;
    });
    return seen;
}

float IsShieldedFromBlast(float x1, float y1, float x2, float y2)
{
    float open = 1.0f;
    if (!Finite(x1, y1, x2, y2))
        return 1.0f;
    ForEachCoverProp(x2, y2, [&](Object* object, const CoverRecord* cover) {
        if (cover->extraFlag)
            return;
        float px, py;
        if (ProjectOntoSegment(x1, y1, x2, y2, object->GetX(), object->GetY(), &px, &py) &&
            std::hypot(px - object->GetX(), py - object->GetY()) < cover->radius)
            open = 0.0f;
    });
    return open;
}

float GetObjectsVisibility(float x1, float y1, float x2, float y2)
{
    float seen = 1.0f;
    if (ObjectManager* objects = Services().objects) {
        objects->ForEachObject([&](Object* object) {
            int kind = object->GetKind();
            if (kind == ObjectKind::Door || kind == ObjectKind::Prop || kind == 1 || kind == ObjectKind::Vehicle)
                seen -= 1.0f - object->GetVisibility(x1, y1, x2, y2);
        });
    }
    return seen < 0.0f ? 0.0f : seen;
}

float GetLineOfSight(float x1, float y1, float x2, float y2)
{
    if (!Finite(x1, y1, x2, y2))
        return 0.0f;
    if (std::fabs(x1 - x2) < 2.0f && std::fabs(y1 - y2) < 2.0f)
        return 1.0f;
    World* world = Services().world;
    ParticleSystem* particles = Services().particles;
    // Whoever stands in a cloud sees nothing and is not seen.
    if (particles && (particles->IsInside(x1, y1, 32.0f) || particles->IsInside(x2, y2, 32.0f)))
        return 0.0f;
    float walls = world ? world->GetLineVisibility(x1, y1, x2, y2) : 1.0f;
    if (walls <= 0.0f)
        return 0.0f;
    float seen = std::min(walls, GetObjectsVisibility(x1, y1, x2, y2));
    return particles ? std::min(seen, particles->GetVisibility(x1, y1, x2, y2)) : seen;
}

void ApplyExplosionDamage(float x, float y, float damage, float radius, int32_t ownerId, int32_t weaponId)
{
    ObjectManager* objects = Services().objects;
    World* world = Services().world;
    if (!objects || !Finite(x, y, damage, radius) || radius <= 0.0f)
        return;
    auto hit = [&](Object* object, bool player) {
        if (!object->IsAlive())
            return;
        float d = std::hypot(object->GetX() - x, object->GetY() - y);
        if (d >= radius)
            return;
        if (player && IsShieldedFromBlast(x, y, object->GetX(), object->GetY()) <= 0.0f)
            return;
        if (world) {
            float hx, hy;
            int tx, ty, side;
            float wall = world->CastRay(&hx, &hy, x, y, object->GetX(), object->GetY(), &tx, &ty, &side);
            if (wall >= 0.0f && wall <= d)
                return;
        }
        object->TakeBlastDamage(x, y, (1.0f - d / radius) * damage, ownerId, weaponId);
    };
    objects->ForEachPlayer([&](Object* player) { hit(player, true); });
    objects->ForEachObject([&](Object* object) { hit(object, false); });
}

void MoveWithCollision(float* x, float* y, float* dx, float* dy, float radius)
{
    World* world = Services().world;
    PhysEng::PhysicsEngine* physics = Services().physics;
    if (!Finite(*x, *y, *dx, *dy)) {
        *dx = *dy = 0.0f;
        return;
    }
    const float speed = std::hypot(*dx, *dy);
    const float startX = *x, startY = *y;
    float stepX = *dx, stepY = *dy;
    for (int pass = 0; pass < 2; ++pass) {
        if (world) {
            float maxX = float(world->GetWidth()) * kTileSize - 16.0f,
                  maxY = float(world->GetHeight()) * kTileSize - 16.0f;
            stepX = std::clamp(*x + stepX, 16.0f, std::max(16.0f, maxX)) - *x;
            stepY = std::clamp(*y + stepY, 16.0f, std::max(16.0f, maxY)) - *y;
        }
        float slideX = 0.0f, slideY = 0.0f;
        if ((stepX != 0.0f || stepY != 0.0f) && physics) {
            PhysEng::IntersectionPacket* packet = physics->NewPacket();
            physics->MoveCircle(*x, *y, &stepX, &stepY, std::isfinite(radius) ? std::max(radius, 0.0f) : 0.0f, true,
                                false, false, &slideX, &slideY, packet);
            if (packet->hit && (slideX != 0.0f || slideY != 0.0f)) {
                // The slide is taken only when both probes along it are free.
                float sl = std::max(std::hypot(slideX, slideY), 0.0001f);
                float sx = slideX / sl, sy = slideY / sl;
                float mx = packet->hitX - *x, my = packet->hitY - *y;
                float ml = std::max(std::hypot(mx, my), 0.0001f);
                mx /= ml, my /= ml;
                float ax = packet->hitX - 3.0f * mx, ay = packet->hitY - 3.0f * my;
                float bx = packet->hitX + 6.0f * mx, by = packet->hitY + 6.0f * my;
                bool blocked = physics->IntersectSegment(nullptr, ax, ay, ax + 15.0f * sx, ay + 15.0f * sy,
                                                         physics->NewPacket(), nullptr) ||
                               physics->IntersectSegment(nullptr, bx, by, bx + 20.0f * sx, by + 20.0f * sy,
                                                         physics->NewPacket(), nullptr);
                if (blocked)
                    slideX = slideY = 0.0f;
            }
        }
        *x += stepX, *y += stepY;
        if (stepX == 0.0f && stepY == 0.0f && slideX == 0.0f && slideY == 0.0f)
            break;
        float sl = std::max(std::hypot(slideX, slideY), 0.001f);
        stepX = slideX / sl * speed, stepY = slideY / sl * speed;
        if (slideX == 0.0f && slideY == 0.0f)
            break;
    }
    *dx = *x - startX, *dy = *y - startY;
}
