#include "game/world/geometry/Intersect.h"
#include "game/world/geometry/Position.h"
#include "game/world/geometry/Quad.h"
#include "game/world/geometry/Vector2.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

namespace {

// The conversion the game uses, 3.1416 rather than pi.
float Cos16(double deg) { return float(std::cos(deg / 180.0 * 3.1416)); }
float Sin16(double deg) { return float(std::sin(deg / 180.0 * 3.1416)); }

void ExpectDefaults(const Quad& q)
{
    EXPECT_EQ(q.r, 255);
    EXPECT_EQ(q.g, 255);
    EXPECT_EQ(q.b, 255);
    EXPECT_EQ(q.a, 255);
    EXPECT_FLOAT_EQ(q.depth, -1.0f);
}

} // namespace

TEST(Vector2Test, NormalizeUnitAndZero)
{
    Vector2 v{3.0f, 4.0f};
    EXPECT_FLOAT_EQ(v.Normalize(), 5.0f);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.8f);

    Vector2 zero;
    EXPECT_EQ(zero.Normalize(), 0.0001f);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
}

TEST(PositionTest, NewAndResetState)
{
    Position p;
    EXPECT_EQ(p.cos, 1.0f);
    EXPECT_EQ(p.sin, 0.0f);
    p.x = 5;
    p.RotateAbout(0, 0, 33);
    p.Reset();
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_EQ(p.angle, 0.0f);
    EXPECT_EQ(p.cos, 1.0f);
    EXPECT_EQ(p.sin, 0.0f);
}

TEST(PositionTest, RotateAboutUsesTheGameConstant)
{
    Position p;
    p.x = 10;
    p.RotateAbout(0, 0, 90);
    EXPECT_NEAR(p.x, 0.0f, 1e-3);
    EXPECT_NEAR(p.y, 10.0f, 1e-5);
    EXPECT_NE(p.x, 0.0f); // 3.1416 is not pi
    EXPECT_FLOAT_EQ(p.x, 10.0f * Cos16(90));
    EXPECT_EQ(p.angle, 90.0f);

    // About another centre.
    Position q;
    q.x = 12;
    q.y = 5;
    q.RotateAbout(2, 5, 180);
    EXPECT_NEAR(q.x, -8.0f, 1e-3);
    EXPECT_NEAR(q.y, 5.0f, 1e-3);
}

TEST(PositionTest, CosSinDescribeLastRotationOnly)
{
    Position p;
    p.x = 1;
    p.RotateAbout(0, 0, 45);
    p.RotateAbout(0, 0, 45);
    EXPECT_EQ(p.angle, 90.0f);
    EXPECT_EQ(p.cos, Cos16(45));
    EXPECT_EQ(p.sin, Sin16(45));
    p.RotateAbout(0, 0, 720); // never wrapped
    EXPECT_EQ(p.angle, 810.0f);
}

TEST(QuadTest, BuildersFillCornersTextureColourAndDepth)
{
    Quad q;
    q.r = 1;
    q.depth = 7;
    q.SetFromTexture(nullptr);
    EXPECT_EQ(q.topLeft.x, 0.0f);
    EXPECT_EQ(q.topRight.x, 1.0f);
    EXPECT_EQ(q.bottomLeft.y, 1.0f);
    EXPECT_EQ(q.bottomRight.x, 1.0f);
    EXPECT_EQ(q.bottomRight.y, 1.0f);
    EXPECT_EQ(q.texLeft, 0.0f);
    EXPECT_EQ(q.texTop, 0.0f);
    EXPECT_EQ(q.texRight, 0.0f);
    EXPECT_EQ(q.texBottom, 0.0f);
    ExpectDefaults(q);

    FakeTexture t(64, 32);
    q.SetFromTexture(&t);
    EXPECT_EQ(q.bottomRight.x, 64.0f);
    EXPECT_EQ(q.bottomRight.y, 32.0f);
    EXPECT_EQ(q.texRight, 1.0f);
    EXPECT_EQ(q.texBottom, 1.0f);

    q.SetFromTextureRect(&t, 16, 8, 48, 24);
    EXPECT_EQ(q.topRight.x, 32.0f);
    EXPECT_EQ(q.topRight.y, 0.0f);
    EXPECT_EQ(q.bottomLeft.y, 16.0f);
    EXPECT_EQ(q.texLeft, 0.25f);
    EXPECT_EQ(q.texTop, 0.25f);
    EXPECT_EQ(q.texRight, 0.75f);
    EXPECT_EQ(q.texBottom, 0.75f);
    ExpectDefaults(q);

    q.SetSize(10, 20);
    EXPECT_EQ(q.bottomRight.x, 10.0f);
    EXPECT_EQ(q.bottomRight.y, 20.0f);
    EXPECT_EQ(q.texRight, 1.0f);
    EXPECT_EQ(q.texBottom, 1.0f);

    q.SetFromSize(128, 64, 32, 32);
    EXPECT_EQ(q.texRight, 0.25f);
    EXPECT_EQ(q.texBottom, 0.5f);
    q.SetFromSize(0, 0, 32, 32); // no texture size: no rectangle, no infinities
    EXPECT_EQ(q.texRight, 0.0f);
    EXPECT_EQ(q.texBottom, 0.0f);
    EXPECT_EQ(q.bottomRight.x, 32.0f);
}

TEST(QuadTest, LayoutIsTheSharedRecord)
{
    EXPECT_EQ(offsetof(Quad, topLeft), 0u);
    EXPECT_EQ(offsetof(Quad, bottomRight), 24u);
    EXPECT_EQ(offsetof(Quad, texLeft), 32u);
    EXPECT_EQ(offsetof(Quad, tex2Left), 48u);
    EXPECT_EQ(offsetof(Quad, r), 64u);
    EXPECT_EQ(offsetof(Quad, depth), 68u);
}

TEST(QuadTest, TransformsMoveCornersOnly)
{
    Quad q;
    q.SetSize(10, 10);
    q.texRight = 0.5f;
    q.Translate(5, -5);
    EXPECT_EQ(q.topLeft.x, 5.0f);
    EXPECT_EQ(q.topLeft.y, -5.0f);
    q.Scale(2, 3);
    EXPECT_EQ(q.bottomRight.x, 30.0f);
    EXPECT_EQ(q.bottomRight.y, 15.0f);
    EXPECT_EQ(q.texRight, 0.5f);

    Quad r;
    r.SetSize(10, 0);
    r.RotateAboutOrigin(90);
    float c = Cos16(90), s = Sin16(90);
    EXPECT_EQ(r.topRight.x, c * 10.0f - s * 0.0f);
    EXPECT_EQ(r.topRight.y, s * 10.0f + c * 0.0f);

    Quad u;
    u.SetSize(10, 10);
    u.Rotate(5, 5, 180); // about the centre: corners swap places
    EXPECT_NEAR(u.topLeft.x, 10.0f, 1e-3);
    EXPECT_NEAR(u.topLeft.y, 10.0f, 1e-3);
    EXPECT_NEAR(u.bottomRight.x, 0.0f, 1e-3);
    EXPECT_NEAR(u.bottomRight.y, 0.0f, 1e-3);
    ExpectDefaults(u);
}

TEST(IntersectTest, RayCircle)
{
    struct Case {
        float ox, oy, dx, dy, cx, cy, r;
        float expected; // NAN: only the sign is checked (negative)
    } cases[] = {
        {0, 0, 1, 0, 20, 0, 10, 10.0f},   // through the centre
        {0, 10, 1, 0, 20, 0, 10, -1.0f},  // tangent
        {0, 50, 1, 0, 20, 0, 10, -1.0f},  // miss
        {20, 0, 1, 0, 20, 0, 10, NAN},    // inside: the smaller root is negative
        {40, 0, 1, 0, 20, 0, 10, -30.0f}, // circle behind the ray
        {0, 0, 0, 0, 20, 0, 10, -1.0f},   // no direction
        {0, 0, 1, 0, 20, 0, 0, -1.0f},    // radius 0
        {0, 0, 1, 0, 20, 0, -5, -1.0f},   // negative radius
    };
    for (const Case& c : cases) {
        float t = IntersectRayCircle(c.ox, c.oy, c.dx, c.dy, c.cx, c.cy, c.r);
        EXPECT_FALSE(std::isnan(t));
        if (std::isnan(c.expected))
            EXPECT_LT(t, 0.0f);
        else
            EXPECT_NEAR(t, c.expected, 1e-4) << c.ox << "," << c.oy << " r " << c.r;
    }
}

TEST(IntersectTest, RayLineIsOneSided)
{
    // Line x = 10 (normal pointing back at -x): 1*x + 0*y - 10 = 0 has
    // normal +x; a ray moving +x leaves along it and misses.
    float hx = 123, hy = 456;
    EXPECT_EQ(IntersectRayLine(0, 0, 1, 0, 1, 0, -10, &hx, &hy), -1.0f);
    EXPECT_EQ(hx, 123.0f);
    // Normal -x: -x + 10 = 0; the ray runs against it and hits at 10.
    EXPECT_FLOAT_EQ(IntersectRayLine(0, 3, 1, 0, -1, 0, 10, &hx, &hy), 10.0f);
    EXPECT_FLOAT_EQ(hx, 10.0f);
    EXPECT_FLOAT_EQ(hy, 3.0f);
    // Parallel.
    hx = 123;
    EXPECT_EQ(IntersectRayLine(0, 0, 0, 1, -1, 0, 10, &hx, &hy), -1.0f);
    EXPECT_EQ(hx, 123.0f);
    // Hit behind the origin.
    EXPECT_EQ(IntersectRayLine(20, 0, 1, 0, -1, 0, 10, &hx, &hy), -1.0f);
    EXPECT_EQ(hx, 123.0f);
    // Hit exactly at the origin.
    EXPECT_EQ(IntersectRayLine(10, 7, 1, 0, -1, 0, 10, &hx, &hy), 0.0f);
    EXPECT_EQ(hx, 10.0f);
    EXPECT_EQ(hy, 7.0f);
}
