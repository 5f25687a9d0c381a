#pragma once

class Position;

namespace PhysEng {

struct IntersectionPacket;

// The shape of a body in the body's own frame: the origin is the body's pose
// point and the pose's angle turns it. Bounds are valid after
// UpdateRotation; the world keeps them current before every query.
class Hull {
public:
    enum Type { kSphere = 0, kBox = 1, kPolygon = 2 };

    virtual ~Hull() {}
    virtual int GetHullType() const = 0;
    virtual void Reserved2(int) {}
    // The point of the hull nearest to (x, y), for blasts.
    virtual bool ClosestPoint(const Position& pose, float x, float y, float* outX, float* outY) const;
    virtual void UpdateRotation(float cosine, float sine) = 0;
    // Region in the body's frame; touching edges overlap.
    virtual bool Overlaps(float x0, float y0, float x1, float y1) const;
    // The first crossing of the segment, recorded in the packet when it is
    // nearer than what the packet holds.
    virtual bool Intersect(const Position& pose, float x0, float y0, float x1, float y1,
                           IntersectionPacket* packet) const = 0;
    virtual bool IntersectAt(float x, float y, float radians, float x0, float y0, float x1, float y1) const = 0;
    // How far a circle travels along the move before it touches the hull.
    virtual bool Sweep(float cx, float cy, float moveX, float moveY, float radius, float poseX, float poseY,
                       float cosine, float sine, IntersectionPacket* packet, bool sideWanted) const = 0;

    float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
};

// The parameter t at which origin + t * direction meets the line through a
// and b; -1 when the direction runs along the line.
float RayLineDistance(float ax, float ay, float bx, float by, float dirX, float dirY, float originX, float originY);

// Sweeps a circle against the edge from (sx, sy) to (ex, ey); (centreX,
// centreY) is the middle of the shape, for the slide side.
bool SweepCircleEdge(IntersectionPacket* packet, float cx, float cy, float moveX, float moveY, float radius, float sx,
                     float sy, float ex, float ey, float centreX, float centreY, bool sideWanted);

} // namespace PhysEng
