// A team deathmatch between a server and two client game states over UDP on
// loopback, played to the frag limit: the clients, whose own time limit is
// not the server's, agree with it on the score and the end. The handlers
// carry only joins, the player table and the mode's messages.
#include "MatchRig.h"

#include "game/world/GameMod.h"
#include "game/world/Player.h"

namespace StateTest {

TEST_F(GameState, TeamMatchEndsAlikeOnServerAndClientsOverLoopback)
{
    WriteTestLevel("r_tdm.lvl", 20, 15, u"Duel", 0, {});
    MatchRig rig(engine_, resources_, game_, &server_, &client_);
    ASSERT_TRUE(rig.Serve());
    game_->Options().SetServerTimeLimit(0);
    game_->Options().SetServerFragLimit(12);
    game_->Options().SetServerTeamFragLimit(0);
    game_->Options().SetServerBalanced(false);
    ASSERT_NE(game_->CreateGameMode(u"levels/r_tdm.lvl"), 0);
    ASSERT_TRUE(game_->LoadLevel(u"levels/r_tdm.lvl"));
    GameMod* serverMode = game_->GetGameMode();
    serverMode->Start();
    // The clients' own settings say 20 minutes.
    ASSERT_TRUE(rig.AddClients(u"levels/r_tdm.lvl", [](GameSystem* g) { g->Options().SetServerTimeLimit(20); }));
    rig.onJoin = [&](Player* player, int n) {
        rig.server.ChangeTeam(player, n + 1);
        rig.server.SendTable();
    };
    Player* const* players = rig.players;
    auto run = [&](float seconds, const std::function<bool()>& done) { return rig.Run(seconds, done); };

    ASSERT_TRUE(run(10.0f, [&] { return players[1] != nullptr; }));
    // The first time messages arrive: the clients' clocks do not run out.
    run(6.0f, [] { return false; });
    for (MatchClient& c : rig.clients) {
        EXPECT_FALSE(c.game->GetGameMode()->IsWaitingForTime());
        EXPECT_FALSE(c.game->GetGameMode()->IsGameOver());
    }
    // Ten kills would have ended a client's match under its old default.
    for (int kill = 1; kill <= 12; ++kill) {
        players[1]->TakeBulletDamage(1000, 0, players[0], 0, 0, false, -1);
        players[1]->ResetForSpawn();
        ASSERT_TRUE(run(5.0f, [&] {
            bool seen = true;
            rig.OnClients([&](MatchClient& c) { seen = seen && c.GetTeamFrags(0) == kill; });
            return seen;
        })) << "kill " << kill;
        for (MatchClient& c : rig.clients)
            EXPECT_EQ(c.game->GetGameMode()->IsGameOver(), kill == 12) << "kill " << kill;
    }
    EXPECT_TRUE(serverMode->IsGameOver());
    EXPECT_EQ(rig.server.GetTeamFrags(0), 12);
    EXPECT_TRUE(run(21.0f, [&] { return rig.server.levelStarts == 1; }));
}

} // namespace StateTest
