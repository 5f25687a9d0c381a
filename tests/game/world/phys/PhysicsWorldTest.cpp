#include "engine/physics/Physics.h"
#include "game/world/objects/ObjectFixture.h"
#include "game/world/phys/BoxHull.h"
#include "game/world/phys/HitObjects.h"
#include "game/world/phys/MovingObject.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/phys/PolygonHull.h"
#include "game/world/phys/SphereHull.h"
#include "game/world/phys/StaticObject.h"
#include "game/world/state/WorldServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>

using namespace PhysEng;

namespace {

StaticObject* Wall(PhysicsEngine& world, float x, float y, ::Object* owner = nullptr)
{
    StaticObject* body = world.NewStaticObject();
    body->SetOwner(owner);
    body->ResetPose(x, y);
    body->Attach(new BoxHull(32, 32));
    return body;
}

struct Move {
    float x, y, sx, sy;
    IntersectionPacket packet;
};

Move MoveFrom(PhysicsEngine& world, float x, float y, float mx, float my, PhysEng::Object* ignored = nullptr)
{
    Move m{mx, my, 0, 0, IntersectionPacket()};
    IntersectionPacket* packet = world.NewPacket();
    packet->ignoredBody = ignored;
    world.MoveCircle(x, y, &m.x, &m.y, 10.0f, true, true, false, &m.sx, &m.sy, packet);
    m.packet = *packet;
    return m;
}

} // namespace

TEST(PhysicsWorld, CircleStopsAtWallAndSlidesAlongIt)
{
    PhysicsEngine world;
    world.SetArea(640, 640);
    for (int i = 0; i < 20; ++i)
        Wall(world, i * 32.0f, 320.0f);

    // A long slanted move ends touching the wall, not through it.
    Move far = MoveFrom(world, 100, 200, 60, 150);
    ASSERT_TRUE(far.packet.hit);
    EXPECT_NEAR(200 + far.y, 310.0f, 0.01f);
    EXPECT_NEAR(100 + far.x, 144.0f, 0.05f);

    // Touching the wall and pressing in at a slant: no movement, and a slide
    // along the wall of the requested length times 1 - |cos|.
    Move touch = MoveFrom(world, 100, 309.9995f, 3, 4);
    ASSERT_TRUE(touch.packet.hit);
    EXPECT_EQ(touch.x, 0.0f);
    EXPECT_EQ(touch.y, 0.0f);
    EXPECT_NEAR(touch.sx, 1.0f, 1e-3f);
    EXPECT_NEAR(touch.sy, -0.001f, 1e-3f);
    EXPECT_EQ(touch.packet.ignoredBody, touch.packet.hitBody);

    // The body that stopped a move is skipped by the next one with the packet.
    Move again = MoveFrom(world, 100, 309.9995f, 0, 4, touch.packet.hitBody);
    EXPECT_NE(again.packet.hitBody, touch.packet.hitBody);

    // Moving away from the wall is free.
    Move away = MoveFrom(world, 100, 309.9995f, 0, -50);
    EXPECT_FALSE(away.packet.hit);
    EXPECT_EQ(away.y, -50.0f);
}

TEST(PhysicsWorld, WindowsNeverStopAMoveAndBadInputMovesNothing)
{
    PhysicsEngine world;
    world.SetArea(640, 640);
    ProbeObject window(ObjectKind::Window);
    std::unique_ptr<StaticObject> pane(Wall(world, 96, 320, &window));
    Move m = MoveFrom(world, 100, 300, 0, 100);
    EXPECT_FALSE(m.packet.hit);
    EXPECT_EQ(m.y, 100.0f);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    Move bad = MoveFrom(world, nan, 300, 0, 100);
    EXPECT_EQ(bad.x, 0.0f);
    EXPECT_EQ(bad.y, 0.0f);
    HitObjects hits;
    EXPECT_FALSE(world.IntersectSegment(&hits, 0, nan, 500, 336, world.NewPacket(), nullptr));
}

TEST(PhysicsWorld, ShotPassesCoverAndHitsWhatLiesBehind)
{
    PhysicsEngine world;
    world.SetArea(640, 640);
    Services().physics = &world;
    auto definition = Definition({Numbers(u"cover", {16, 0, 50})});
    const float square[] = {0, 0, 32, 0, 32, 32, 0, 32};
    definition->LoadParameters(square, 4);
    ProbeObject shooter;
    shooter.SetPosition(0, 16);
    auto* crate = new ProbeObject(ObjectKind::Prop, definition.get());
    crate->LoadProperties();
    crate->SetPosition(40, 0);
    crate->Update(0.0f);
    ASSERT_NE(crate->GetBody(), nullptr);
    StaticObject* wall = Wall(world, 200, 0);

    // The shooter stands within the crate's cover: the shot passes it.
    HitObjects hits;
    IntersectionPacket* packet = world.NewPacket();
    ASSERT_TRUE(world.IntersectSegment(&hits, 0, 16, 300, 16, packet, &shooter));
    EXPECT_EQ(packet->hitBody, wall);
    EXPECT_NEAR(packet->hitX, 200.0f, 1e-3f);
    EXPECT_NEAR(packet->distance, 200.0f, 1e-3f);
    ASSERT_EQ(hits.objects.GetCount(), 1);
    EXPECT_EQ(hits.objects[0], crate);
    EXPECT_FLOAT_EQ(hits.maxCover, 0.5f);
    // Met once only.
    world.IntersectSegment(&hits, 0, 16, 300, 16, world.NewPacket(), &shooter);
    EXPECT_EQ(hits.objects.GetCount(), 1);

    // Without a shooter nothing passes: the nearest body is the hit.
    packet = world.NewPacket();
    ASSERT_TRUE(world.IntersectSegment(nullptr, 0, 16, 300, 16, packet, nullptr));
    EXPECT_EQ(packet->hitBody, crate->GetBody());
    EXPECT_NEAR(packet->hitX, 40.0f, 1e-3f);

    // Disabled bodies are not there; the packet is left cleared.
    crate->GetBody()->SetEnabled(false);
    wall->SetEnabled(false);
    packet = world.NewPacket();
    packet->hit = true;
    packet->distance = 5;
    EXPECT_FALSE(world.IntersectSegment(nullptr, 0, 16, 300, 16, packet, nullptr));
    EXPECT_FALSE(packet->hit);
    EXPECT_EQ(packet->distance, 0.0f);
    EXPECT_EQ(packet->hitBody, nullptr);

    delete crate;
    EXPECT_EQ(world.GetBodyCount(), 1);
    Services().physics = nullptr;
}

TEST(PhysicsWorld, BlastPushesLiveBoxBodiesOnly)
{
    PhysicsSW::Physics engine;
    PhysicsEngine world;
    world.SetPhysics(&engine);
    auto body = [&](float x, float y, Hull* hull, bool live) {
        MovingObject* b = world.NewMovingObject();
        b->ResetPose(x, y);
        b->Attach(hull);
        b->SetLive(live);
        return b;
    };
    MovingObject* vehicle = body(100, -10, new BoxHull(20, 20), true);
    MovingObject* grenade = body(0, 100, new SphereHull(10), true);
    MovingObject* parked = body(-120, -10, new BoxHull(20, 20), false);
    ASSERT_EQ(engine.GetBodyCount(), 3);

    world.ApplyBlast(std::numeric_limits<float>::infinity(), 0, 100000);
    engine.StepOnce(0.01f);
    world.SyncFromEngine();
    EXPECT_EQ(vehicle->GetPose().x, 100.0f);

    world.ApplyBlast(0, 0, 100000);
    engine.StepOnce(0.01f);
    world.SyncFromEngine();
    EXPECT_GT(vehicle->GetPose().x, 100.0f);
    EXPECT_EQ(grenade->GetPose().y, 100.0f);
    EXPECT_EQ(parked->GetPose().x, -120.0f);
    // The pushed body is found where the engine put it.
    IntersectionPacket* packet = world.NewPacket();
    float x = vehicle->GetPose().x;
    ASSERT_TRUE(world.IntersectSegment(nullptr, x + 10, -50, x + 10, 50, packet, nullptr));
    EXPECT_EQ(packet->hitBody, vehicle);

    world.Clear();
    EXPECT_EQ(world.GetBodyCount(), 0);
    EXPECT_EQ(engine.GetBodyCount(), 0);
}

// A placed body ends where the three setters would put it, and so does its
// engine body; placed the same again after another setter moved it, it goes
// back; a shot finds it where it is now.
TEST(PhysicsWorld, PlacedBodyFollowsItsObject)
{
    PhysicsSW::Physics engine;
    PhysicsEngine world;
    world.SetPhysics(&engine);
    StaticObject* placed = Wall(world, 0, 0);
    StaticObject* stepwise = Wall(world, 0, 0);
    auto expectAt = [&](float px, float py, float angle, float x, float y) {
        stepwise->ResetPose(0, 0);
        stepwise->RotateAbout(px, py, angle);
        stepwise->MoveBy(x, y);
        const Position& a = placed->GetPose();
        const Position& b = stepwise->GetPose();
        EXPECT_TRUE(a.x == b.x && a.y == b.y && a.angle == b.angle && a.cos == b.cos && a.sin == b.sin);
        float ex = 0, ey = 0;
        placed->GetEngineBody()->GetPosition(&ex, &ey);
        EXPECT_TRUE(ex == b.x && ey == b.y && placed->GetEngineBody()->GetRotation() == b.angle);
    };
    placed->Place(16, 16, 30, 500, 200);
    expectAt(16, 16, 30, 500, 200);
    placed->Place(16, 16, 30, 700, 200);
    expectAt(16, 16, 30, 700, 200);
    placed->SetAngle(90);
    placed->Place(16, 16, 30, 700, 200);
    expectAt(16, 16, 30, 700, 200);
    stepwise->ResetPose(-5000, 0);
    IntersectionPacket* packet = world.NewPacket();
    ASSERT_TRUE(world.IntersectSegment(nullptr, 650, 230, 800, 230, packet, nullptr));
    EXPECT_EQ(packet->hitBody, placed);
}

// The grid must answer exactly as a visit of every body would: the same
// world without an area has one cell.
TEST(PhysicsWorld, GridAnswersAsAFullScan)
{
    PhysicsEngine indexed, scanned;
    indexed.SetArea(1024, 1024);
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> pos(-200, 1200), size(4, 64), angle(0, 360);
    for (int i = 0; i < 400; ++i) {
        float x = pos(rng), y = pos(rng), w = size(rng), h = size(rng), a = angle(rng);
        for (PhysicsEngine* world : {&indexed, &scanned}) {
            StaticObject* body = world->NewStaticObject();
            body->ResetPose(x, y);
            body->Attach(i % 3 ? static_cast<Hull*>(new BoxHull(w, h)) : nullptr);
            if (i % 3 == 0) {
                auto* polygon = new PolygonHull();
                const float tri[] = {0, 0, w, h / 2, 0, h};
                polygon->SetPoints(tri, 3);
                body->Attach(polygon);
            }
            body->SetAngle(a);
        }
    }
    // Move some after they were indexed.
    indexed.IntersectSegment(nullptr, 0, 0, 1, 1, indexed.NewPacket(), nullptr);
    for (int i = 0; i < 400; i += 7)
        for (PhysicsEngine* world : {&indexed, &scanned}) {
            if (i % 2)
                world->GetBodies()[i]->MoveBy(150, -90);
            else
                world->GetBodies()[i]->SetAngle(float(i));
        }
    for (int q = 0; q < 400; ++q) {
        float x0 = pos(rng), y0 = pos(rng), x1 = pos(rng), y1 = pos(rng);
        IntersectionPacket a = IntersectionPacket(), b = IntersectionPacket();
        bool ha = indexed.IntersectSegment(nullptr, x0, y0, x1, y1, &a, nullptr);
        bool hb = scanned.IntersectSegment(nullptr, x0, y0, x1, y1, &b, nullptr);
        ASSERT_EQ(ha, hb) << q;
        if (ha) {
            ASSERT_EQ(indexed.GetBodies().IndexOf(a.hitBody), scanned.GetBodies().IndexOf(b.hitBody)) << q;
            ASSERT_EQ(a.distance, b.distance);
        }
        IntersectionPacket each = IntersectionPacket();
        PhysEng::Object* nearest = nullptr;
        for (int i = 0; i < scanned.GetBodyCount(); ++i)
            if (scanned.GetBodies()[i]->IntersectSegment(x0, y0, x1, y1, &each))
                nearest = scanned.GetBodies()[i];
        ASSERT_EQ(nearest, b.hitBody) << q;
        float mx = (x1 - x0) / 8, my = (y1 - y0) / 8;
        Move ma = MoveFrom(indexed, x0, y0, mx, my), mb = MoveFrom(scanned, x0, y0, mx, my);
        ASSERT_EQ(ma.x, mb.x) << q;
        ASSERT_EQ(ma.y, mb.y) << q;
        ASSERT_EQ(ma.sx, mb.sx) << q;
        ASSERT_EQ(indexed.GetBodies().IndexOf(ma.packet.hitBody), scanned.GetBodies().IndexOf(mb.packet.hitBody));
        // Every body swept, none passed over: the same nearest contact.
        IntersectionPacket all = IntersectionPacket();
        for (int i = 0; i < scanned.GetBodyCount(); ++i)
            scanned.GetBodies()[i]->IntersectCircle(x0, y0, mx, my, 10.0f, &all);
        ASSERT_EQ(all.hitBody, mb.packet.hitBody) << q;
    }
}
