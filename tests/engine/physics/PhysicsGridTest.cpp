#include "engine/physics/Physics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using PhysicsSW::Object;
using PhysicsSW::Physics;

const float kSquare[8] = {0, 0, 32, 0, 32, 32, 0, 32};
const float kEdges[4] = {32, 0, 0, 32};

struct Target {
    const char* name;
    IPhysObject* ball;
    float face; // x of the side the ball runs at
};

float VelocityX(IPhysObject* body)
{
    float vx = 0;
    static_cast<Object*>(body)->GetVelocity(&vx, nullptr, nullptr);
    return vx;
}

// Every ball runs at its own wall, wherever the wall lies on the grid and
// whatever its size: each must come back, none may get in.
TEST(PhysicsGrid, EveryBodyMeetsWhatItRunsInto)
{
    Physics world;
    std::vector<Target> targets;
    const float radius = 10.0f;
    auto ballAt = [&](const char* name, float face, float y, float r = 10.0f) {
        IPhysObject* ball = world.AddCircleBody(&r);
        ball->SetPosition(face - r - 6.0f, y);
        ball->SetRestitution(0.4f);
        ball->ApplyImpulse(face - r - 6.0f, y, 300.0f / Object::kInverseMass, 0.0f);
        targets.push_back({name, ball, face});
    };
    const float places[][2] = {{0, 0},           {-64, -64},   {63.99f, 128}, {-1000.5f, 640},
                               {448, -192.001f}, {2e5f, 3e5f}, {-3e5f, 1e5f}, {127.999f, -0.001f}};
    int n = 0;
    for (const auto& p : places) {
        float x = p[0] + 5000.0f * float(n++); // far enough apart to meet only their own
        world.AddStaticBox(kEdges)->SetPosition(x, p[1]);
        ballAt("box", x, p[1] + 16.0f);
        x += 1000.0f;
        world.AddStaticPolygon(4, kSquare)->SetPosition(x, p[1]);
        ballAt("polygon", x, p[1] + 3.0f);
        x += 1000.0f;
        IPhysObject* turned = world.AddStaticBox(kEdges); // covers x - 32 .. x
        turned->SetPosition(x, p[1]);
        turned->SetRotation(90.0f);
        ballAt("turned box", x - 32.0f, p[1] + 30.0f);
    }
    // A wall too long for the grid, and a ball too large for it.
    const float longWall[8] = {0, 0, 32, 0, 32, 9000, 0, 9000};
    world.AddStaticPolygon(4, longWall)->SetPosition(-50000.0f, -4000.0f);
    ballAt("long wall", -50000.0f, 4000.0f);
    world.AddStaticBox(kEdges)->SetPosition(-90000.0f, 0.0f);
    ballAt("large ball", -90000.0f, 16.0f, 3000.0f);
    // A disabled wall in the way is passed; the one behind it is met.
    IPhysObject* ghost = world.AddStaticBox(kEdges);
    ghost->SetPosition(-120010.0f, 0.0f);
    ghost->SetEnabled(false);
    world.AddStaticBox(kEdges)->SetPosition(-119960.0f, 0.0f);
    ballAt("behind a disabled wall", -119960.0f, 16.0f);
    // Bodies that touch nothing, and must not disturb the rest.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    IPhysObject* lost = world.AddCircleBody(&radius);
    lost->SetPosition(nan, 0.0f);
    lost->ApplyImpulse(0, 0, 100.0f, 0.0f);
    const float broken[8] = {0, 0, nan, 0, 32, 32, 0, 32};
    world.AddStaticPolygon(4, broken);
    world.AddStaticCircle(&radius)->SetPosition(3e38f, -3e38f);
    const float infinite = std::numeric_limits<float>::infinity();
    world.AddStaticCircle(&infinite);

    for (int step = 0; step < 100; ++step) {
        world.StepOnce(0.005f);
        for (const Target& t : targets) {
            float x = 0, y = 0;
            t.ball->GetPosition(&x, &y);
            ASSERT_LT(x, t.face) << t.name << " got in, at " << t.face;
        }
    }
    for (const Target& t : targets)
        EXPECT_LT(VelocityX(t.ball), 0.0f) << t.name << " at " << t.face << " did not come back";
}

// Walls stay filed between steps: one moved, turned, switched off, removed
// or added after the first steps must be met where it is now, and not where
// it was.
TEST(PhysicsGrid, WallsChangedBetweenStepsAreMetWhereTheyAreNow)
{
    Physics world;
    const float radius = 10.0f;
    auto ballAt = [&](float face, float y) {
        IPhysObject* ball = world.AddCircleBody(&radius);
        ball->SetPosition(face - radius - 6.0f, y);
        ball->ApplyImpulse(face - radius - 6.0f, y, 300.0f / Object::kInverseMass, 0.0f);
        return ball;
    };
    IPhysObject* moved = world.AddStaticBox(kEdges);
    IPhysObject* turned = world.AddStaticBox(kEdges);
    IPhysObject* off = world.AddStaticBox(kEdges);
    IPhysObject* gone = world.AddStaticBox(kEdges);
    moved->SetPosition(0, 0);
    turned->SetPosition(1000, 0);
    off->SetPosition(2000, 0);
    gone->SetPosition(3000, 0);
    IPhysObject* early = ballAt(3000, 16);
    for (int step = 0; step < 20; ++step)
        world.StepOnce(0.005f);
    ASSERT_LT(VelocityX(early), 0.0f);

    moved->SetPosition(500, 0);
    turned->SetRotation(90.0f); // now covers x 968 .. 1000
    off->SetEnabled(false);
    world.RemoveObject(gone);
    world.AddStaticBox(kEdges)->SetPosition(4000, 0);
    const float faces[] = {500, 968, 4000};
    IPhysObject* meet[] = {ballAt(faces[0], 16), ballAt(faces[1], 16), ballAt(faces[2], 16)};
    IPhysObject* pass[] = {ballAt(0, 16), ballAt(2000, 16), ballAt(3000, 16)};
    for (int step = 0; step < 60; ++step) {
        world.StepOnce(0.005f);
        for (int i = 0; i < 3; ++i) {
            float x = 0, y = 0;
            meet[i]->GetPosition(&x, &y);
            ASSERT_LT(x, faces[i]) << "got in at " << faces[i];
        }
    }
    for (IPhysObject* ball : meet)
        EXPECT_LT(VelocityX(ball), 0.0f);
    for (IPhysObject* ball : pass)
        EXPECT_GT(VelocityX(ball), 0.0f);
}

} // namespace
