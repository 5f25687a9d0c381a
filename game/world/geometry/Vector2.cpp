#include "game/world/geometry/Vector2.h"

#include <cmath>

float Vector2::Normalize()
{
    float length = std::sqrt(x * x + y * y);
    if (length == 0.0f)
        length = 0.0001f;
    x /= length;
    y /= length;
    return length;
}
