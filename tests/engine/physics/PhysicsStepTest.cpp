#include "engine/physics/Physics.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using PhysicsSW::Object;
using PhysicsSW::Physics;

constexpr float kDt = 0.005f;
const float kWallEdges[4] = {32.0f, 0.0f, 0.0f, 32.0f};
const float kWallPolygon[8] = {0.0f, 0.0f, 32.0f, 0.0f, 32.0f, 32.0f, 0.0f, 32.0f};

Object* AsBody(IPhysObject* body) { return static_cast<Object*>(body); }

float VelocityX(IPhysObject* body)
{
    float vx = 0;
    AsBody(body)->GetVelocity(&vx, nullptr, nullptr);
    return vx;
}

float PositionX(IPhysObject* body)
{
    float x = 0, y = 0;
    body->GetPosition(&x, &y);
    return x;
}

// A circle of radius 10 at (x, 16) moving along +x at speed.
IPhysObject* Ball(Physics& world, float x, float speed)
{
    const float radius = 10.0f;
    IPhysObject* ball = world.AddCircleBody(&radius);
    ball->SetPosition(x, 16.0f);
    ball->ApplyImpulse(x, 16.0f, speed / Object::kInverseMass, 0.0f);
    return ball;
}

struct Wall {
    const char* name;
    bool polygon;
    float restitution;
};

class BallAgainstWall : public ::testing::TestWithParam<Wall> {};

TEST_P(BallAgainstWall, BouncesBackScaledByRestitutionWithoutEntering)
{
    const Wall& w = GetParam();
    Physics world;
    IPhysObject* wall = w.polygon ? world.AddStaticPolygon(4, kWallPolygon) : world.AddStaticBox(kWallEdges);
    IPhysObject* ball = Ball(world, -30.0f, 300.0f);
    ball->SetRestitution(w.restitution);

    float before = VelocityX(ball);
    int bounces = 0;
    for (int step = 0; step < 400 && bounces == 0; ++step) {
        before = VelocityX(ball);
        world.StepOnce(kDt);
        EXPECT_LT(PositionX(ball), 0.0f) << "the ball's centre entered the wall";
        if (VelocityX(ball) < 0.0f)
            ++bounces;
    }
    ASSERT_EQ(bounces, 1);
    // Reversed and scaled at the contact, then slowed by the step's friction.
    float friction = kDt * 2000.0f * Object::kInverseMass;
    EXPECT_NEAR(VelocityX(ball), -(w.restitution * before - friction), 1e-3f);
    float wx = 0, wy = 0;
    wall->GetPosition(&wx, &wy);
    EXPECT_EQ(wx, 0.0f);
    EXPECT_FALSE(wall->IsMoving());
}

INSTANTIATE_TEST_SUITE_P(Shapes, BallAgainstWall,
                         ::testing::Values(Wall{"box elastic", false, 1.0f}, Wall{"box grenade", false, 0.4f},
                                           Wall{"polygon elastic", true, 1.0f}, Wall{"polygon grenade", true, 0.4f}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (c == ' ')
                                     c = '_';
                             return n;
                         });

// Runs a ball at a wall for a while; true when it came back.
bool Bounced(Physics& world, IPhysObject* ball)
{
    for (int step = 0; step < 200; ++step) {
        world.StepOnce(kDt);
        if (VelocityX(ball) < 0.0f)
            return true;
    }
    return false;
}

TEST(PhysicsStep, WhoBlocksWhom)
{
    struct Case {
        const char* name;
        bool wallEnabled;
        bool wallExcludable;
        float zoneX; // the ball's exclusion zone centre, radius 100
        bool bounces;
    };
    const Case cases[] = {
        {"plain wall", true, false, 1e9f, true},
        {"disabled wall", false, false, 1e9f, false},
        {"excludable wall inside the zone", true, true, 0.0f, false},
        {"excludable wall outside the zone", true, true, 500.0f, true},
        {"wall without zone exclusion inside the zone", true, false, 0.0f, true},
    };
    for (const Case& c : cases) {
        Physics world;
        IPhysObject* wall = world.AddStaticBox(kWallEdges);
        wall->SetEnabled(c.wallEnabled);
        if (c.wallExcludable)
            wall->EnableZoneExclusion();
        IPhysObject* ball = Ball(world, -30.0f, 300.0f);
        if (c.zoneX < 1e8f)
            ball->SetExclusionZone(c.zoneX, 0.0f, 100.0f);
        EXPECT_EQ(Bounced(world, ball), c.bounces) << c.name;
    }
}

TEST(PhysicsStep, DisabledBallPassesThrough)
{
    Physics world;
    world.AddStaticBox(kWallEdges);
    IPhysObject* ball = Ball(world, -30.0f, 300.0f);
    ball->SetEnabled(false);
    EXPECT_FALSE(Bounced(world, ball));
    EXPECT_GT(PositionX(ball), 0.0f);
}

TEST(PhysicsStep, TwoMovingCirclesPassThroughEachOther)
{
    Physics world;
    IPhysObject* a = Ball(world, -30.0f, 300.0f);
    IPhysObject* b = Ball(world, 30.0f, -300.0f);
    for (int step = 0; step < 60; ++step)
        world.StepOnce(kDt);
    EXPECT_GT(PositionX(a), 20.0f);
    EXPECT_LT(PositionX(b), -20.0f);
}

TEST(PhysicsStep, MovingBoxIsHeldBackByARestingCircle)
{
    // The box moves, the circle does not: the contact must push the box.
    auto run = [](bool withCircle, float* circleX) {
        Physics world;
        const float radius = 10.0f;
        IPhysObject* circle = world.AddStaticCircle(&radius);
        circle->SetPosition(60.0f, 16.0f);
        circle->SetEnabled(withCircle);
        IPhysObject* box = world.AddBoxBody(kWallEdges);
        box->ApplyImpulse(0.0f, 0.0f, 200.0f / Object::kInverseMass, 0.0f);
        for (int step = 0; step < 40; ++step)
            world.StepOnce(kDt);
        *circleX = PositionX(circle);
        return VelocityX(box);
    };
    float circleX = 0;
    float free = run(false, &circleX);
    float held = run(true, &circleX);
    EXPECT_LT(held, free - 20.0f);
    EXPECT_EQ(circleX, 60.0f);
}

// Distance of a point from a convex outline of four corners, negative inside.
float SignedDistance(const float* c, float px, float py)
{
    float best = 1e9f;
    int inside = 0;
    for (int i = 0; i < 4; ++i) {
        int j = (i + 1) % 4;
        float sx = c[2 * i], sy = c[2 * i + 1], ex = c[2 * j] - sx, ey = c[2 * j + 1] - sy;
        float t = std::fmin(1.0f, std::fmax(0.0f, ((px - sx) * ex + (py - sy) * ey) / (ex * ex + ey * ey)));
        best = std::fmin(best, std::hypot(px - sx - t * ex, py - sy - t * ey));
        inside += ex * (py - sy) - ey * (px - sx) > 0.0f ? 1 : -1;
    }
    return (inside == 4 || inside == -4) ? -best : best;
}

TEST(PhysicsStep, MovingOutlinesNeverPassThroughARestingCircle)
{
    // A 32 x 32 box or square polygon at 600 units/s (3 a step) runs at a
    // circle of radius 10 from every height where they meet, centre-on to
    // grazing. Off-centre hits turn the body; it must still not go through.
    for (bool polygon : {false, true}) {
        for (float restitution : {1.0f, 0.4f}) {
            for (int k = 0; k < 10; ++k) {
                float height = -6.0f + 5.0f * float(k); // of the circle's centre below the top edge
                Physics world;
                const float radius = 10.0f;
                world.AddStaticCircle(&radius)->SetPosition(60.0f, 16.0f);
                IPhysObject* body = polygon ? world.AddPolygonBody(4, kWallPolygon) : world.AddBoxBody(kWallEdges);
                body->SetPosition(0.0f, 16.0f - height);
                body->SetRestitution(restitution);
                body->ApplyImpulse(0.0f, 16.0f - height, 600.0f / Object::kInverseMass, 0.0f);
                float closest = 1e9f;
                for (int step = 0; step < 300; ++step) {
                    world.StepOnce(kDt);
                    float x, y;
                    body->GetPosition(&x, &y);
                    float a = body->GetRotation() * Object::kDegreesToRadians;
                    float corners[8];
                    for (int i = 0; i < 4; ++i) {
                        float px = kWallPolygon[2 * i], py = kWallPolygon[2 * i + 1];
                        corners[2 * i] = x + px * std::cos(a) - py * std::sin(a);
                        corners[2 * i + 1] = y + py * std::cos(a) + px * std::sin(a);
                    }
                    closest = std::fmin(closest, SignedDistance(corners, 60.0f, 16.0f));
                }
                // No deeper than about one step's travel.
                EXPECT_GT(closest, radius - 4.0f)
                    << (polygon ? "polygon" : "box") << ", restitution " << restitution << ", height " << height;
            }
        }
    }
}

TEST(PhysicsStep, BallInsideAWallLeavesByTheNearestSide)
{
    // 4 units in from the right side and heading further in: pushed back
    // out on the right, not drawn through to the left.
    for (bool polygon : {false, true}) {
        Physics world;
        polygon ? world.AddStaticPolygon(4, kWallPolygon) : world.AddStaticBox(kWallEdges);
        IPhysObject* ball = Ball(world, 28.0f, -100.0f);
        for (int step = 0; step < 100; ++step)
            world.StepOnce(kDt);
        EXPECT_GT(PositionX(ball), 32.0f) << (polygon ? "polygon" : "box");
    }
}

TEST(PhysicsStep, TurnedWallIsMetWhereItLies)
{
    // Turned by 90 degrees the wall covers x from -32 to 0.
    Physics world;
    IPhysObject* wall = world.AddStaticBox(kWallEdges);
    wall->SetRotation(90.0f);
    EXPECT_EQ(wall->GetRotation(), 90.0f);
    IPhysObject* ball = Ball(world, -70.0f, 300.0f);
    ASSERT_TRUE(Bounced(world, ball));
    EXPECT_LT(PositionX(ball), -41.0f);
    EXPECT_GT(PositionX(ball), -46.0f);
}

TEST(PhysicsStep, RestingBodiesAndStaticBodiesStayPut)
{
    Physics world;
    world.AddStaticBox(kWallEdges);
    IPhysObject* resting = Ball(world, -5.0f, 0.0f); // overlapping the wall, not moving
    const float radius = 4.0f;
    IPhysObject* fixed = world.AddStaticCircle(&radius);
    fixed->SetPosition(100.0f, 100.0f);
    fixed->ApplyImpulse(100.0f, 100.0f, 150.0f, 0.0f); // velocity, but static bodies never move
    for (int step = 0; step < 20; ++step)
        world.StepOnce(kDt);
    EXPECT_FALSE(resting->IsMoving());
    EXPECT_EQ(PositionX(resting), -5.0f);
    EXPECT_EQ(PositionX(fixed), 100.0f);
}

TEST(PhysicsBody, ImpulseTurnsAndPushes)
{
    struct Case {
        float px, py, ix, iy;
        float vx, vy, angular;
    };
    const float k = Object::kInverseInertia * 0.3f;
    const Case cases[] = {
        {10, 20, 15, 0, 1, 0, 0},
        {12, 20, 0, 15, 0, 1, 2 * 15 * k},
        {10, 23, 30, 0, 2, 0, -3 * 30 * k},
        {13, 24, -15, 45, -1, 3, (3 * 45 - 4 * -15) * k},
    };
    for (const Case& c : cases) {
        Physics world;
        const float radius = 5.0f;
        IPhysObject* body = world.AddCircleBody(&radius);
        body->SetPosition(10.0f, 20.0f);
        EXPECT_FALSE(body->IsMoving());
        body->ApplyImpulse(c.px, c.py, c.ix, c.iy);
        float vx, vy, w;
        AsBody(body)->GetVelocity(&vx, &vy, &w);
        EXPECT_NEAR(vx, c.vx, 1e-5f);
        EXPECT_NEAR(vy, c.vy, 1e-5f);
        EXPECT_NEAR(w, c.angular, 1e-5f);
        EXPECT_TRUE(body->IsMoving());
    }
}

TEST(PhysicsBody, FrictionSlowsThenStops)
{
    struct Case {
        const char* name;
        float speed;   // along (3, 4) / 5
        float angular; // built from an off-centre impulse
        float amount;
        float speedAfter;
        float angularAfter;
    };
    const Case cases[] = {
        {"slows", 10.0f, 0.0f, 15.0f, 9.0f, 0.0f},
        {"stops exactly", 10.0f, 0.0f, 150.0f, 0.0f, 0.0f},
        {"more than the speed", 10.0f, 0.0f, 1000.0f, 0.0f, 0.0f},
        {"crawling", 0.00005f, 0.0f, 0.0f, 0.0f, 0.0f},
        {"spin slows", 0.0f, 5.0f, 2.0f, 0.0f, 3.0f},
        {"spin stops at zero", 0.0f, -5.0f, 10.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        Physics world;
        const float radius = 5.0f;
        IPhysObject* body = world.AddCircleBody(&radius);
        float impulse = c.speed / Object::kInverseMass;
        body->ApplyImpulse(0.0f, 0.0f, impulse * 0.6f, impulse * 0.8f);
        if (c.angular != 0.0f) {
            // A pure turn: equal and opposite pushes on either side.
            float push = c.angular / (Object::kInverseInertia * 0.3f) / 2.0f;
            body->ApplyImpulse(1.0f, 0.0f, 0.0f, push);
            body->ApplyImpulse(-1.0f, 0.0f, 0.0f, -push);
        }
        body->ApplyFriction(c.amount);
        float vx, vy, w;
        AsBody(body)->GetVelocity(&vx, &vy, &w);
        EXPECT_NEAR(std::sqrt(vx * vx + vy * vy), c.speedAfter, 1e-3f) << c.name;
        if (c.speedAfter > 0.0f) {
            EXPECT_NEAR(vy / vx, 4.0f / 3.0f, 1e-4f) << c.name << ": direction kept";
        }
        EXPECT_NEAR(w, c.angularAfter, 1e-3f) << c.name;
    }
}

TEST(PhysicsBody, IntegrationAppliesStepFrictionThenMoves)
{
    Physics world;
    const float radius = 5.0f;
    IPhysObject* body = world.AddCircleBody(&radius);
    body->ApplyImpulse(0.0f, 0.0f, 15.0f * 15.0f, 0.0f); // 15 units/s
    body->ApplyImpulse(0.0f, -1.0f, 12000.0f, 0.0f);     // and a spin of about 100 degrees/s
    float vx0, w0;
    AsBody(body)->GetVelocity(&vx0, nullptr, &w0);
    world.StepOnce(0.01f);
    float speed = vx0 - 0.01f * 2000.0f * Object::kInverseMass;
    float spin = w0 - 0.01f * 2000.0f;
    EXPECT_NEAR(PositionX(body), 0.01f * speed, 1e-5f);
    EXPECT_NEAR(body->GetRotation(), 0.01f * spin, 1e-5f);
}

TEST(PhysicsWorld, AddRemoveAndClear)
{
    Physics world;
    const float radius = 3.0f;
    EXPECT_EQ(world.AddCircleBody(nullptr), nullptr);
    EXPECT_EQ(world.AddStaticBox(nullptr), nullptr);
    IPhysObject* a = world.AddCircleBody(&radius);
    IPhysObject* b = world.AddStaticPolygon(4, kWallPolygon);
    IPhysObject* c = world.AddPolygonBody(0, nullptr); // no outline: never touched
    ASSERT_EQ(world.GetBodyCount(), 3);

    Physics other;
    IPhysObject* foreign = other.AddCircleBody(&radius);
    world.RemoveObject(foreign); // not this world's: left alone
    world.RemoveObject(nullptr);
    EXPECT_EQ(world.GetBodyCount(), 3);
    EXPECT_EQ(other.GetBodyCount(), 1);

    world.RemoveObject(b);
    EXPECT_EQ(world.GetBodyCount(), 2);
    c->SetPosition(1, 1);
    a->SetPosition(1, 1);
    world.StepOnce(kDt);
    world.Clear();
    EXPECT_EQ(world.GetBodyCount(), 0);
    world.SetParameter(0.5f);
    EXPECT_EQ(world.GetParameter(), 0.5f);
}

TEST(PhysicsPass, StepTimeFollowsThePasses)
{
    struct Case {
        const char* name;
        float dt;
        std::vector<float> readings; // the pass, then the sleep when there is one
        int sleptMs;                 // -1: no sleep
        float nextDt;
    };
    const Case cases[] = {
        {"overrun", 0.005f, {0.008f}, -1, 0.008f},
        {"nominal", 0.005f, {0.001f, 0.005f}, 5, 0.005f},
        {"nominal, overslept", 0.005f, {0.001f, 0.0072f}, 5, 0.0072f},
        {"exactly on time", 0.005f, {0.005f, 0.005f}, 5, 0.005f},
        {"long step", 0.02f, {0.005f, 0.015f}, 15, 0.005f},
        {"long step, short pass", 0.02f, {0.0001f, 0.0199f}, 19, 0.0059f},
        {"clock gave nothing", 0.005f, {0.001f, 0.0f}, 5, 0.0f},
        {"stalled in the pass", 0.005f, {2.0f}, -1, Physics::kMaxStep},
        {"stalled in the sleep", 0.005f, {0.001f, 2.0f}, 5, Physics::kMaxStep},
    };
    for (const Case& c : cases) {
        std::vector<int> sleeps;
        const std::vector<float>& r = c.readings;
        Physics world(new ScriptedTimer([&r](int n) { return n < int(r.size()) ? r[size_t(n)] : 0.0f; }),
                      [&](int ms) { sleeps.push_back(ms); });
        const float radius = 1.0f;
        IPhysObject* body = world.AddCircleBody(&radius);
        body->ApplyImpulse(0.0f, 0.0f, 1000.0f * 15.0f, 0.0f);
        float next = world.RunPass(c.dt);
        EXPECT_NEAR(next, c.nextDt, 1e-6f) << c.name;
        if (c.sleptMs < 0) {
            EXPECT_TRUE(sleeps.empty()) << c.name;
        } else {
            ASSERT_EQ(sleeps.size(), 1u) << c.name;
            EXPECT_EQ(sleeps[0], c.sleptMs) << c.name;
        }
        float speed = 1000.0f - c.dt * 2000.0f * Object::kInverseMass;
        EXPECT_NEAR(PositionX(body), c.dt * speed, 1e-4f) << c.name << ": the step used dt";
        EXPECT_EQ(world.GetPassCount(), 1);
    }
}

} // namespace
