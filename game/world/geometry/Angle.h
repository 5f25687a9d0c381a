#pragma once

#include <cmath>

// Degrees become radians with 3.1416, not the full pi: headings and
// rotations in stored data were computed that way.
inline double DegreesToRadians(float degrees) { return double(degrees) / 180.0 * 3.1416; }

inline void CosSinOfDegrees(float degrees, float* c, float* s)
{
    double r = DegreesToRadians(degrees);
    *c = float(std::cos(r));
    *s = float(std::sin(r));
}
