#include "game/world/phys/BoxHull.h"

#include "game/world/geometry/Intersect.h"
#include "game/world/geometry/Position.h"
#include "game/world/phys/Geometry.h"
#include "game/world/phys/IntersectionPacket.h"

#include <algorithm>

namespace PhysEng {

namespace {

struct Corners {
    float x[4], y[4];
};

Corners PlaceCorners(const BoxHull& box, float px, float py, float cosine, float sine)
{
    float r1x, r1y, r2x, r2y;
    Turn(box.edge1X, box.edge1Y, cosine, sine, &r1x, &r1y);
    Turn(box.edge2X, box.edge2Y, cosine, sine, &r2x, &r2y);
    Corners c;
    c.x[0] = px;
    c.y[0] = py;
    c.x[1] = px + r1x;
    c.y[1] = py + r1y;
    c.x[2] = c.x[1] + r2x;
    c.y[2] = c.y[1] + r2y;
    c.x[3] = px + r2x;
    c.y[3] = py + r2y;
    return c;
}

// Inner side of the line through (qx, qy) with outward normal (nx, ny).
bool Inside(float x, float y, float qx, float qy, float nx, float ny)
{
    return nx * (x - qx) + ny * (y - qy) <= 0.0001f;
}

} // namespace

void BoxHull::SetEdges(float e1x, float e1y, float e2x, float e2y)
{
    edge1X = e1x;
    edge1Y = e1y;
    edge2X = e2x;
    edge2Y = e2y;
    centreX = (e1x + e2x) / 2.0f;
    centreY = (e1y + e2y) / 2.0f;
}

bool BoxHull::ClosestPoint(const Position& pose, float x, float y, float* outX, float* outY) const
{
    Corners c = PlaceCorners(*this, pose.x, pose.y, pose.cos, pose.sin);
    float best = 0.0f;
    for (int i = 0; i < 4; ++i) {
        int j = (i + 1) % 4;
        float px, py;
        ClosestPointOnSegment(c.x[i], c.y[i], c.x[j], c.y[j], x, y, &px, &py);
        float d = (px - x) * (px - x) + (py - y) * (py - y);
        if (i == 0 || d < best) {
            best = d;
            *outX = px;
            *outY = py;
        }
    }
    return true;
}

void BoxHull::UpdateRotation(float cosine, float sine)
{
    // The far corner and the origin count too: a turned box must not slip
    // through the broad test.
    float r1x, r1y, r2x, r2y;
    Turn(edge1X, edge1Y, cosine, sine, &r1x, &r1y);
    Turn(edge2X, edge2Y, cosine, sine, &r2x, &r2y);
    minX = std::min({0.0f, r1x, r2x, r1x + r2x});
    maxX = std::max({0.0f, r1x, r2x, r1x + r2x});
    minY = std::min({0.0f, r1y, r2y, r1y + r2y});
    maxY = std::max({0.0f, r1y, r2y, r1y + r2y});
}

bool BoxHull::Intersect(const Position& pose, float x0, float y0, float x1, float y1, IntersectionPacket* packet) const
{
    float dx = x1 - x0, dy = y1 - y0;
    float length = Normalize(&dx, &dy);
    Corners c = PlaceCorners(*this, pose.x, pose.y, pose.cos, pose.sin);
    float m1x = -(c.x[1] - c.x[0]), m1y = -(c.y[1] - c.y[0]);
    float m2x = -(c.x[3] - c.x[0]), m2y = -(c.y[3] - c.y[0]);
    Normalize(&m1x, &m1y);
    Normalize(&m2x, &m2y);
    // Side lines: point, outward normal; the other pair bounds the crossing.
    struct Side {
        int corner;
        float nx, ny;
    };
    const Side sides[4] = {{0, m1x, m1y}, {1, -m1x, -m1y}, {0, m2x, m2y}, {3, -m2x, -m2y}};
    for (int i = 0; i < 4; ++i) {
        const Side& s = sides[i];
        float qx = c.x[s.corner], qy = c.y[s.corner];
        float hitX, hitY;
        float t = IntersectRayLine(x0, y0, dx, dy, s.nx, s.ny, -(s.nx * qx + s.ny * qy), &hitX, &hitY);
        if (!(t >= 0.0f && t <= length))
            continue;
        if (packet->hit && !(t <= packet->distance))
            continue;
        const Side& a = sides[i < 2 ? 2 : 0];
        const Side& b = sides[i < 2 ? 3 : 1];
        if (!Inside(hitX, hitY, c.x[a.corner], c.y[a.corner], a.nx, a.ny) ||
            !Inside(hitX, hitY, c.x[b.corner], c.y[b.corner], b.nx, b.ny))
            continue;
        packet->hitX = hitX;
        packet->hitY = hitY;
        packet->hit = true;
        packet->distance = t;
        return true;
    }
    return false;
}

bool BoxHull::Sweep(float cx, float cy, float moveX, float moveY, float radius, float poseX, float poseY, float cosine,
                    float sine, IntersectionPacket* packet, bool sideWanted) const
{
    Corners c = PlaceCorners(*this, poseX, poseY, cosine, sine);
    float midX, midY;
    Turn(centreX, centreY, cosine, sine, &midX, &midY);
    midX += poseX;
    midY += poseY;
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        int j = (i + 1) % 4;
        if (SweepCircleEdge(packet, cx, cy, moveX, moveY, radius, c.x[i], c.y[i], c.x[j], c.y[j], midX, midY,
                            sideWanted))
            any = true;
    }
    return any;
}

} // namespace PhysEng
