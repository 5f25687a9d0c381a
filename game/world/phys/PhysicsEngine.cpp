#include "game/world/phys/PhysicsEngine.h"

#include "engine/physics/IPhysObject.h"
#include "engine/physics/IPhysics.h"
#include "game/world/geometry/Angle.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/phys/Geometry.h"
#include "game/world/phys/HitObjects.h"
#include "game/world/phys/MovingObject.h"
#include "game/world/phys/StaticObject.h"

#include <algorithm>
#include <cmath>

namespace PhysEng {

namespace {
constexpr float kCellSize = 64.0f;
constexpr int kMaxCells = 512;
// Rounding must never let a pruned body be one that would have tied.
constexpr float kPruneSlack = 0.01f;

bool Finite(float a, float b, float c = 0.0f, float d = 0.0f)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}
} // namespace

PhysicsEngine::PhysicsEngine() { grid_.Reset(0.0f, 0.0f, 1.0f, 1.0f, kCellSize, kMaxCells); }

PhysicsEngine::~PhysicsEngine()
{
    // Bodies without an owner (the walls) are the world's; those still held
    // by their owners outlive it without it.
    clearing_ = true;
    for (int i = 0; i < bodies_.GetCount(); ++i) {
        Object* body = bodies_[i];
        body->world_ = nullptr;
        if (!body->owner_) {
            body->engineBody_ = nullptr;
            delete body;
        }
    }
}

void PhysicsEngine::SetArea(float width, float height)
{
    grid_.Reset(0.0f, 0.0f, width, height, kCellSize, kMaxCells);
    dirty_.clear();
    for (int i = 0; i < bodies_.GetCount(); ++i) {
        Object* body = bodies_[i];
        body->cells_[2] = -1; // not in the grid
        body->dirty_ = true;
        dirty_.push_back(body);
    }
}

MovingObject* PhysicsEngine::NewMovingObject()
{
    auto* body = new MovingObject(this);
    Append(body);
    return body;
}

StaticObject* PhysicsEngine::NewStaticObject()
{
    auto* body = new StaticObject(this);
    Append(body);
    return body;
}

void PhysicsEngine::Append(Object* body)
{
    body->serial_ = nextSerial_++;
    bodies_.Add(body);
    if (body->moving_)
        moving_.push_back(body);
    MarkDirty(body);
}

void PhysicsEngine::MarkDirty(Object* body)
{
    if (clearing_ || body->dirty_)
        return;
    body->dirty_ = true;
    dirty_.push_back(body);
}

void PhysicsEngine::RemoveObject(Object* body)
{
    if (!body || clearing_)
        return;
    if (!bodies_.Remove(body))
        return;
    if (body->moving_)
        moving_.erase(std::find(moving_.begin(), moving_.end(), body));
    if (body->cells_[2] >= 0)
        grid_.Remove(body, body->cells_);
    if (body->dirty_) {
        auto it = std::find(dirty_.begin(), dirty_.end(), body);
        if (it != dirty_.end())
            dirty_.erase(it);
    }
    body->world_ = nullptr;
    if (physics_ && body->engineBody_)
        physics_->RemoveObject(body->engineBody_);
    body->engineBody_ = nullptr;
}

void PhysicsEngine::Clear()
{
    if (physics_)
        physics_->Clear();
    // Walk a copy: each deletion would otherwise shift the list under us.
    clearing_ = true;
    int count = bodies_.GetCount();
    std::vector<Object*> doomed(bodies_.GetItems(), bodies_.GetItems() + count);
    bodies_.Clear();
    moving_.clear();
    for (Object* body : doomed) {
        body->engineBody_ = nullptr;
        body->world_ = nullptr;
        delete body;
    }
    clearing_ = false;
    grid_.Clear();
    dirty_.clear();
}

void PhysicsEngine::SyncFromEngine()
{
    // Only the game places a static body, and it keeps both poses.
    for (Object* body : moving_) {
        IPhysObject* engineBody = body->engineBody_;
        if (!engineBody)
            continue;
        float x, y;
        engineBody->GetPosition(&x, &y);
        float angle = engineBody->GetRotation();
        if (!Finite(x, y, angle))
            continue;
        Position& pose = body->pose_;
        if (pose.x == x && pose.y == y && pose.angle == angle)
            continue;
        pose.x = x;
        pose.y = y;
        if (pose.angle != angle) {
            pose.angle = angle;
            CosSinOfDegrees(angle, &pose.cos, &pose.sin);
            body->rotationValid_ = false;
        }
        MarkDirty(body);
    }
}

void PhysicsEngine::ApplyBlast(float x, float y, float power)
{
    if (!Finite(x, y, power))
        return;
    for (int i = 0; i < bodies_.GetCount(); ++i)
        if (bodies_[i]->live_)
            bodies_[i]->ApplyBlast(x, y, power);
}

void PhysicsEngine::Reindex(Object* body)
{
    body->dirty_ = false;
    float x0, y0, x1, y1;
    body->GetBounds(&x0, &y0, &x1, &y1);
    int cells[4];
    grid_.CellRange(x0, y0, x1, y1, cells);
    if (body->cells_[2] >= 0) {
        if (std::equal(cells, cells + 4, body->cells_))
            return;
        grid_.Remove(body, body->cells_);
    }
    grid_.Insert(body, cells);
    std::copy(cells, cells + 4, body->cells_);
}

void PhysicsEngine::FlushIndex()
{
    for (Object* body : dirty_)
        Reindex(body);
    dirty_.clear();
}

void PhysicsEngine::SortFound()
{
    std::sort(found_.begin(), found_.end(), [](Object* a, Object* b) { return a->serial_ < b->serial_; });
}

const std::vector<Object*>& PhysicsEngine::Near(float x0, float y0, float x1, float y1)
{
    FlushIndex();
    found_.clear();
    unsigned stamp = ++stamp_;
    int cells[4];
    grid_.CellRange(x0, y0, x1, y1, cells);
    grid_.ForBox(cells, [&](Object* body) {
        if (body->visitStamp_ != stamp) {
            body->visitStamp_ = stamp;
            found_.push_back(body);
        }
    });
    SortFound();
    return found_;
}

std::vector<Object*>& PhysicsEngine::AlongSegment(float x0, float y0, float x1, float y1)
{
    FlushIndex();
    found_.clear();
    unsigned stamp = ++stamp_;
    grid_.ForSegment(x0, y0, x1, y1, [&](Object* body) {
        if (body->visitStamp_ != stamp) {
            body->visitStamp_ = stamp;
            found_.push_back(body);
        }
    });
    SortFound();
    return found_;
}

bool PhysicsEngine::IntersectSegment(HitObjects* hitList, float x0, float y0, float x1, float y1,
                                     IntersectionPacket* packet, ::Object* shooter)
{
    packet->distance = 0.0f;
    packet->hitX = packet->hitY = 0.0f;
    packet->side = 0.0f;
    packet->hit = false;
    packet->hitBody = nullptr;
    if (!Finite(x0, y0, x1, y1))
        return false;
    float rx0 = std::min(x0, x1), ry0 = std::min(y0, y1);
    float rx1 = std::max(x0, x1), ry1 = std::max(y0, y1);
    bool result = false;
    // Only bodies that a hull can be hit on lie along the segment; the grid
    // hands them over in list order. The list is taken out of the world, as
    // the owners' cover answers may query it again.
    std::vector<Object*> visit;
    visit.swap(AlongSegment(x0, y0, x1, y1));
    for (Object* body : visit) {
        if (!body->enabled_ || !body->OverlapsRegion(rx0, ry0, rx1, ry1))
            continue;
        // Every crossing of a hull lies within its bounds: a body whose
        // bounds are further than the hit in hand cannot be nearer.
        if (packet->hit) {
            float bx0, by0, bx1, by1;
            body->GetBounds(&bx0, &by0, &bx1, &by1);
            float gx = std::max({bx0 - x0, 0.0f, x0 - bx1}), gy = std::max({by0 - y0, 0.0f, y0 - by1});
            if (std::sqrt(gx * gx + gy * gy) > packet->distance + kPruneSlack)
                continue;
        }
        ::Object* owner = body->owner_;
        if (owner && hitList && hitList->Contains(owner))
            continue;
        // A trial packet: a body whose cover lets the shot pass must not
        // hide what lies behind it.
        IntersectionPacket trial = *packet;
        if (!body->IntersectSegment(x0, y0, x1, y1, &trial))
            continue;
        float cover = 0.0f;
        if (!shooter || !owner || owner->CoverStopsShot(shooter, &cover)) {
            *packet = trial;
            packet->hitBody = body;
            result = true;
        }
        if (owner && hitList)
            hitList->Add(owner, cover);
    }
    visit.clear();
    found_.swap(visit);
    return result;
}

void PhysicsEngine::MoveCircle(float x, float y, float* moveX, float* moveY, float radius, bool slide,
                               bool slideDirection, bool ignoreLowCover, float* slideX, float* slideY,
                               IntersectionPacket* packet)
{
    Object* ignored = packet->ignoredBody;
    packet->Clear();
    *slideX = 0.0f;
    *slideY = 0.0f;
    if (!Finite(x, y, *moveX, *moveY) || !std::isfinite(radius)) {
        *moveX = 0.0f;
        *moveY = 0.0f;
        return;
    }
    float dirX = *moveX, dirY = *moveY;
    float length = std::sqrt(dirX * dirX + dirY * dirY);
    if (length == 0.0f)
        length = 0.0001f;
    dirX /= length;
    dirY /= length;
    packet->leadingX = x + dirX * radius;
    packet->leadingY = y + dirY * radius;

    // The same reach as each body's own broad test.
    float reach = radius + 100.0f;
    float ex = x + *moveX, ey = y + *moveY;
    for (Object* body :
         Near(std::min(x, ex) - reach, std::min(y, ey) - reach, std::max(x, ex) + reach, std::max(y, ey) + reach)) {
        if (body == ignored || !body->enabled_)
            continue;
        ::Object* owner = body->owner_;
        if (owner && ignoreLowCover && owner->GetCover() && owner->GetHeight() < 5)
            continue;
        if (owner && owner->GetKind() == ObjectKind::Window)
            continue;
        // A circle that starts clear of a body travels at least the gap to its
        // bounds, less the radius, before touching it: a body that cannot
        // beat the contact already found is not swept.
        if (packet->hit) {
            float bx0, by0, bx1, by1;
            body->GetBounds(&bx0, &by0, &bx1, &by1);
            float gx = std::max({bx0 - x, 0.0f, x - bx1}), gy = std::max({by0 - y, 0.0f, y - by1});
            float gap = std::sqrt(gx * gx + gy * gy);
            if (gap > radius && gap - radius >= packet->distance + kPruneSlack)
                continue;
        }
        body->IntersectCircle(x, y, *moveX, *moveY, radius, packet);
    }

    // Contact skin.
    float d = packet->distance;
    if (d > 0.001f)
        d -= 0.001f;
    else if (d < 0.0f)
        d -= 0.01f;
    else
        d = 0.0f;
    packet->distance = d;
    if (!packet->hit || length <= d)
        return;
    packet->ignoredBody = packet->hitBody;
    *moveX = dirX * d;
    *moveY = dirY * d;
    if (d < 0.0f)
        return;

    float nx = packet->hitX - x, ny = packet->hitY - y;
    Normalize(&nx, &ny);
    if (slide) {
        float c = 1.0f - std::fabs(nx * dirX + ny * dirY);
        if (dirX * ny - dirY * nx < 0.0f)
            c = -c;
        *slideX += length * c * ny;
        *slideY += -length * c * nx;
    }
    if (slideDirection) {
        float s = packet->side;
        float gx = ny * s, gy = -nx * s;
        float k = std::sqrt(gx * gx + gy * gy);
        packet->slideX = gx - k * 0.001f * nx;
        packet->slideY = gy - k * 0.001f * ny;
    }
    float k = std::sqrt(*slideX * *slideX + *slideY * *slideY);
    *slideX -= k * 0.001f * nx;
    *slideY -= k * 0.001f * ny;
}

} // namespace PhysEng
