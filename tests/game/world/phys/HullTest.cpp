#include "game/world/geometry/Position.h"
#include "game/world/phys/BoxHull.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/phys/PolygonHull.h"
#include "game/world/phys/SphereHull.h"
#include "game/world/phys/StaticObject.h"

#include <gtest/gtest.h>

using namespace PhysEng;

namespace {
Position At(float x, float y)
{
    Position p;
    p.x = x;
    p.y = y;
    return p;
}
} // namespace

TEST(Hulls, BoundsTouchAndTurnedBoxesKeepTheirCorners)
{
    BoxHull box(32, 32);
    box.UpdateRotation(1, 0);
    EXPECT_TRUE(box.Overlaps(32, 0, 50, 10));
    EXPECT_FALSE(box.Overlaps(32.01f, 0, 50, 10));

    // Turned by 45 degrees the far corner lies 45 below the pose point; a
    // shot across it must still reach the hull.
    PhysicsEngine world;
    world.SetArea(256, 256);
    StaticObject* body = world.NewStaticObject();
    body->ResetPose(100, 100);
    body->Attach(new BoxHull(32, 32));
    body->SetAngle(45);
    IntersectionPacket* packet = world.NewPacket();
    EXPECT_TRUE(world.IntersectSegment(nullptr, 90, 140, 110, 140, packet, nullptr));
    EXPECT_EQ(packet->hitBody, body);
}

TEST(Hulls, BoxSegmentsAndSweepsCountOnlyEnteredSides)
{
    BoxHull box(32, 32);
    Position pose = At(0, 0);
    IntersectionPacket p = IntersectionPacket();
    EXPECT_FALSE(box.Intersect(pose, 16, 16, 100, 16, &p)); // starts inside
    EXPECT_TRUE(box.Intersect(pose, 100, 16, 16, 16, &p));
    EXPECT_FLOAT_EQ(p.hitX, 32.0f);
    EXPECT_FLOAT_EQ(p.distance, 68.0f);
    // Only a nearer crossing replaces what the packet holds.
    EXPECT_FALSE(box.Intersect(pose, 200, 16, 16, 16, &p));

    p = IntersectionPacket();
    EXPECT_FALSE(box.Sweep(16, 16, 50, 0, 5, 0, 0, 1, 0, &p, true)); // moving out
    // Already over the top side's line, centre in front of it: travel 0 or
    // less, never a miss.
    p = IntersectionPacket();
    EXPECT_TRUE(box.Sweep(16, -6, 0, 5, 10, 0, 0, 1, 0, &p, true));
    EXPECT_LE(p.distance, 0.0f);
    EXPECT_FLOAT_EQ(p.hitY, 0.0f);

    float cx = 0, cy = 0;
    EXPECT_TRUE(box.ClosestPoint(pose, 50, 10, &cx, &cy));
    EXPECT_FLOAT_EQ(cx, 32.0f);
    EXPECT_FLOAT_EQ(cy, 10.0f);
}

TEST(Hulls, PolygonsAndSpheres)
{
    PolygonHull empty;
    IntersectionPacket p = IntersectionPacket();
    EXPECT_FALSE(empty.Sweep(0, 0, 10, 0, 5, 0, 0, 1, 0, &p, true));
    EXPECT_FALSE(empty.Intersect(At(0, 0), -10, 0, 10, 0, &p));

    // A triangle: the nearest crossed edge wins whatever the edge order.
    PolygonHull tri;
    const float points[] = {0, 0, 40, 20, 0, 40};
    tri.SetPoints(points, 3);
    EXPECT_FLOAT_EQ(tri.centreX, 20.0f);
    EXPECT_FLOAT_EQ(tri.centreY, 20.0f);
    EXPECT_TRUE(tri.Intersect(At(100, 0), 200, 20, 0, 20, &p));
    EXPECT_FLOAT_EQ(p.hitX, 140.0f);
    EXPECT_FLOAT_EQ(p.distance, 60.0f);
    EXPECT_TRUE(tri.IntersectAt(100, 0, 0, 200, 20, 0, 20));
    EXPECT_FALSE(tri.IntersectAt(100, 0, 0, 200, 50, 0, 50));
    float v[2] = {-1, -1};
    tri.GetVertex(v, 3, 0, 0, 1, 0);
    EXPECT_EQ(v[0], -1.0f);
    tri.GetVertex(v, 1, 100, 0, 0, 1); // turned 90 degrees
    EXPECT_FLOAT_EQ(v[0], 80.0f);
    EXPECT_FLOAT_EQ(v[1], 40.0f);
    p = IntersectionPacket();
    EXPECT_TRUE(tri.Sweep(-30, 20, 20, 0, 10, 0, 0, 1, 0, &p, true));
    EXPECT_NEAR(p.distance, 20.0f, 1e-3f);

    SphereHull sphere(10);
    p = IntersectionPacket();
    EXPECT_FALSE(sphere.Intersect(At(0, 0), -20, 0, 20, 0, &p));
    EXPECT_FALSE(sphere.Sweep(-30, 0, 50, 0, 5, 0, 0, 1, 0, &p, true));
    EXPECT_FALSE(p.hit);
}
