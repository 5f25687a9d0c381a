#include "game/world/phys/Hull.h"

#include "game/world/geometry/Intersect.h"
#include "game/world/phys/Geometry.h"
#include "game/world/phys/IntersectionPacket.h"

#include <cmath>

namespace PhysEng {

bool Hull::ClosestPoint(const Position&, float, float, float*, float*) const { return false; }

bool Hull::Overlaps(float x0, float y0, float x1, float y1) const
{
    return minX <= x1 && maxX >= x0 && minY <= y1 && maxY >= y0;
}

float RayLineDistance(float ax, float ay, float bx, float by, float dirX, float dirY, float originX, float originY)
{
    float nx, ny;
    SegmentNormal(bx, by, ax, ay, &nx, &ny);
    float facing = dirX * nx + dirY * ny;
    if (std::fabs(facing) < 0.0001f)
        return -1.0f;
    return ((ax - originX) * nx + (ay - originY) * ny) / facing;
}

bool SweepCircleEdge(IntersectionPacket* packet, float cx, float cy, float moveX, float moveY, float radius, float sx,
                     float sy, float ex, float ey, float centreX, float centreY, bool sideWanted)
{
    float dirX = moveX, dirY = moveY;
    Normalize(&dirX, &dirY);
    float nx, ny;
    SegmentNormal(sx, sy, ex, ey, &nx, &ny);
    // Only an edge that the movement enters.
    if (nx * dirX + ny * dirY < 0.0f)
        return false;

    float aimX, aimY; // the point whose nearest edge point is the contact
    float t0 = RayLineDistance(ex, ey, sx, sy, nx, ny, cx, cy);
    if (t0 < radius) {
        if (t0 < 0.0f)
            return false;
        aimX = cx + t0 * nx;
        aimY = cy + t0 * ny;
    } else {
        float leadX = cx + radius * nx, leadY = cy + radius * ny;
        float travel = RayLineDistance(ex, ey, sx, sy, dirX, dirY, leadX, leadY);
        if (travel < 0.0f)
            return false;
        aimX = leadX + travel * dirX;
        aimY = leadY + travel * dirY;
    }
    float contactX, contactY;
    ClosestPointOnSegment(sx, sy, ex, ey, aimX, aimY, &contactX, &contactY);

    // Back from the contact along the move: how far the circle travels until
    // it touches it. Straight back along the normal would miss the circle on
    // a long slanted move and let it pass through the edge.
    float backX = -nx, backY = -ny;
    if (dirX != 0.0f || dirY != 0.0f) {
        backX = -dirX;
        backY = -dirY;
    }
    float f = IntersectRayCircle(contactX, contactY, backX, backY, cx, cy, radius);
    if (f < 0.0f) {
        float g = std::hypot(contactX - cx, contactY - cy);
        if (radius < g || (radius == g && f == -1.0f))
            return false;
    }
    if (packet->hit && !(f < packet->distance))
        return false;
    packet->distance = f;
    packet->hit = true;
    packet->hitX = contactX;
    packet->hitY = contactY;
    packet->normalX = nx;
    packet->normalY = ny;

    if (!sideWanted) {
        packet->side = 0.0f;
    } else if (std::hypot(cx - sx, cy - sy) < 15.0f || std::hypot(cx - ex, cy - ey) < 15.0f) {
        float ux = cx - centreX, uy = cy - centreY;
        Normalize(&ux, &uy);
        packet->side = dirY * ux - dirX * uy > 0.0f ? 1.0f : -1.0f;
    }
    return true;
}

} // namespace PhysEng
