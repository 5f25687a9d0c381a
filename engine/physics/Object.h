#pragma once

#include "engine/physics/BroadPhase.h"
#include "engine/physics/IPhysObject.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace PhysicsSW {

class Physics;

// One body: a circle, a box or a polygon, static (never moved) or moving.
// The public operations take the world's lock; the world's own step calls
// the unlocked forms while it holds it.
class Object : public IPhysObject {
public:
    enum Kind { kStatic = 0, kMoving = 1 };
    enum Shape { kCircle = 0, kBox = 1, kPolygon = 2 };

    static constexpr float kInverseMass = 0.06666667f;
    static constexpr float kInverseInertia = 0.027586207f;
    static constexpr float kDegreesToRadians = 3.1416f / 180.0f;
    static constexpr float kAngularImpulseFactor = 0.3f;

    static Object* MakeCircle(std::recursive_mutex* lock, Kind kind, float radius);
    static Object* MakeBox(std::recursive_mutex* lock, Kind kind, const float* edges);
    static Object* MakePolygon(std::recursive_mutex* lock, Kind kind, int pointCount, const float* points);

    bool IsMoving() override;
    void SetExclusionZone(float x, float y, float radius) override;
    void SetEnabled(bool enabled) override;
    void EnableZoneExclusion() override;
    void SetRestitution(float restitution) override;
    void SetRotation(float degrees) override;
    float GetRotation() override;
    void SetPosition(float x, float y) override;
    void GetPosition(float* x, float* y) override;
    void ApplyImpulse(float pointX, float pointY, float impulseX, float impulseY) override;
    void ApplyFriction(float amount) override;

    Kind GetKind() const { return kind_; }
    Shape GetShape() const { return shape_; }
    // Velocity x, y and angular velocity (degrees per second).
    void GetVelocity(float* vx, float* vy, float* angular);

private:
    friend class Physics;
    friend class BroadPhase;
    struct Contact {
        float x, y, normalX, normalY;
    };

    Object(std::recursive_mutex* lock, Kind kind, Shape shape);

    bool MovingUnlocked() const { return vx_ != 0.0f || vy_ != 0.0f || angular_ != 0.0f; }
    void ImpulseUnlocked(float pointX, float pointY, float impulseX, float impulseY);
    void FrictionUnlocked(float amount);
    void SetAngleUnlocked(float degrees);
    void Integrate(float dt);
    // Outline corners placed at the pose, for boxes and polygons, appended
    // to out as x/y pairs.
    void PlacedOutline(std::vector<float>& out) const;
    // The contact of a circle with an outline of placed corners, if any:
    // point and the normal that pushes the circle (toward it) or the outline
    // body (away from it).
    static bool CircleContact(const float* outline, size_t corners, const Object& circle, bool normalTowardCircle,
                              Contact& contact);

    // A change to a body that never moves: the world files those again.
    void NoteStillEdit()
    {
        if (kind_ == kStatic && stillEdits_)
            ++*stillEdits_;
    }

    // What a step reads of every moving body comes first.
    float x_ = 0.0f, y_ = 0.0f;
    float vx_ = 0.0f, vy_ = 0.0f, angular_ = 0.0f;
    float angle_ = 0.0f;
    float radius_ = 0.0f;
    float minX_ = 0.0f, minY_ = 0.0f, maxX_ = 0.0f, maxY_ = 0.0f;
    float inverseMass_ = kInverseMass;
    float inverseInertia_ = kInverseInertia;
    float restitution_ = 1.0f;
    float zoneX_ = 0.0f, zoneY_ = 0.0f, zoneRadius2_ = 0.0f;
    Kind kind_;
    Shape shape_;
    bool collides_ = true;
    bool zoneExcludable_ = false;
    // The turn's cosine and sine, made when an outline is placed: a
    // circle's turn changes nothing it touches.
    mutable bool turnStale_ = false;
    mutable float cos_ = 1.0f, sin_ = 0.0f;
    uint64_t serial_ = 0; // place in the world's list: the order of creation
    std::recursive_mutex* lock_;
    uint64_t* stillEdits_ = nullptr; // the world's count, under its lock
    BroadPhase::Nearby nearby_;
    float edges_[4] = {0, 0, 0, 0};
    std::vector<float> points_;
};

} // namespace PhysicsSW
