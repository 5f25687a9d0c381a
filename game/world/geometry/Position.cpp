#include "game/world/geometry/Position.h"

#include "game/world/geometry/Angle.h"

Position::Position() { Reset(); }

void Position::Reset()
{
    x = 0.0f;
    y = 0.0f;
    angle = 0.0f;
    CosSinOfDegrees(0.0f, &cos, &sin);
}

void Position::RotateAbout(float px, float py, float degrees)
{
    float c, s;
    CosSinOfDegrees(degrees, &c, &s);
    float dx = x - px;
    float dy = y - py;
    float cdx = c * dx, sdy = s * dy, cdy = c * dy, sdx = s * dx;
    x = px + (cdx - sdy);
    y = py + (cdy + sdx);
    angle += degrees;
    cos = c;
    sin = s;
}
