#include "game/world/geometry/Intersect.h"

#include <cmath>

float IntersectRayCircle(float ox, float oy, float dx, float dy, float cx, float cy, float radius)
{
    // A zero or negative radius would make k infinite and the roots NaN.
    if (!(radius > 0.0f))
        return -1.0f;
    double k = 1.0 / double(radius);
    k *= k;
    double ex = double(ox) - cx;
    double ey = double(oy) - cy;
    double a = k * (double(dx) * dx + double(dy) * dy);
    double b = 2.0 * k * (double(dx) * ex + double(dy) * ey);
    double c = k * (ex * ex + ey * ey) - 1.0;
    double discriminant = b * b - 4.0 * a * c;
    if (!(discriminant > 0.0))
        return -1.0f;
    return float((-b - std::sqrt(discriminant)) / (2.0 * a));
}

float IntersectRayLine(float ox, float oy, float dx, float dy, float nx, float ny, float d, float* hitX, float* hitY)
{
    float dot = dx * nx + dy * ny;
    if (!(dot < 0.0f))
        return -1.0f;
    float t = -(nx * ox + ny * oy + d) / dot;
    if (!(t >= 0.0f))
        return -1.0f;
    if (hitX)
        *hitX = ox + dx * t;
    if (hitY)
        *hitY = oy + dy * t;
    return t;
}
