#include "FlagLevel.h"

#include "game/world/modes/KingOfTheHill.h"
#include "game/world/modes/MissionItemFlag.h"

using namespace modetest;

namespace {

// Server frames: the flags first, then the mode, as the game state runs them.
void Frames(ModeWorld& w, float seconds, std::initializer_list<MissionItemFlag*> flags, float dt = 0.1f)
{
    for (float t = 0.0f; t < seconds - dt * 0.5f; t += dt) {
        for (MissionItemFlag* f : flags)
            f->Update(dt);
        w.Mode()->Update(dt);
    }
}

} // namespace

TEST(KingOfTheHill, HolderOnlyWithEveryFlagOfOneTeam)
{
    ModeWorld w(2);
    DefineFlagLevel(w);
    auto* hill = dynamic_cast<KingOfTheHill*>(w.Mode());
    ASSERT_NE(hill, nullptr);
    const struct {
        std::vector<int> flags;
        int holder;
    } cases[] = {
        {{}, -1},
        {{kFlagFin}, 0},
        {{kFlagRus}, 7},
        {{kFlagBlank}, -1},
        {{kFlagFin, kFlagFin}, 0},
        {{kFlagRus, kFlagRus}, 7},
        {{kFlagFin, kFlagRus}, -1},
        {{kFlagRus, kFlagFin}, -1},
        {{kFlagFin, kFlagBlank}, -1},
        {{kFlagRus, kFlagBlank}, -1},
        {{kFlagFin, kFlagRus, kFlagBlank}, -1},
    };
    for (const auto& c : cases) {
        std::vector<MissionItemFlag*> made;
        for (int id : c.flags) {
            made.push_back(Place<MissionItemFlag>(id, 100.0f * float(made.size() + 1), 100.0f));
            ASSERT_NE(made.back(), nullptr);
        }
        EXPECT_EQ(hill->FindHolder(), c.holder) << c.flags.size() << " flags";
        for (MissionItemFlag* f : made)
            delete f;
    }
}

TEST(KingOfTheHill, HillHeldByTimeWinsRoundsUntilTheMatchIsOver)
{
    ModeWorld w(2);
    DefineFlagLevel(w);
    w.Options().SetServerTimeLimit(2);
    w.Options().SetServerBalanced(false);
    auto* hill = dynamic_cast<KingOfTheHill*>(w.Mode());
    ASSERT_NE(hill, nullptr);
    Place(kStartFin, 40.0f, 40.0f);
    Place(kStartRus, 900.0f, 900.0f);
    auto* neutral = Place<MissionItemFlag>(kFlagBlank, 500.0f, 500.0f);
    auto* finnish = Place<MissionItemFlag>(kFlagFin, 100.0f, 500.0f);
    ASSERT_TRUE(neutral && finnish);
    w.Mode()->Start();
    Player* anna = w.Join(u"Anna", 1);
    Player* boris = w.Join(u"Boris", 2);
    Player* vera = w.Join(u"Vera", 2);
    EXPECT_EQ(w.server.messages[0], u"Playing king of the hill");
    EXPECT_EQ(hill->FindHolder(), -1);

    // Alone, half way in five seconds; one who steps in as he walks off
    // starts from nothing; an enemy at the flag loses it all.
    boris->SetPosition(540.0f, 460.0f);
    Frames(w, 5.0f, {neutral, finnish});
    EXPECT_NEAR(neutral->GetProgress(), 0.5f, 0.011f);
    EXPECT_EQ(neutral->GetCapturer(), boris->GetNetworkId());
    boris->SetPosition(540.0f, 600.0f);
    anna->SetPosition(440.0f, 520.0f);
    Frames(w, 0.1f, {neutral, finnish});
    EXPECT_EQ(neutral->GetCapturer(), anna->GetNetworkId());
    EXPECT_NEAR(neutral->GetProgress(), 0.01f, 0.001f);
    boris->SetPosition(540.0f, 460.0f);
    Frames(w, 0.1f, {neutral, finnish});
    EXPECT_EQ(neutral->GetProgress(), 0.0f);
    EXPECT_EQ(neutral->GetCapturer(), 0);
    anna->SetPosition(40.0f, 40.0f);
    // A player at his own team's flag starts nothing.
    Frames(w, 10.0f, {neutral, finnish});
    EXPECT_EQ(finnish->GetCapturer(), 0);
    EXPECT_EQ(neutral->GetTeam(), 7);
    EXPECT_EQ(w.server.messages.back(), u"Player Boris captured a flag");
    EXPECT_EQ(hill->FindHolder(), -1);

    // With a team-mate a capture takes nine seconds; then Russia holds all.
    boris->SetPosition(110.0f, 510.0f);
    vera->SetPosition(90.0f, 490.0f);
    Frames(w, 8.5f, {neutral, finnish});
    EXPECT_EQ(finnish->GetTeam(), 0);
    EXPECT_EQ(hill->GetRoundWinner(), -1);
    Frames(w, 0.6f, {neutral, finnish});
    EXPECT_EQ(finnish->GetTeam(), 7);
    EXPECT_EQ(w.server.messages.back(), u"Player Boris captured a finland flag");
    EXPECT_EQ(hill->GetRoundWinner(), 7);
    EXPECT_EQ(w.ScoresOf(boris).objective, 5);
    EXPECT_EQ(w.ScoresOf(vera).points, 5);
    EXPECT_EQ(w.ScoresOf(anna).points, 0);

    // While the win shows no second one is scored and nothing is captured.
    anna->SetPosition(500.0f, 500.0f);
    Frames(w, 4.5f, {neutral, finnish});
    EXPECT_EQ(w.ScoresOf(boris).points, 5);
    EXPECT_EQ(neutral->GetProgress(), 0.0f);
    // Then the flags start over and everybody is placed anew.
    Frames(w, 0.6f, {neutral, finnish});
    EXPECT_EQ(hill->GetRoundWinner(), -1);
    EXPECT_EQ(finnish->GetTeam(), 0);
    EXPECT_EQ(neutral->GetTeam(), -1);
    EXPECT_FALSE(neutral->IsOwned());
    EXPECT_EQ(boris->GetX(), 900.0f);
    EXPECT_EQ(anna->GetX(), 40.0f);

    // The last twenty seconds count as over: nothing is captured.
    Frames(w, 120.0f - 28.0f - w.Mode()->GetElapsedTime(), {neutral, finnish});
    anna->SetPosition(500.0f, 500.0f);
    Frames(w, 5.0f, {neutral, finnish});
    EXPECT_GT(neutral->GetProgress(), 0.4f);
    Frames(w, 5.0f, {neutral, finnish});
    EXPECT_TRUE(w.Mode()->IsGameOver());
    EXPECT_EQ(neutral->GetProgress(), 0.0f);
    EXPECT_EQ(neutral->GetTeam(), -1);
}
