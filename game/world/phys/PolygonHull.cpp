#include "game/world/phys/PolygonHull.h"

#include "engine/render/IRenderer.h"
#include "game/world/geometry/Intersect.h"
#include "game/world/geometry/Position.h"
#include "game/world/phys/Geometry.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/resources/IResource.h"

#include <algorithm>
#include <cmath>

namespace PhysEng {

bool PolygonHull::SetFromBounding(IResource* definition)
{
    const float* points = definition ? definition->GetBounding() : nullptr;
    int count = definition ? definition->GetHealth() : 0;
    if (!points || count < 1)
        return false;
    bound_ = points;
    count_ = count;
    ComputeCentre();
    return true;
}

void PolygonHull::SetQuad(const float* points) { SetPoints(points, 4); }

void PolygonHull::SetPoints(const float* points, int count)
{
    if (!points || count < 0)
        count = 0;
    own_.assign(points, points + size_t(count) * 2);
    bound_ = nullptr;
    count_ = count;
    ComputeCentre();
}

const float* PolygonHull::GetPoints() const
{
    if (bound_)
        return bound_;
    return own_.empty() ? nullptr : own_.data();
}

void PolygonHull::ComputeCentre()
{
    // Ranges start from the origin, so the centre always covers it.
    const float* p = GetPoints();
    float lowX = 0.0f, highX = 0.0f, lowY = 0.0f, highY = 0.0f;
    for (int i = 0; i < count_; ++i) {
        lowX = std::min(lowX, p[2 * i]);
        highX = std::max(highX, p[2 * i]);
        lowY = std::min(lowY, p[2 * i + 1]);
        highY = std::max(highY, p[2 * i + 1]);
    }
    centreX = (lowX + highX) / 2.0f;
    centreY = (lowY + highY) / 2.0f;
}

void PolygonHull::GetVertex(float* out, int index, float x, float y, float cosine, float sine) const
{
    if (index < 0 || index >= count_)
        return;
    const float* p = GetPoints();
    float vx = p[2 * index], vy = p[2 * index + 1];
    out[0] = x + vx * cosine - vy * sine;
    out[1] = y + vy * cosine + vx * sine;
}

void PolygonHull::DrawOutline(IRenderer* renderer, float x, float y, float cosine, float sine, float cameraX,
                              float cameraY) const
{
    if (!renderer)
        return;
    for (int i = 0; i < count_; ++i) {
        float a[2], b[2];
        GetVertex(a, i, x - cameraX, y - cameraY, cosine, sine);
        GetVertex(b, (i + 1) % count_, x - cameraX, y - cameraY, cosine, sine);
        renderer->DrawLine(a[0], a[1], b[0], b[1], 255, 0, 0);
    }
}

void PolygonHull::UpdateRotation(float cosine, float sine)
{
    for (int i = 0; i < count_; ++i) {
        float v[2];
        GetVertex(v, i, 0.0f, 0.0f, cosine, sine);
        if (i == 0) {
            minX = maxX = v[0];
            minY = maxY = v[1];
        } else {
            minX = std::min(minX, v[0]);
            maxX = std::max(maxX, v[0]);
            minY = std::min(minY, v[1]);
            maxY = std::max(maxY, v[1]);
        }
    }
}

bool PolygonHull::Intersect(const Position& pose, float x0, float y0, float x1, float y1,
                            IntersectionPacket* packet) const
{
    bool any = false;
    for (int i = 0; i < count_; ++i) {
        float a[2], b[2];
        GetVertex(a, i, pose.x, pose.y, pose.cos, pose.sin);
        GetVertex(b, (i + 1) % count_, pose.x, pose.y, pose.cos, pose.sin);
        float hx, hy;
        if (!SegmentsCross(x0, y0, x1, y1, a[0], a[1], b[0], b[1], &hx, &hy))
            continue;
        float dist = std::hypot(hx - x0, hy - y0);
        if (packet->hit && !(dist < packet->distance))
            continue;
        packet->hitX = hx;
        packet->hitY = hy;
        packet->hit = true;
        packet->distance = dist;
        any = true;
    }
    return any;
}

bool PolygonHull::IntersectAt(float x, float y, float radians, float x0, float y0, float x1, float y1) const
{
    float cosine = std::cos(radians), sine = std::sin(radians);
    for (int i = 0; i < count_; ++i) {
        float a[2], b[2], hx, hy;
        GetVertex(a, i, x, y, cosine, sine);
        GetVertex(b, (i + 1) % count_, x, y, cosine, sine);
        if (SegmentsCross(x0, y0, x1, y1, a[0], a[1], b[0], b[1], &hx, &hy))
            return true;
    }
    return false;
}

bool PolygonHull::Sweep(float cx, float cy, float moveX, float moveY, float radius, float poseX, float poseY,
                        float cosine, float sine, IntersectionPacket* packet, bool sideWanted) const
{
    if (count_ < 1)
        return false;
    float midX, midY;
    Turn(centreX, centreY, cosine, sine, &midX, &midY);
    midX += poseX;
    midY += poseY;
    bool any = false;
    for (int i = 0; i < count_; ++i) {
        float a[2], b[2];
        GetVertex(a, i, poseX, poseY, cosine, sine);
        GetVertex(b, (i + 1) % count_, poseX, poseY, cosine, sine);
        // The edge rule of a box edge, with the side worked out from the
        // polygon's centre for every edge.
        IntersectionPacket trial = *packet;
        if (!SweepCircleEdge(&trial, cx, cy, moveX, moveY, radius, a[0], a[1], b[0], b[1], midX, midY, false))
            continue;
        float side = 0.0f;
        if (sideWanted) {
            float vx = cx - midX, vy = cy - midY, mx = moveX, my = moveY;
            Normalize(&vx, &vy);
            Normalize(&mx, &my);
            side = my * vx - mx * vy > 0.0f ? 1.0f : -1.0f;
        }
        trial.side = side;
        *packet = trial;
        any = true;
    }
    return any;
}

} // namespace PhysEng
