// Blood on the ground, through a sprite painter that only keeps what it is
// given: a corpse's pool and a blood patch lie centred where they were left.
#include "game/world/geometry/Quad.h"
#include "game/world/objects/WorldEffects.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/KeptSprites.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

namespace {

void ExpectCentredSquare(const Quad& q, float x, float y, float half)
{
    EXPECT_NEAR(q.topLeft.x, x - half, 1e-3f);
    EXPECT_NEAR(q.topLeft.y, y - half, 1e-3f);
    EXPECT_NEAR(q.bottomRight.x, x + half, 1e-3f);
    EXPECT_NEAR(q.bottomRight.y, y + half, 1e-3f);
}

} // namespace

TEST(GroundPatches, PoolsAndPatchesLieCentredWhereTheyWereLeft)
{
    GameSystem game(nullptr, nullptr, nullptr, nullptr, nullptr);
    auto* painter = new KeptPainter(); // the game state's to delete
    Services().spritePainter = painter;
    FakeTexture pool(64, 64);
    CommonMedia media;
    for (ITexture*& picture : media.bloodPools)
        picture = &pool;
    Services().media = &media;

    // The pool grows from the corpse's centre, a little above its feet: at
    // 6 s it is at its own size.
    auto* corpse = new DeadPlayer();
    corpse->SetPositionAngle(500, 500, 0);
    corpse->LoadProperties();
    Services().objects->AddObject(corpse);
    corpse->Update(6.0f);
    corpse->Draw();
    ASSERT_EQ(painter->sprites.size(), 2u);
    ASSERT_TRUE(painter->sprites[1]->visible);
    ExpectCentredSquare(painter->sprites[1]->quad, 500, 495, 32);

    // A patch is 1.0 to 2.4 times a pool and a half, in tenths.
    std::set<int> tenths;
    for (int i = 0; i < 300; ++i) {
        auto* patch = static_cast<Mess*>(CreateMess(1, 300, 200, 0));
        ASSERT_NE(patch, nullptr);
        tenths.insert(int(std::lround(patch->scale * 10)));
        if (i == 0) {
            patch->Draw();
            ASSERT_TRUE(painter->sprites.back()->visible);
            ExpectCentredSquare(painter->sprites.back()->quad, 300, 200, 32 * 1.5f * patch->scale);
        }
    }
    EXPECT_EQ(*tenths.begin(), 10);
    EXPECT_EQ(*tenths.rbegin(), 24);
    Services().media = nullptr;
}
