#include "ArmsFixture.h"

#include "game/world/arms/ArmsFactory.h"
#include "game/world/arms/BulletProjectile.h"
#include "game/world/arms/Projectile.h"
#include "game/world/arms/Vehicle.h"
#include "game/world/phys/Object.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/state/WorldQueries.h"

#include <cmath>

using namespace armstest;

namespace {

int puffs = 0;
void CountPuff(float, float, float, float) { ++puffs; }

} // namespace

TEST(Arms, VehicleFollowsItsBodyWhenServingAndLeadsItOnAClient)
{
    Match m;
    FakeTexture texture;
    GraphicsResource* hull = m.resources.CreateGraphicsResource(&texture, 0, 0, 64, 32);
    GraphicsResource* turret = m.resources.CreateGraphicsResource(&texture, 0, 0, 16, 16);
    GraphicsResource* wheel = m.resources.CreateGraphicsResource(&texture, 0, 0, 8, 8);
    GraphicsResource* gun = m.resources.CreateGraphicsResource(&texture, 0, 0, 8, 4);
    hull->AddSubImage(turret);
    turret->AddSubImage(gun);
    hull->AddSubImage(wheel);
    ObjectResource* jeep = m.resources.CreateObjectResource(ResourceClass::Vehicle);
    jeep->SetId(300 << 18);
    jeep->SetGraphics(hull);
    weapontest::AddParam(jeep, u"height", {weapontest::Int(40)});
    ObjectResource* bare = m.resources.CreateObjectResource(ResourceClass::Vehicle);
    bare->SetId(301 << 18);
    m.resources.BuildIndex();
    m.Ready();

    Vehicle* v = CreateVehicle(300 << 18, 100.0f, 120.0f);
    v->SetHealth(100.0f);
    ASSERT_TRUE(v->GetBody());
    // All children of the hull come before the turret's gun.
    ASSERT_EQ(v->GetPartCount(), 3);
    EXPECT_EQ(v->GetPart(2)->resource, gun);
    EXPECT_EQ(v->GetPart(2)->parent, v->GetPart(0));
    EXPECT_EQ(v->GetBody()->GetPose().x, 100.0f);
    EXPECT_FLOAT_EQ(GetLineOfSight(100.0f, 60.0f, 100.0f, 180.0f), 0.0f) << "no seeing through a vehicle";
    // One without graphics has no parts.
    EXPECT_EQ(CreateVehicle(301 << 18, 0.0f, 0.0f)->GetPartCount(), 0);

    v->GetBody()->SetAngle(30.0f);
    v->GetBody()->MoveBy(50.0f, -20.0f);
    m.Frames(1);
    EXPECT_FLOAT_EQ(v->GetX(), 150.0f);
    EXPECT_FLOAT_EQ(v->GetY(), 100.0f);
    EXPECT_FLOAT_EQ(v->GetAngle(), 30.0f);

    EXPECT_FALSE(v->IsWrecked());
    v->SetHealth(-5.0f);
    m.Frames(1);
    v->SetHealth(50.0f);
    m.Frames(1);
    EXPECT_TRUE(v->IsWrecked());

    RecordingClient client;
    m.game->SetHandlers(&m.server, &client);
    m.game->SetActiveHandler(&client);
    v->SetPositionAngle(400.0f, 300.0f, 90.0f); // as replication writes it
    m.Frames(1);
    EXPECT_FLOAT_EQ(v->GetBody()->GetPose().x, 400.0f);
    EXPECT_FLOAT_EQ(v->GetBody()->GetPose().y, 300.0f);

    // A client's copy is built once, when its members have arrived.
    MPAPI::Object* copy = m.game->CreateObject(ObjectKind::Vehicle, 300 << 18);
    m.game->OnObjectReady(copy);
    EXPECT_EQ(static_cast<Vehicle*>(copy)->GetPartCount(), 3);
}

TEST(Arms, MissileTrailAfterALongFrameIsCapped)
{
    Match m;
    int rocket = m.Weapon(7005, {{u"w_speed", {weapontest::Int(1000)}}, {u"w_range", {weapontest::Int(100)}}});
    m.resources.BuildIndex();
    RecordingClient client;
    m.game->SetHandlers(&m.server, &client);
    m.game->SetActiveHandler(&client);
    MissileProjectile missile(rocket, true);
    MissileProjectile::spawnTrailPuff = CountPuff;

    puffs = 0;
    missile.Update(0.05f); // 50 units: a puff every 10
    EXPECT_EQ(puffs, 6);
    puffs = 0;
    missile.Update(30.0f);
    EXPECT_EQ(puffs, MissileProjectile::kMaxTrailPuffs);
    MissileProjectile::spawnTrailPuff = nullptr;

    // Whatever the server sent, what a client flies and draws stays finite.
    GrenadeProjectile grenade(rocket, 255);
    BulletProjectile bullet(1);
    for (Object* o : {static_cast<Object*>(&missile), static_cast<Object*>(&grenade), static_cast<Object*>(&bullet)}) {
        o->SetPositionAngle(std::nanf(""), 1.0e30f, INFINITY);
        o->Update(0.01f);
        EXPECT_TRUE(std::isfinite(o->GetX()) && std::isfinite(o->GetY()) && std::isfinite(o->GetAngle()));
    }
}
