#include "FlagLevel.h"

#include "game/world/modes/CaptureTheFlag.h"

using namespace modetest;

TEST(CaptureTheFlag, FlagTakenDroppedReturnedRetakenAndCapturedThenTimeEndsTheMatch)
{
    ModeWorld w(1);
    DefineFlagLevel(w);
    w.Options().SetServerTimeLimit(2);
    w.Options().SetServerFragLimit(0);
    w.Options().SetServerTeamFragLimit(0);
    w.Options().SetServerBalanced(false);
    auto* ctf = dynamic_cast<CaptureTheFlag*>(w.Mode());
    ASSERT_NE(ctf, nullptr);
    MissionItem* finFlag = Place(kFlagFin, 100.0f, 100.0f);
    MissionItem* rusFlag = Place(kFlagRus, 900.0f, 100.0f);
    ASSERT_TRUE(finFlag && rusFlag);
    w.Mode()->Start();
    EXPECT_EQ(w.Mode()->GetTimeLeft(), 120.0f) << "the whole limit from the start";
    Player* anna = w.Join(u"Anna", 1);
    Player* boris = w.Join(u"Boris", 2);
    Player* dmitri = w.Join(u"Dmitri", 2);
    EXPECT_EQ(w.server.messages[0], u"Playing capture the flag");

    // Touching the own flag without the enemy's does nothing.
    EXPECT_FALSE(anna->TakeMissionItem(finFlag));
    EXPECT_TRUE(boris->TakeMissionItem(finFlag));
    EXPECT_TRUE(finFlag->IsCarried());
    EXPECT_EQ(w.server.messages.back(), u"Player Boris has taken the Finnish flag");
    MissionItem* second = Place(kFlagFin, 300.0f, 300.0f);
    EXPECT_FALSE(boris->TakeMissionItem(second));
    delete second;

    // Death drops the flag on the middle of the tile under the carrier.
    boris->SetPosition(500.0f, 250.0f);
    w.Kill(boris, anna);
    EXPECT_EQ(boris->GetMissionItemCount(), 0);
    EXPECT_EQ(w.server.messages.back(), u"Player Boris dropped finland flag");
    std::vector<MissionItem*> dropped = ItemsOfType(MissionItem::DroppedFinnish);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0]->GetX(), 496.0f - 16.0f);
    EXPECT_EQ(dropped[0]->GetY(), 240.0f - 16.0f);

    // A Finn returns it: the dropped flag goes, the base flag is back.
    EXPECT_FALSE(anna->TakeMissionItem(dropped[0]));
    EXPECT_EQ(w.server.messages.back(), u"Finnish flag is returned to the base");
    EXPECT_TRUE(ItemsOfType(MissionItem::DroppedFinnish).empty());
    EXPECT_FALSE(finFlag->IsCarried());

    // Dropped again and picked up by another Russian: he has the real flag.
    EXPECT_TRUE(boris->TakeMissionItem(finFlag));
    w.Kill(boris, anna);
    dropped = ItemsOfType(MissionItem::DroppedFinnish);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_FALSE(dmitri->TakeMissionItem(dropped[0]));
    EXPECT_TRUE(dmitri->HasMissionItemOfType(MissionItem::Finnish));
    EXPECT_TRUE(ItemsOfType(MissionItem::DroppedFinnish).empty());

    // A client told of the touch scores nothing and says nothing.
    const size_t said = w.server.messages.size();
    w.game->SetActiveHandler(&w.client);
    EXPECT_FALSE(dmitri->TakeMissionItem(rusFlag));
    w.game->SetActiveHandler(&w.server);
    EXPECT_EQ(w.server.messages.size(), said);
    EXPECT_EQ(w.ScoresOf(dmitri).captures, 0);
    EXPECT_TRUE(dmitri->HasMissionItemOfType(MissionItem::Finnish));

    // The capture at the own base.
    dmitri->SetPosition(900.0f, 120.0f);
    EXPECT_FALSE(dmitri->TakeMissionItem(rusFlag));
    EXPECT_EQ(w.server.messages.back(), u"Player Dmitri captured the Finnish flag");
    EXPECT_FALSE(dmitri->HasMissionItemOfType(MissionItem::Finnish));
    EXPECT_FALSE(finFlag->IsCarried());
    EXPECT_EQ(w.ScoresOf(dmitri).captures, 1);
    EXPECT_EQ(w.ScoresOf(dmitri).objective, 10);
    EXPECT_EQ(w.ScoresOf(dmitri).points, 10);
    EXPECT_EQ(dmitri->GetCaptures(), 1);
    EXPECT_EQ(w.server.GetTeamCaptures(7), 1);
    EXPECT_EQ(ctf->GetScoringTeam(), 7);
    EXPECT_EQ(ctf->GetTeamFlag(0), nullptr);

    // Every client hears who scored and shows it for seven seconds.
    CaptureTheFlag clientView;
    w.Deliver(w.connections[0].get(), &clientView);
    EXPECT_EQ(clientView.GetScoringTeam(), 7);
    clientView.CheckLimits(6.4f);
    EXPECT_FLOAT_EQ(clientView.GetBannerAlpha(), 0.7f);
    clientView.CheckLimits(0.35f); // fading over its last half second
    EXPECT_NEAR(clientView.GetBannerAlpha(), 0.35f, 1e-4f);
    clientView.CheckLimits(0.3f);
    EXPECT_EQ(clientView.GetScoringTeam(), -1);

    // A team change drops what the player carries.
    EXPECT_TRUE(anna->TakeMissionItem(rusFlag));
    w.server.ChangeTeam(anna, 2);
    EXPECT_EQ(anna->GetMissionItemCount(), 0);
    EXPECT_EQ(ItemsOfType(MissionItem::DroppedRussian).size(), 1u);

    w.Run(200.0f);
    EXPECT_EQ(w.server.levelStarts, 1);
    EXPECT_NEAR(w.Mode()->GetElapsedTime(), 120.0f, 0.15f);
}

TEST(CaptureTheFlag, AnyoneTakesItemsInTeamDeathmatchAndADroppedFlagTakenIsNeverCarried)
{
    ModeWorld w(0);
    DefineFlagLevel(w);
    MissionItem* finFlag = Place(kFlagFin, 100.0f, 100.0f);
    Player* anna = w.Join(u"Anna", 1);
    EXPECT_TRUE(anna->TakeMissionItem(finFlag));
    w.Kill(anna, nullptr);
    std::vector<MissionItem*> dropped = ItemsOfType(MissionItem::DroppedFinnish);
    ASSERT_EQ(dropped.size(), 1u);
    // It goes away on pick-up: listing it would leave a dangling carried item.
    EXPECT_TRUE(anna->TakeMissionItem(dropped[0]));
    EXPECT_EQ(anna->GetMissionItemCount(), 0);
    EXPECT_TRUE(ItemsOfType(MissionItem::DroppedFinnish).empty());
}
