#pragma once

#include "game/world/geometry/Position.h"

class IPhysObject;
class Object;

namespace PhysEng {

class Hull;
class PhysicsEngine;
struct IntersectionPacket;

// A body of the game's physics world, owned by a game object (or by the
// world map for its walls). It owns its hull and its engine body mirror.
// Make bodies through PhysicsEngine::NewStaticObject / NewMovingObject.
class Object {
public:
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual bool IsMoving() const = 0;
    // Takes the hull (deleting one held before) and makes the engine body
    // of its type when the world has an engine physics.
    virtual void Attach(Hull* hull);
    // Region in world coordinates against the hull's bounds at the pose.
    virtual bool OverlapsRegion(float x0, float y0, float x1, float y1);
    virtual bool IntersectSegment(float x0, float y0, float x1, float y1, IntersectionPacket* packet);
    // The segment against the hull at this body's pose.
    virtual bool IntersectAt(float x0, float y0, float x1, float y1);
    virtual bool IntersectCircle(float x, float y, float moveX, float moveY, float radius, IntersectionPacket* packet);
    virtual void ApplyBlast(float, float, float) {}
    virtual void ApplyImpulse(const float*, const float*) {}
    virtual void ApplyImpulseScaled(float, float, float, float, float) {}
    virtual void ApplyFriction(float) {}

    // Pose setters; each passes the change on to the engine body. Values
    // that are not finite are ignored.
    void ResetPose(float x, float y);
    void MoveBy(float dx, float dy);
    void SetAngle(float degrees);
    // Turns the pose about (px, py) by degrees, as Position::RotateAbout.
    void RotateAbout(float px, float py, float degrees);
    // ResetPose(0, 0), RotateAbout(px, py, degrees), MoveBy(x, y) in one:
    // the engine body is given only the pose they end at, and a body that
    // never moves is not touched when that is where it is.
    void Place(float px, float py, float degrees, float x, float y);
    const Position& GetPose() const { return pose_; }

    void SetEnabled(bool enabled);
    bool IsEnabled() const { return enabled_; }
    void SetLive(bool live) { live_ = live; }
    bool IsLive() const { return live_; }
    void SetOwner(::Object* owner) { owner_ = owner; }
    ::Object* GetOwner() const { return owner_; }
    void SetSlideSideWanted(bool wanted) { slideSideWanted_ = wanted; }
    Hull* GetHull() const { return hull_; }
    IPhysObject* GetEngineBody() const { return engineBody_; }
    PhysicsEngine* GetWorld() const { return world_; }

    // Asks for the memory Place reads.
    void PrefetchPlacement() const
    {
        __builtin_prefetch(this);
        __builtin_prefetch(placedFrom_);
        __builtin_prefetch(&placed_);
    }

    // World bounds of the hull at the pose (the pose point for no hull).
    void GetBounds(float* x0, float* y0, float* x1, float* y1);

protected:
    Object(PhysicsEngine* world, bool moving);

    IPhysObject* engineBody_ = nullptr;

private:
    friend class PhysicsEngine;
    void EnsureRotation();
    void PoseChanged();

    PhysicsEngine* world_;
    ::Object* owner_ = nullptr;
    bool live_ = false;
    Hull* hull_ = nullptr;
    bool rotationValid_ = false;
    bool enabled_ = true;
    bool slideSideWanted_ = true;
    bool moving_;
    Position pose_;
    // What the last Place was given, while no other setter has moved the
    // pose since: the same again leaves a still body as it is.
    float placedFrom_[5] = {};
    bool placed_ = false;

    // Kept by the world's index.
    unsigned serial_ = 0;
    unsigned visitStamp_ = 0;
    int cells_[4] = {0, 0, -1, -1};
    bool dirty_ = false;
};

} // namespace PhysEng
