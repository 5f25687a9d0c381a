#include "game/world/phys/Object.h"
#include "engine/core/Random.h"
#include "engine/net/FieldLayout.h"
#include "game/world/objects/ObjectFixture.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/state/WorldServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

TEST(ObjectBase, HitsAndBlastsWearHealthDownToZero)
{
    auto definition = Definition({Numbers(u"health", {100}), Word(u"material", u"glass")});
    ProbeObject crate(ObjectKind::Prop, definition.get());
    crate.LoadProperties();
    ASSERT_TRUE(crate.IsBreakable());
    EXPECT_EQ(crate.GetMaterial(), 4);
    ASSERT_EQ(crate.GetDamageStateCount(), 1);
    EXPECT_FLOAT_EQ(crate.GetDamageState(0)->threshold, 50.0f);

    crate.TakeHit(30, false, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(crate.GetHealth(), 70.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    crate.TakeHit(nan, false, 0, 0, 0, 0);
    crate.TakeBlastDamage(nan, 0, 10, 0, 0);
    crate.TakeBlastDamage(0, 0, std::numeric_limits<float>::infinity(), 0, 0);
    EXPECT_FLOAT_EQ(crate.GetHealth(), 70.0f);
    crate.TakeBlastDamage(0, 0, 20, 0, 0);
    EXPECT_FLOAT_EQ(crate.GetHealth(), 50.0f);
    crate.TakeHit(500, true, 0, 0, 0, 0);
    EXPECT_EQ(crate.GetHealth(), 0.0f);
    EXPECT_FALSE(crate.IsAlive());

    // Players take their damage elsewhere; objects without health ignore hits.
    ProbeObject player(ObjectKind::Player, definition.get());
    player.LoadProperties();
    player.TakeHit(30, false, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(player.GetHealth(), 100.0f);
    ProbeObject rock;
    rock.LoadProperties();
    rock.TakeHit(30, false, 0, 0, 0, 0);
    EXPECT_EQ(rock.GetHealth(), 0.0f);
}

TEST(ObjectBase, CoverNearAndFarAndBulletBlocking)
{
    ProbeObject shooter;
    auto cover = [&](float pass) {
        return Definition({Numbers(u"cover", {16, pass, 50, 1}), Numbers(u"block_bullet", {0})});
    };
    auto open = cover(100), solid = cover(0);
    ProbeObject a(ObjectKind::Prop, open.get()), b(ObjectKind::Prop, solid.get());
    a.LoadProperties();
    b.LoadProperties();
    ASSERT_NE(b.GetCover(), nullptr);
    EXPECT_EQ(b.GetCover()->extraFlag, 1);
    EXPECT_FLOAT_EQ(b.GetCover()->radiusSquared, 256.0f);

    Util::SeedRandom(5);
    float factor = 0;
    shooter.SetPosition(79.9f, 0); // within radius + 64: always passes
    EXPECT_FALSE(b.CoverStopsShot(&shooter, &factor));
    EXPECT_FLOAT_EQ(factor, 0.5f);
    shooter.SetPosition(80, 0); // distant: the pass chance decides
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(b.CoverStopsShot(&shooter, &factor));
        EXPECT_FALSE(a.CoverStopsShot(&shooter, &factor));
    }
    ProbeObject bare;
    EXPECT_TRUE(bare.CoverStopsShot(&shooter, &factor));

    EXPECT_FALSE(b.BlocksBullets());
    EXPECT_TRUE(bare.BlocksBullets());
    auto one = Definition({Numbers(u"block_bullet", {1})});
    auto real = Definition({Numbers(u"block_bullet", {0.5f})});
    real->FindItem(u"block_bullet")->values[0].real = 1.0f;
    EXPECT_TRUE(ProbeObject(0, one.get()).BlocksBullets());
    EXPECT_TRUE(ProbeObject(0, real.get()).BlocksBullets());

    ProbeObject viewer;
    bool far = false;
    viewer.SetPosition(711.9f, -583.9f);
    EXPECT_TRUE(viewer.IsNear(0, 0, &far));
    EXPECT_FALSE(far);
    viewer.SetPosition(712, 0);
    EXPECT_FALSE(viewer.IsNear(0, 0, &far));
    EXPECT_TRUE(far);
}

TEST(ObjectBase, TallBodiesBlockSightAndLeaveWithTheirObject)
{
    PhysEng::PhysicsEngine world;
    Services().physics = &world;
    auto definition = Definition({Numbers(u"height", {19.6f})});
    const float square[] = {0, 0, 32, 0, 32, 32, 0, 32};
    definition->LoadParameters(square, 4);
    auto* pillar = new ProbeObject(ObjectKind::Prop, definition.get());
    pillar->LoadProperties();
    pillar->LoadProperties(); // a second load makes no second body
    ASSERT_EQ(world.GetBodyCount(), 1);
    EXPECT_EQ(pillar->GetHeight(), 20);
    EXPECT_EQ(pillar->GetBody()->GetOwner(), pillar);
    pillar->SetPositionAngle(100, 100, 0);
    pillar->Update(0.0f);
    EXPECT_EQ(pillar->GetVisibility(50, 116, 200, 116), 0.0f);
    EXPECT_EQ(pillar->GetVisibility(50, 150, 200, 150), 1.0f);
    delete pillar;
    EXPECT_EQ(world.GetBodyCount(), 0);
    Services().physics = nullptr;
}

TEST(ObjectBase, PositionRecordsReplicateThroughTheFieldLayout)
{
    ProbeObject object(ObjectKind::Door);
    EXPECT_TRUE(object.IsAlwaysRelevant());
    EXPECT_FALSE(ProbeObject(ObjectKind::Bullet).IsAlwaysRelevant());
    EXPECT_EQ(object.GetTypeId(), ObjectKind::Door);
    MPAPI::FieldLayout layout;
    ASSERT_TRUE(layout.Parse(object.GetFieldTable()));
    ASSERT_EQ(layout.GetCount(), 3);
    const MPAPI::FieldRecord* f = layout.GetFields();
    EXPECT_EQ(f[0].type, MPAPI::kFieldFloat);
    EXPECT_EQ(f[2].type, MPAPI::kFieldWord);
    float x = 12.5f, y = -3.25f, angle = 270.0f;
    uint32_t bits[3];
    std::memcpy(&bits[0], &x, 4);
    std::memcpy(&bits[1], &y, 4);
    std::memcpy(&bits[2], &angle, 4);
    for (int i = 0; i < 3; ++i)
        MPAPI::FieldLayout::WriteMember(&object, f[i], bits[i]);
    EXPECT_EQ(object.GetX(), x);
    EXPECT_EQ(object.GetY(), y);
    EXPECT_EQ(object.GetAngle(), angle);
    object.SetPositionAngle(1, 2, 3);
    EXPECT_EQ(MPAPI::FieldLayout::ReadMember(&object, f[1]), 0x40000000u); // 2.0f

    // A position from the network that is not finite is dropped.
    object.SetNetPosition(std::numeric_limits<float>::quiet_NaN(), 0, 0, 0);
    object.SetNetPosition(10, 20, 1, 2);
    EXPECT_EQ(object.GetX(), 11.0f);
    EXPECT_EQ(object.GetY(), 22.0f);
}
