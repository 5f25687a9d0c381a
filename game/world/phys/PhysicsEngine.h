#pragma once

#include "engine/core/List.h"
#include "game/world/phys/BodyGrid.h"
#include "game/world/phys/IntersectionPacket.h"

#include <vector>

class HitObjects;
class IPhysics;
class Object;

namespace PhysEng {

class MovingObject;
class Object;
class StaticObject;

// The game's physics world: bodies in creation order, which is also the
// order in which queries visit them, and a grid over the level so that a
// query only looks at bodies near it. The game state owns the one world
// (Services().physics). Main thread only.
class PhysicsEngine {
public:
    PhysicsEngine();
    // Deletes the bodies that have no owner; engine bodies stay with the
    // engine physics, which deletes its own.
    ~PhysicsEngine();
    PhysicsEngine(const PhysicsEngine&) = delete;
    PhysicsEngine& operator=(const PhysicsEngine&) = delete;

    // The engine physics (borrowed) that mirrors the bodies; may be null.
    void SetPhysics(IPhysics* physics) { physics_ = physics; }
    IPhysics* GetPhysics() const { return physics_; }
    // The level's extent in pixels; the index covers it. Call before the
    // wall bodies are made (bodies already listed are indexed again).
    void SetArea(float width, float height);

    // An empty body (no owner, no hull, no engine body), appended.
    MovingObject* NewMovingObject();
    StaticObject* NewStaticObject();
    // Called by the body's destructor: the body leaves the list (order kept)
    // and its engine body leaves the engine physics.
    void RemoveObject(Object* body);
    // Deletes every body and every engine body.
    void Clear();
    // Copies each engine body's pose into its body.
    void SyncFromEngine();
    // Pushes every live body away from the blast; ignored when not finite.
    void ApplyBlast(float x, float y, float power);

    // The nearest body on the segment whose owner's cover stops the shot.
    // hitList and shooter may be null. Owners met are added to hitList.
    bool IntersectSegment(HitObjects* hitList, float x0, float y0, float x1, float y1, IntersectionPacket* packet,
                          ::Object* shooter);
    // Collide and slide of a circle: shortens the movement at the first
    // contact and gives the slide vector. A body set as the packet's ignored
    // body is skipped.
    void MoveCircle(float x, float y, float* moveX, float* moveY, float radius, bool slide, bool slideDirection,
                    bool ignoreLowCover, float* slideX, float* slideY, IntersectionPacket* packet);

    IntersectionPacket* NewPacket() { return packets_.NewPacket(); }
    const Util::List<Object>& GetBodies() const { return bodies_; }
    int GetBodyCount() const { return bodies_.GetCount(); }

private:
    friend class Object;
    void Append(Object* body);
    void MarkDirty(Object* body);
    void FlushIndex();
    void Reindex(Object* body);
    // Bodies near a box or a segment, in list order.
    const std::vector<Object*>& Near(float x0, float y0, float x1, float y1);
    std::vector<Object*>& AlongSegment(float x0, float y0, float x1, float y1);
    void SortFound();

    Util::List<Object> bodies_;
    // The moving bodies of bodies_, in its order: the copy from the engine
    // walks only these.
    std::vector<Object*> moving_;
    IntersectionPacketFactory packets_;
    IPhysics* physics_ = nullptr;
    BodyGrid grid_;
    std::vector<Object*> dirty_;
    std::vector<Object*> found_;
    unsigned nextSerial_ = 1;
    unsigned stamp_ = 0;
    bool clearing_ = false;
};

} // namespace PhysEng
