// Blood on the ground, through a sprite painter that only keeps what it is
// given: a corpse's pool and a blood patch lie centred where they were left.
#include "game/world/geometry/Quad.h"
#include "game/world/net/GamePacket.h"
#include "game/world/net/IMultiplayerHandler.h"
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

// Knows one player, on the Russian side.
class OneRussian : public IMultiplayerHandler {
public:
    void RemoveObject(MPAPI::Object*) override {}
    void AddObject(MPAPI::Object*) override {}
    void AddLevelObject(MPAPI::Object*) override {}
    GamePacket& Outgoing() override { return packet; }
    void Broadcast(GamePacket*, MPAPI::IConnection*) override {}
    void SendMessageTo(Player*, const char16_t*) override {}
    void BroadcastMessage(const char16_t*, int, bool, bool) override {}
    void SendInventoryClear(Player*) override {}
    bool StartLevel() override { return true; }
    void UpdatePlayer(int32_t, float, float, int, int, MPAPI::IConnection*) override {}
    const PlayerSlot* GetSlot(int) const override { return nullptr; }
    int32_t GetLocalPlayerId() const override { return 0; }
    const char16_t* GetPlayerName(int32_t) override { return u""; }
    int GetPlayerTeam(int32_t id) override { return id == 7 ? 1 : -1; }
    int CountPlayers() override { return 1; }
    int GetPlayerFragsAt(int) override { return 0; }
    int GetPlayerCapturesAt(int) override { return 0; }
    int GetPlayerRankAt(int) override { return 0; }
    int GetTeamFrags(int) override { return 0; }
    int GetTeamCaptures(int) override { return 0; }
    int CountTeamPlayers(int) override { return 0; }
    int CountLivingTeamPlayers(int) override { return 0; }
    int GetTopFrags() override { return 0; }
    int GetLeadingTeam() override { return -1; }
    void SetRoster(IPlayerRoster*) override {}
    GamePacket packet;
};

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

    // The body is the victim's team's picture, the cell of its age, turned
    // by the corpse's angle about its middle.
    OneRussian handler;
    game.SetActiveHandler(&handler);
    FakeTexture fallen(512, 64);
    media.deadBodies[1] = &fallen;
    auto* body = new DeadPlayer();
    body->SetPositionAngle(500, 500, 180.0f);
    body->playerId = 7;
    body->LoadProperties();
    Services().objects->AddObject(body);
    body->Update(0.3f);
    body->Draw();
    const KeptSprite* shown = painter->sprites[painter->sprites.size() - 2].get();
    ASSERT_TRUE(shown->visible);
    EXPECT_NEAR(shown->quad.texLeft, 2.0f / 8.0f, 1e-3f);
    EXPECT_NEAR(shown->quad.texRight, 3.0f / 8.0f, 1e-3f);
    EXPECT_NEAR(shown->quad.topLeft.x, 532, 1e-2f);
    EXPECT_NEAR(shown->quad.topLeft.y, 537, 1e-2f);
    media.deadBodies[1] = nullptr;
    media.deadBodies[0] = &fallen;
    body->Draw();
    EXPECT_FALSE(shown->visible);
    game.SetActiveHandler(nullptr);
    Services().media = nullptr;
}
