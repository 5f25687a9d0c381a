// A king-of-the-hill match through the real handlers, played to its time
// limit: each client makes the level's flag a hill flag of its own and sees
// it taken, the round won and the flag start over as the server does.
#include "HandlerMatch.h"

#include "game/world/modes/KingOfTheHill.h"
#include "game/world/modes/MissionItemFlag.h"

namespace StateTest {
namespace {

constexpr int kHillFlag = 28835840; // "white flag"

} // namespace

TEST_F(HandlerMatch, HillMatchPlaysAlikeOnServerAndClientsOverLoopback)
{
    WriteTestLevel("r_koh.lvl", 20, 15, u"Hill", 2, {{kHillFlag, 300, 200, 0}});
    game_->Options().AddMapCycleLevel(2, u"levels/r_koh.lvl");
    game_->Options().SetServerTimeLimit(1);
    ASSERT_NO_FATAL_FAILURE(Serve(2));
    auto* serverMode = dynamic_cast<KingOfTheHill*>(game_->GetGameMode());
    ASSERT_NE(serverMode, nullptr);
    MissionItemFlag* serverFlag = FirstObject<MissionItemFlag>();
    ASSERT_NE(serverFlag, nullptr);
    Player* players[2] = {Server(0), Server(1)};
    auto run = [&](float seconds, const std::function<bool()>& done) { return Run(seconds, done); };
    // True when every client's hill flag and mode pass the check.
    auto clientsSee = [&](const std::function<bool(MissionItemFlag*, KingOfTheHill*)>& check) {
        bool seen = true;
        for (int i = 0; i < 2; ++i)
            seen = seen && OnPeer<bool>(i, [&] {
                       MissionItemFlag* flag = FirstObject<MissionItemFlag>();
                       return flag && check(flag, static_cast<KingOfTheHill*>(Services().game->GetGameMode()));
                   });
        return seen;
    };

    float cx, cy;
    serverFlag->GetCentre(&cx, &cy);
    players[1]->SetPosition(cx, cy + 30.0f);
    EXPECT_TRUE(run(4.0f, [&] {
        return clientsSee([&](MissionItemFlag* f, KingOfTheHill*) {
            return f->GetProgress() > 0.2f && f->GetCapturer() == players[1]->GetNetworkId();
        });
    }));
    ASSERT_TRUE(run(12.0f, [&] { return serverMode->GetRoundWinner() == 7; }));
    EXPECT_TRUE(run(2.0f, [&] {
        return clientsSee([](MissionItemFlag* f, KingOfTheHill* m) {
            return f->IsOwned() && f->GetTeam() == 7 && m->GetRoundWinner() == 7;
        });
    }));
    players[1]->SetPosition(40.0f, 40.0f);
    ASSERT_TRUE(run(6.0f, [&] { return serverMode->GetRoundWinner() == -1; }));
    EXPECT_TRUE(run(2.0f, [&] {
        return clientsSee(
            [](MissionItemFlag* f, KingOfTheHill* m) { return f->GetTeam() == -1 && m->GetRoundWinner() == -1; });
    }));

    // The time runs out alike everywhere; then the level starts again.
    EXPECT_TRUE(
        run(50.0f, [&] { return clientsSee([](MissionItemFlag*, KingOfTheHill* m) { return m->IsGameOver(); }); }));
    EXPECT_TRUE(run(25.0f, [&] { return !game_->GetGameMode()->IsGameOver(); }));
}

} // namespace StateTest
