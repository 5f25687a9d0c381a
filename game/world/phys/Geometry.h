#pragma once

#include <cmath>

// Two-float vector helpers of the physics.
namespace PhysEng {

// Unit length; a zero vector counts as length 0.0001. Returns the length.
inline float Normalize(float* x, float* y)
{
    float length = std::sqrt(*x * *x + *y * *y);
    if (length == 0.0f)
        length = 0.0001f;
    *x /= length;
    *y /= length;
    return length;
}

// Unit (-(y1 - y0), x1 - x0).
inline void SegmentNormal(float x0, float y0, float x1, float y1, float* nx, float* ny)
{
    *nx = -(y1 - y0);
    *ny = x1 - x0;
    Normalize(nx, ny);
}

// Projection of (px, py) on the segment, clamped to its ends.
inline void ClosestPointOnSegment(float x0, float y0, float x1, float y1, float px, float py, float* outX, float* outY)
{
    float dx = x1 - x0, dy = y1 - y0;
    float lengthSquared = dx * dx + dy * dy;
    if (lengthSquared < 0.001f * 0.001f)
        lengthSquared = 0.001f * 0.001f;
    float t = ((px - x0) * dx + (py - y0) * dy) / lengthSquared;
    if (t < 0.0f)
        t = 0.0f;
    else if (t > 1.0f)
        t = 1.0f;
    *outX = x0 + dx * t;
    *outY = y0 + dy * t;
}

// The crossing of segments a and b, both parameters within 0..1.
inline bool SegmentsCross(float ax0, float ay0, float ax1, float ay1, float bx0, float by0, float bx1, float by1,
                          float* outX, float* outY)
{
    float rx = ax1 - ax0, ry = ay1 - ay0;
    float sx = bx1 - bx0, sy = by1 - by0;
    float denominator = rx * sy - ry * sx;
    if (denominator == 0.0f)
        return false;
    float qx = bx0 - ax0, qy = by0 - ay0;
    float t = (qx * sy - qy * sx) / denominator;
    float u = (qx * ry - qy * rx) / denominator;
    if (!(t >= 0.0f && t <= 1.0f && u >= 0.0f && u <= 1.0f))
        return false;
    *outX = ax0 + rx * t;
    *outY = ay0 + ry * t;
    return true;
}

inline void Turn(float x, float y, float cosine, float sine, float* outX, float* outY)
{
    *outX = x * cosine - y * sine;
    *outY = y * cosine + x * sine;
}

} // namespace PhysEng
