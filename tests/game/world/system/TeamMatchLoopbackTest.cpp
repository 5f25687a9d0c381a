// A team deathmatch played to the frag limit through the real handlers: the
// clients, whose own time limit is not the server's, agree with it on the
// score and the end, and all move on to the next level of the map cycle.
#include "HandlerMatch.h"

namespace StateTest {

TEST_F(HandlerMatch, TeamMatchEndsAlikeOnServerAndClientsOverLoopback)
{
    WriteTestLevel("r_tdm.lvl", 20, 15, u"Duel", 0, {});
    WriteTestLevel("r_tdm2.lvl", 20, 15, u"Duel 2", 0, {});
    game_->Options().AddMapCycleLevel(0, u"levels/r_tdm.lvl");
    game_->Options().AddMapCycleLevel(0, u"levels/r_tdm2.lvl");
    ASSERT_NO_FATAL_FAILURE(Serve(0));
    auto clientMode = [&](int i) { return OnPeer<GameMod*>(i, [] { return Services().game->GetGameMode(); }); };

    // Each server player moves as its client asked on joining.
    EXPECT_TRUE(Server(0)->GetStateFlags() & Player::RelativeMoving);
    EXPECT_FALSE(Server(1)->GetStateFlags() & Player::RelativeMoving);

    // The first time messages arrive: the clients' clocks do not run out.
    Run(6.0f, [] { return false; });
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(clientMode(i)->IsWaitingForTime());
        EXPECT_FALSE(clientMode(i)->IsGameOver());
    }
    // Ten kills would have ended a client's match under its old default.
    for (int kill = 1; kill <= 12; ++kill) {
        KillBy(Server(1), Server(0));
        ASSERT_TRUE(Run(5.0f,
                        [&] {
                            return OnPeer<int>(0, [&] { return peers_[0].handler->GetTeamFrags(0); }) == kill &&
                                   OnPeer<int>(1, [&] { return peers_[1].handler->GetTeamFrags(0); }) == kill;
                        }))
            << "kill " << kill;
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(clientMode(i)->IsGameOver(), kill == 12) << "client " << i << " kill " << kill;
    }
    EXPECT_TRUE(game_->GetGameMode()->IsGameOver());
    EXPECT_EQ(handler_->GetTeamFrags(0), 12);

    // The result shows for a while, then the server's own update moves on.
    ASSERT_TRUE(Run(25.0f, [&] {
        return std::u16string(handler_->GetLevelPath()) == u"levels/r_tdm2.lvl" && Joined() &&
               std::u16string(peers_[0].handler->GetLevelPath()) == u"levels/r_tdm2.lvl" &&
               std::u16string(peers_[1].handler->GetLevelPath()) == u"levels/r_tdm2.lvl";
    }));
    EXPECT_FALSE(game_->GetGameMode()->IsGameOver());
    EXPECT_EQ(handler_->GetTopFrags(), 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(clientMode(i)->IsGameOver());
        EXPECT_EQ(clientMode(i)->GetReceivedFragLimit(), 12);
    }
}

} // namespace StateTest
