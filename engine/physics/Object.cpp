#include "engine/physics/Object.h"

#include <algorithm>
#include <cmath>

namespace PhysicsSW {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

constexpr float kMinSegmentLength = 0.001f;
constexpr float kMinDistance = 0.0001f;
constexpr float kMinSpeed = 0.0001f;

} // namespace

Object::Object(std::recursive_mutex* lock, Kind kind, Shape shape) : kind_(kind), shape_(shape), lock_(lock) {}

Object* Object::MakeCircle(std::recursive_mutex* lock, Kind kind, float radius)
{
    auto* body = new Object(lock, kind, kCircle);
    body->radius_ = radius;
    float r = std::fabs(radius);
    body->minX_ = body->minY_ = -r;
    body->maxX_ = body->maxY_ = r;
    return body;
}

Object* Object::MakeBox(std::recursive_mutex* lock, Kind kind, const float* edges)
{
    auto* body = new Object(lock, kind, kBox);
    float largest = 0.0f;
    for (int i = 0; i < 4; ++i) {
        body->edges_[i] = edges[i];
        // By magnitude: edge vectors pointing left or up are boxes too.
        largest = std::max(largest, std::fabs(edges[i]));
    }
    body->minX_ = body->minY_ = -2.0f * largest;
    body->maxX_ = body->maxY_ = 2.0f * largest;
    return body;
}

Object* Object::MakePolygon(std::recursive_mutex* lock, Kind kind, int pointCount, const float* points)
{
    auto* body = new Object(lock, kind, kPolygon);
    if (pointCount > 0 && points)
        body->points_.assign(points, points + size_t(pointCount) * 2);
    float largest = 0.0f;
    for (float v : body->points_)
        largest = std::max(largest, std::fabs(v));
    body->minX_ = body->minY_ = -2.0f * largest;
    body->maxX_ = body->maxY_ = 2.0f * largest;
    return body;
}

bool Object::IsMoving()
{
    Lock hold(*lock_);
    return MovingUnlocked();
}

void Object::SetExclusionZone(float x, float y, float radius)
{
    Lock hold(*lock_);
    zoneX_ = x;
    zoneY_ = y;
    zoneRadius2_ = radius * radius;
}

void Object::SetEnabled(bool enabled)
{
    Lock hold(*lock_);
    if (collides_ != enabled)
        NoteStillEdit();
    collides_ = enabled;
}

void Object::EnableZoneExclusion()
{
    Lock hold(*lock_);
    zoneExcludable_ = true;
}

void Object::SetRestitution(float restitution)
{
    Lock hold(*lock_);
    restitution_ = restitution;
}

void Object::SetRotation(float degrees)
{
    Lock hold(*lock_);
    SetAngleUnlocked(degrees);
}

float Object::GetRotation()
{
    Lock hold(*lock_);
    return angle_;
}

void Object::SetPosition(float x, float y)
{
    Lock hold(*lock_);
    if (x != x_ || y != y_)
        NoteStillEdit();
    x_ = x;
    y_ = y;
}

void Object::GetPosition(float* x, float* y)
{
    Lock hold(*lock_);
    if (x)
        *x = x_;
    if (y)
        *y = y_;
}

void Object::ApplyImpulse(float pointX, float pointY, float impulseX, float impulseY)
{
    Lock hold(*lock_);
    ImpulseUnlocked(pointX, pointY, impulseX, impulseY);
}

void Object::ApplyFriction(float amount)
{
    Lock hold(*lock_);
    FrictionUnlocked(amount);
}

void Object::GetVelocity(float* vx, float* vy, float* angular)
{
    Lock hold(*lock_);
    if (vx)
        *vx = vx_;
    if (vy)
        *vy = vy_;
    if (angular)
        *angular = angular_;
}

void Object::SetAngleUnlocked(float degrees)
{
    if (degrees == angle_)
        return;
    NoteStillEdit();
    angle_ = degrees;
    turnStale_ = true;
}

void Object::ImpulseUnlocked(float pointX, float pointY, float impulseX, float impulseY)
{
    angular_ += ((pointX - x_) * impulseY - (pointY - y_) * impulseX) * inverseInertia_ * kAngularImpulseFactor;
    vx_ += impulseX * inverseMass_;
    vy_ += impulseY * inverseMass_;
}

void Object::FrictionUnlocked(float amount)
{
    if (angular_ > 0.0f)
        angular_ = std::max(0.0f, angular_ - amount);
    else if (angular_ < 0.0f)
        angular_ = std::min(0.0f, angular_ + amount);

    float speed = std::sqrt(vx_ * vx_ + vy_ * vy_);
    if (speed < kMinSpeed) {
        vx_ = vy_ = 0.0f;
        return;
    }
    float slower = speed - amount * inverseMass_;
    if (slower < kMinSpeed) {
        vx_ = vy_ = 0.0f;
        return;
    }
    vx_ *= slower / speed;
    vy_ *= slower / speed;
}

void Object::Integrate(float dt)
{
    FrictionUnlocked(dt * 2000.0f);
    x_ += dt * vx_;
    y_ += dt * vy_;
    SetAngleUnlocked(angle_ + dt * angular_);
}

void Object::PlacedOutline(std::vector<float>& out) const
{
    if (turnStale_) {
        float radians = angle_ * kDegreesToRadians;
        cos_ = std::cos(radians);
        sin_ = std::sin(radians);
        turnStale_ = false;
    }
    auto place = [&](float px, float py) {
        out.push_back(x_ + px * cos_ - py * sin_);
        out.push_back(y_ + py * cos_ + px * sin_);
    };
    if (shape_ == kBox) {
        // The parallelogram from the position along the two edge vectors.
        place(0.0f, 0.0f);
        place(edges_[0], edges_[1]);
        place(edges_[0] + edges_[2], edges_[1] + edges_[3]);
        place(edges_[2], edges_[3]);
    } else if (shape_ == kPolygon) {
        for (size_t i = 0; i + 1 < points_.size(); i += 2)
            place(points_[i], points_[i + 1]);
    }
}

bool Object::CircleContact(const float* outline, size_t corners, const Object& circle, bool normalTowardCircle,
                           Contact& contact)
{
    float cx = circle.x_, cy = circle.y_;
    // The nearest edge within the radius, not the first: after a step that
    // went deep the first edge can be a side, whose push lets the body on.
    float nearest = circle.radius_;
    bool found = false;
    int turns = 0, edges = 0; // on the inner side of every edge: inside
    for (size_t i = 0; i < corners; ++i) {
        size_t j = (i + 1) % corners;
        float sx = outline[2 * i], sy = outline[2 * i + 1];
        float ex = outline[2 * j] - sx, ey = outline[2 * j + 1] - sy;
        if (ex != 0.0f || ey != 0.0f) {
            float side = ex * (cy - sy) - ey * (cx - sx);
            turns += side > 0.0f ? 1 : side < 0.0f ? -1 : 0;
            ++edges;
        }
        float length = std::max(std::sqrt(ex * ex + ey * ey), kMinSegmentLength);
        float t = ((cx - sx) * ex + (cy - sy) * ey) / (length * length);
        t = std::min(1.0f, std::max(0.0f, t));
        float qx = sx + t * ex, qy = sy + t * ey;
        float dx = cx - qx, dy = cy - qy;
        float distance = std::sqrt(dx * dx + dy * dy);
        if (!(distance < nearest))
            continue;
        nearest = distance;
        float d = std::max(distance, kMinDistance);
        contact = Contact{qx, qy, dx / d, dy / d};
        found = true;
    }
    if (!found)
        return false;
    // A centre inside the outline leaves through the nearest edge.
    bool inside = edges >= 3 && (turns == edges || turns == -edges);
    float sign = (normalTowardCircle != inside) ? 1.0f : -1.0f;
    contact.normalX *= sign;
    contact.normalY *= sign;
    return true;
}

} // namespace PhysicsSW
