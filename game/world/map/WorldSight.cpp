#include "game/world/map/World.h"

#include <algorithm>
#include <cmath>

namespace {

bool Finite4(float a, float b, float c, float d)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// Coordinates far outside any grid are all the same to the walks below;
// clamping keeps the float-to-int conversions defined.
constexpr float kFar = 1.0e7f;

int FloorTile(float p) { return int(std::floor(std::max(-kFar, std::min(p, kFar)))); }

} // namespace

void World::SegmentNormal(float* nx, float* ny, float x0, float y0, float x1, float y1)
{
    float len = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
    if (len == 0.0f)
        len = 0.0001f;
    *nx = -(y1 - y0) / len;
    *ny = (x1 - x0) / len;
}

bool World::IntersectSegments(float* ix, float* iy, float a0x, float a0y, float a1x, float a1y, float b0x, float b0y,
                              float b1x, float b1y)
{
    const float rx = a1x - a0x, ry = a1y - a0y;
    const float sx = b1x - b0x, sy = b1y - b0y;
    const float denom = rx * sy - ry * sx;
    if (denom == 0.0f) {
        *ix = a0x;
        *iy = a0y;
        return false;
    }
    const float qx = b0x - a0x, qy = b0y - a0y;
    const float t = (qx * sy - qy * sx) / denom;
    const float u = (qx * ry - qy * rx) / denom;
    *ix = a0x + t * rx;
    *iy = a0y + t * ry;
    return t >= 0.0f && t <= 1.0f && u >= 0.0f && u <= 1.0f;
}

float World::DistanceToSegment(float ax, float ay, float bx, float by, float px, float py)
{
    const float dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    if (len2 == 0.0f)
        len2 = 0.001f * 0.001f;
    float t = ((px - ax) * dx + (py - ay) * dy) / len2;
    t = std::max(0.0f, std::min(1.0f, t));
    const float cx = ax + t * dx - px, cy = ay + t * dy - py;
    return std::sqrt(cx * cx + cy * cy);
}

float World::IntersectWallCell(int tx, int ty, float x0, float y0, float x1, float y1, float* hitX, float* hitY,
                               int* side) const
{
    if (!InGrid(tx, ty) || !IsIntactWall(At(tx, ty)))
        return -1.0f;
    const float bx = float(tx * kTileSize - 1), by = float(ty * kTileSize - 1), e = 34.0f;
    const float edges[4][4] = {
        {bx, by, bx + e, by},         // top
        {bx, by + e, bx + e, by + e}, // bottom
        {bx + e, by, bx + e, by + e}, // right
        {bx, by, bx, by + e},         // left
    };
    const int sides[4] = {1, 3, 2, 4};
    float best = 50000.0f;
    bool found = false;
    for (int k = 0; k < 4; ++k) {
        float ix, iy;
        if (!IntersectSegments(&ix, &iy, x0, y0, x1, y1, edges[k][0], edges[k][1], edges[k][2], edges[k][3]))
            continue;
        const float d = std::sqrt((ix - x0) * (ix - x0) + (iy - y0) * (iy - y0));
        if (d < best) {
            best = d;
            found = true;
            if (hitX)
                *hitX = ix;
            if (hitY)
                *hitY = iy;
            if (side)
                *side = sides[k];
        }
    }
    return found ? best : -1.0f;
}

float World::CastRay(float* hitX, float* hitY, float x0, float y0, float x1, float y1, int* tileX, int* tileY,
                     int* side) const
{
    if (!Finite4(x0, y0, x1, y1))
        return -1.0f;
    const double ddx = double(x1) - x0, ddy = double(y1) - y0;
    const double length = std::sqrt(ddx * ddx + ddy * ddy);
    if (!(length >= 0.0001))
        return -1.0f;
    const float ux = float(ddx / length), uy = float(ddy / length);
    float px = x0 / kTileSize, py = y0 / kTileSize;
    const int endX = FloorTile(x1 / kTileSize), endY = FloorTile(y1 / kTileSize);
    for (int step = 0; step < 1000; ++step) {
        const int tx = FloorTile(px), ty = FloorTile(py);
        const float hit = IntersectWallCell(tx, ty, x0, y0, x1, y1, hitX, hitY, side);
        if (hit > 0.0f) {
            if (tileX)
                *tileX = tx;
            if (tileY)
                *tileY = ty;
            return hit;
        }
        if ((ux > 0.0f && tx > endX) || (ux < 0.0f && tx < endX) || (uy > 0.0f && ty > endY) ||
            (uy < 0.0f && ty < endY))
            return -1.0f;
        auto toBoundary = [](float p, float u) {
            if (u == 0.0f)
                return 1.0e30f;
            float d = u > 0.0f ? (std::floor(p) + 1.0f - p) / u : (p - std::floor(p)) / -u;
            if (d < 0.0001f)
                d = 1.0f / std::fabs(u);
            return d;
        };
        const float t = std::min(toBoundary(px, ux), toBoundary(py, uy));
        px += ux * t;
        py += uy * t;
    }
    return -1.0f;
}

int World::ClassifyWallCrossing(int tx, int ty, float sx, float sy, float ex, float ey, float* d) const
{
    *d = 0.0f;
    if (!InGrid(tx, ty) || !IsIntactWall(At(tx, ty)))
        return 0;
    const float bx = float(tx * kTileSize - 1), by = float(ty * kTileSize - 1), e = 34.0f;
    auto inside = [&](float x, float y) { return x >= bx && x < bx + e && y >= by && y < by + e; };
    if (inside(sx, sy) || inside(ex, ey))
        return 0;
    float ix, iy;
    const bool T = IntersectSegments(&ix, &iy, sx, sy, ex, ey, bx, by, bx + e, by);
    const bool R = IntersectSegments(&ix, &iy, sx, sy, ex, ey, bx + e, by, bx + e, by + e);
    const bool B = IntersectSegments(&ix, &iy, sx, sy, ex, ey, bx, by + e, bx + e, by + e);
    const bool L = IntersectSegments(&ix, &iy, sx, sy, ex, ey, bx, by, bx, by + e);
    if (!T && !R && !B && !L)
        return 0;
    if (T && R && B && L)
        return 1;
    // Corner distances: top-left, top-right, bottom-right, bottom-left.
    const float a = DistanceToSegment(sx, sy, ex, ey, bx, by);
    const float b = DistanceToSegment(sx, sy, ex, ey, bx + e, by);
    const float c = DistanceToSegment(sx, sy, ex, ey, bx + e, by + e);
    const float f = DistanceToSegment(sx, sy, ex, ey, bx, by + e);
    auto result = [d](int cls, float dist) {
        *d = cls == 1 ? 0.0f : dist;
        return cls;
    };
    if (T) {
        if (b > a) {
            if (B)
                return c > f ? result(2, std::max(a, f)) : result(1, 0);
            if (R)
                return c > b ? result(4, std::max(a, b)) : result(1, 0);
            return f > a ? result(6, a) : result(2, std::max(a, f));
        }
        if (B)
            return c <= f ? result(3, std::max(b, c)) : result(1, 0);
        if (L)
            return f > a ? result(4, std::max(a, b)) : result(1, 0);
        return c > b ? result(7, b) : result(3, std::max(b, c));
    }
    if (R) {
        if (c > b) {
            if (B)
                return f >= c ? result(3, std::max(b, c)) : result(1, 0);
            if (L)
                return f > a ? result(4, std::max(a, b)) : result(1, 0);
            return a >= b ? result(7, b) : result(4, std::max(a, b));
        }
        if (B)
            return f >= c ? result(9, c) : result(5, std::max(c, f));
        if (L)
            return f <= a ? result(5, std::max(c, f)) : result(1, 0);
        return a >= b ? result(3, std::max(b, c)) : result(1, 0);
    }
    if (B) {
        if (c > f)
            return a >= f ? result(8, f) : result(2, std::max(a, f));
        return a >= f ? result(5, std::max(c, f)) : result(1, 0);
    }
    if (f > a)
        return c > f ? result(2, std::max(a, f)) : result(1, 0);
    return c > f ? result(8, f) : result(5, std::max(c, f));
}

float World::GetLineVisibility(float x0, float y0, float x1, float y1) const
{
    if (!Finite4(x0, y0, x1, y1))
        return 0.0f;
    const double ddx = double(x1) - x0, ddy = double(y1) - y0;
    const double dlength = std::sqrt(ddx * ddx + ddy * ddy);
    if (!(dlength >= 0.0001))
        return -1.0f;
    const float length = float(std::min(dlength, 1.0e30));
    const float ux = float(ddx / dlength), uy = float(ddy / dlength);
    const float ex = x1 + 5.0f * ux, ey = y1 + 5.0f * uy;

    // Classes 2..9: the classes each may follow, and the neighbours that
    // must be open for the line to pass beside the wall.
    struct Rule {
        int after[2];
        int tiles[3][2];
        int tileCount;
    };
    static const Rule rules[10] = {
        {{0, 0}, {}, 0},
        {{0, 0}, {}, 0},
        {{6, 8}, {{-1, 0}, {-1, -1}, {-1, 1}}, 3},
        {{7, 9}, {{1, 0}, {1, -1}, {1, 1}}, 3},
        {{6, 7}, {{0, -1}, {-1, -1}, {1, -1}}, 3},
        {{9, 8}, {{0, 1}, {-1, 1}, {1, 1}}, 3},
        {{2, 4}, {{-1, 0}, {-1, -1}}, 2},
        {{3, 4}, {{1, 0}, {1, -1}}, 2},
        {{2, 5}, {{-1, 0}, {-1, 1}}, 2},
        {{3, 5}, {{1, 0}, {1, 1}}, 2},
    };

    float vis = 1.0f;
    int cls = 0;
    bool changedClass = false;
    float px = x0 / kTileSize, py = y0 / kTileSize;
    long long steps = (long long)(std::min(length, 1.0e8f) / 16.0f) + 5;
    steps = std::min(steps, (long long)(width_ + height_) * 2 + 5);
    for (long long s = 0; s < steps; ++s) {
        const int tx = FloorTile(px), ty = FloorTile(py);
        if (tx >= 0) {
            float d;
            const int c = ClassifyWallCrossing(tx, ty, x0, y0, ex, ey, &d);
            if (c == 1)
                return 0.0f;
            if (c >= 2) {
                const float v = std::max(0.0f, std::min(1.0f, 1.0f - d / 16.0f));
                if (cls == 0) {
                    cls = c;
                    vis = v;
                } else if (cls == c) {
                    vis = std::min(vis, v);
                } else if ((rules[c].after[0] == cls || rules[c].after[1] == cls) && !changedClass) {
                    vis = std::min(vis, v);
                    cls = c;
                    changedClass = true;
                } else {
                    return 0.0f;
                }
                for (int k = 0; k < rules[c].tileCount; ++k)
                    if (IsSolidWallAt(tx + rules[c].tiles[k][0], ty + rules[c].tiles[k][1]))
                        return 0.0f;
            }
        }
        px += ux * 0.5f;
        py += uy * 0.5f;
        if (px < 0.0f || px >= float(width_) || py < 0.0f || py >= float(height_))
            return vis;
    }
    return vis;
}
