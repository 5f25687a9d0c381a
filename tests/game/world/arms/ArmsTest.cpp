#include "ArmsFixture.h"

#include "game/world/arms/ArmsFactory.h"
#include "game/world/arms/BulletProjectile.h"
#include "game/world/arms/Projectile.h"
#include "game/world/arms/Trap.h"
#include "game/world/net/GameMessage.h"
#include "game/world/system/ObjectFactory.h"

using namespace armstest;
using weapontest::Int;
using weapontest::Word;

namespace {

constexpr int kExplosion = int(GameMessage::Explosion);

// A breakable crate with a polygon body, 100 health.
int Crate(Match& m)
{
    ObjectResource* crate = m.resources.CreateObjectResource(ResourceClass::Furniture);
    crate->SetId(200 << 18);
    const float outline[8] = {0, 0, 30, 0, 30, 30, 0, 30};
    crate->LoadParameters(outline, 4);
    weapontest::AddParam(crate, u"health", {Int(100)});
    return 200 << 18;
}

} // namespace

TEST(Arms, BulletStopsAtAWallAndHitsAnObjectInTheOpen)
{
    Match m;
    for (int y = 0; y < 16; ++y)
        m.Wall(10, y);
    int crateId = Crate(m);
    m.resources.BuildIndex();
    m.Ready();
    Object* shielded = CreateObjectByType(crateId, 400.0f, 100.0f); // beyond the wall at x 320..352
    Object* open = CreateObjectByType(crateId, 200.0f, 300.0f);
    ASSERT_TRUE(shielded && open);

    // Angle 90 flies along +x.
    BulletProjectile* atWall = CreateBullet(100.0f, 110.0f, 90.0f, 1, 0.0f);
    atWall->SetDamage(40.0f);
    BulletProjectile* atCrate = CreateBullet(100.0f, 315.0f, 90.0f, 1, 0.0f);
    atCrate->SetDamage(40.0f);
    m.Frames(20, 0.02f);

    EXPECT_FALSE(m.Alive(atWall));
    EXPECT_FALSE(m.Alive(atCrate));
    EXPECT_EQ(shielded->GetHealth(), 100.0f);
    EXPECT_LT(open->GetHealth(), 100.0f);
    EXPECT_GT(open->GetHealth(), 59.0f); // one hit only
}

TEST(Arms, GrenadeBlastReachesThePlayerInTheOpenNotTheOneBehindAWall)
{
    Match m;
    for (int y = 0; y < 16; ++y)
        m.Wall(10, y);
    int grenade = m.Weapon(7001, {{u"w_damage", {Int(80)}},
                                  {u"w_behaviour", {Word(u"explode"), Int(8), Int(0)}},
                                  {u"w_detonation", {Word(u"time"), Int(1000)}}});
    m.resources.BuildIndex();
    m.Ready();
    StandInPlayer* thrower = m.Player(11, 0, 40.0f, 400.0f);
    StandInPlayer* exposed = m.Player(12, 1, 200.0f, 100.0f);
    StandInPlayer* covered = m.Player(13, 1, 400.0f, 100.0f);

    // Thrown with no strength, it lies where it fell.
    GrenadeProjectile* g = CreateGrenade(grenade, 300.0f, 100.0f, 0);
    g->SetOwnerId(11);
    m.Frames(10);
    EXPECT_TRUE(m.Alive(g));
    EXPECT_EQ(m.server.Count(kExplosion), 0);
    m.Frames(11);

    EXPECT_FALSE(m.Alive(g));
    EXPECT_EQ(m.server.Count(kExplosion), 1);
    EXPECT_GT(exposed->taken, 0.0f);
    EXPECT_EQ(exposed->creditedTo, 11);
    EXPECT_EQ(covered->taken, 0.0f);
    EXPECT_EQ(thrower->taken, 0.0f); // beyond the radius
}

TEST(Arms, MineGoesOffForWhoeverStepsOnItOnceArmed)
{
    Match m;
    int mine = m.Weapon(
        7002, {{u"w_damage", {Int(50)}}, {u"w_range", {Int(3)}}, {u"w_behaviour", {Word(u"explode"), Int(3), Int(0)}}});
    m.resources.BuildIndex();
    m.Ready();
    m.Player(21, 0, 500.0f, 300.0f);
    StandInPlayer* mate = m.Player(22, 0, 600.0f, 300.0f);
    Trap* trap = CreateTrap(mine, 100.0f, 100.0f);
    trap->SetOwnerId(21);
    trap->SetPlacementMode(2);

    // Nobody near: it arms, but goes off only two seconds after it was
    // laid, and then for the placer's own side as for anyone.
    m.Frames(1);
    EXPECT_TRUE(trap->IsArmed());
    mate->SetPosition(105.0f, 95.0f);
    m.Frames(30);
    EXPECT_TRUE(m.Alive(trap));
    m.Frames(10);
    EXPECT_FALSE(m.Alive(trap));
    EXPECT_EQ(m.server.Count(kExplosion), 1);
    EXPECT_GT(mate->taken, 0.0f);
    EXPECT_EQ(mate->creditedTo, 21);
}

TEST(Arms, RemoteChargeGoesOffOnItsHoldersKeyOnce)
{
    Match m;
    int charge = m.Weapon(7003, {{u"w_damage", {Int(50)}},
                                 {u"w_behaviour", {Word(u"explode"), Int(3), Int(0)}},
                                 {u"w_detonation", {Word(u"click"), Int(0)}}});
    int flare = m.Weapon(
        7004, {{u"w_behaviour", {Word(u"light"), Int(3), Int(0)}}, {u"w_detonation", {Word(u"click"), Int(0)}}});
    m.resources.BuildIndex();
    m.Ready();
    Trap* trap = CreateTrap(charge, 100.0f, 100.0f);
    trap->SetOwnerId(31);
    trap->SetPlacementMode(3);
    Trap* light = CreateTrap(flare, 200.0f, 100.0f);
    light->SetOwnerId(31);
    light->SetPlacementMode(3);
    m.Frames(5);
    EXPECT_TRUE(m.Alive(trap));

    // The detonator changes hands: the old owner's key does nothing, and
    // key 0 (every unparked trap) claims nothing.
    EXPECT_TRUE(ParkOwnedTraps(31, 7));
    TriggerOwnedTraps(31);
    EXPECT_FALSE(ClaimParkedTraps(32, 0));
    m.Frames(2);
    EXPECT_TRUE(m.Alive(trap));
    EXPECT_TRUE(ClaimParkedTraps(32, 7));
    EXPECT_EQ(trap->GetOwnerId(), 32);

    TriggerOwnedTraps(32);
    m.Frames(1);
    EXPECT_FALSE(m.Alive(trap));
    EXPECT_EQ(m.server.Count(kExplosion), 1);
    // A detonation that removes nothing is spent, not repeated.
    ASSERT_TRUE(m.Alive(light));
    EXPECT_TRUE(light->IsSpent());
}
