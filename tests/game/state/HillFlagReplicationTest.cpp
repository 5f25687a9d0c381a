// A king-of-the-hill match between a server and two client game states over
// UDP on loopback, played to its time limit: each client makes the level's
// flag a hill flag of its own and sees it taken, the round won and the flag
// start over as the server does. The handlers carry only joins, replication
// and the mode's messages.
#include "MatchRig.h"

#include "game/world/KingOfTheHill.h"
#include "game/world/MissionItemFlag.h"
#include "game/world/ObjectManager.h"
#include "game/world/Player.h"

namespace StateTest {
namespace {

constexpr int kHillFlag = 28835840; // "white flag"

MissionItemFlag* HillFlag()
{
    MissionItemFlag* flag = nullptr;
    Services().objects->ForEachObject([&](Object* o) {
        if (!flag)
            flag = dynamic_cast<MissionItemFlag*>(o);
    });
    return flag;
}

} // namespace

TEST_F(GameState, HillMatchPlaysAlikeOnServerAndClientsOverLoopback)
{
    WriteTestLevel("r_koh.lvl", 20, 15, u"Hill", 2, {{kHillFlag, 300, 200, 0}});
    MatchRig rig(engine_, resources_, game_, &server_, &client_);
    ASSERT_TRUE(rig.Serve());
    game_->Options().SetServerTimeLimit(1);
    game_->Options().SetServerBalanced(false);
    ASSERT_NE(game_->CreateGameMode(u"levels/r_koh.lvl"), 0);
    ASSERT_TRUE(game_->LoadLevel(u"levels/r_koh.lvl"));
    auto* serverMode = dynamic_cast<KingOfTheHill*>(game_->GetGameMode());
    ASSERT_NE(serverMode, nullptr);
    serverMode->Start();
    MissionItemFlag* serverFlag = HillFlag();
    ASSERT_NE(serverFlag, nullptr);
    ASSERT_TRUE(rig.AddClients(u"levels/r_koh.lvl"));
    rig.onJoin = [&](Player* player, int n) { serverMode->SetPlayerTeam(player, n + 1, true, true); };
    Player* const* players = rig.players;
    auto run = [&](float seconds, const std::function<bool()>& done) { return rig.Run(seconds, done); };
    // True when every client's hill flag and mode pass the check.
    auto clientsSee = [&](const std::function<bool(MissionItemFlag*, KingOfTheHill*)>& check) {
        bool seen = true;
        rig.OnClients([&](MatchClient& c) {
            MissionItemFlag* flag = HillFlag();
            seen = seen && flag && check(flag, static_cast<KingOfTheHill*>(c.game->GetGameMode()));
        });
        return seen;
    };

    ASSERT_TRUE(run(10.0f, [&] { return players[1] != nullptr; }));
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
        return clientsSee([](MissionItemFlag* f, KingOfTheHill* m) {
            return f->GetTeam() == -1 && m->GetRoundWinner() == -1;
        });
    }));

    EXPECT_TRUE(run(50.0f, [&] { return rig.server.levelStarts == 1; }));
    for (MatchClient& c : rig.clients)
        EXPECT_TRUE(c.game->GetGameMode()->IsGameOver());
}

} // namespace StateTest
