// Whole matches: the real dedicated server on the default data, the
// stand-in master, and headless players as processes of their own through
// lossy relays, one of them fetching the levels from the server. They play
// each mode to its end, the server moves on around its map cycle, the
// scores reach the master and everyone leaves cleanly.
#include "MatchRig.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace {

const MatchRig::Account kAho{"aho", "Aho", 101};
const MatchRig::Account kBob{"bob", "Bob", 102};

bool ScoresReached(StandIn& master, int id)
{
    for (int i = 0; i < 100; ++i) {
        StandInState state = master.State();
        for (const AcceptedScore& s : state.Scores())
            if (s.id == id)
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void LeaveAndQuit(MatchRig& rig, std::vector<TestGame::ChildProcess*> players)
{
    for (TestGame::ChildProcess* p : players) {
        p->Signal(SIGTERM);
        EXPECT_EQ(p->WaitExit(20000), 0) << p->Output();
        EXPECT_NE(p->Output().find("\nleft\n"), std::string::npos) << p->Output();
    }
    rig.Server().Type("quit\n");
    EXPECT_EQ(rig.Server().WaitExit(20000), 0) << rig.Server().Unread();
    EXPECT_NE(rig.Server().Output().find("Server closed."), std::string::npos) << rig.Server().Unread();
}

TEST(WholeMatch, TeamDeathmatchToTheFragLimitThenTheNextLevel)
{
    MatchRig rig(0, {"tdm_first.lvl", "tdm_second.lvl"}, {kAho, kBob});
    rig.SetOption("serverfraglimit", "1");
    rig.SetOption("serverteamfraglimit", "1");
    rig.SetOption("servertimelimit", "5");
    ASSERT_TRUE(rig.StartServer()) << rig.Server().Output();
    TestGame::ChildProcess& aho = rig.AddPlayer(kAho, 1, true);
    TestGame::ChildProcess& bob = rig.AddPlayer(kBob, 2, false);
    for (TestGame::ChildProcess* p : {&aho, &bob}) {
        ASSERT_TRUE(p->WaitFor("login ok\n", 20000)) << p->Output();
        ASSERT_TRUE(p->WaitFor("joined levels/tdm_first.lvl\n", 60000)) << p->Output();
    }
    // Bob had no levels: his copy came from the server, whole.
    EXPECT_EQ(TestSupport::ReadAll(rig.PlayerFile(1, "levels/tdm_first.lvl")),
              TestSupport::ReadAll(rig.PlayerFile(0, "levels/tdm_first.lvl")));

    TestGame::ChildProcess& server = rig.Server();
    ASSERT_TRUE(server.WaitFor(" killed ", 150000)) << server.Output();
    ASSERT_TRUE(server.WaitFor("Playing level levels/tdm_second.lvl.", 150000)) << server.Output();
    for (TestGame::ChildProcess* p : {&aho, &bob})
        ASSERT_TRUE(p->WaitFor("joined levels/tdm_second.lvl\n", 60000)) << p->Output();
    EXPECT_FALSE(TestSupport::ReadAll(rig.PlayerFile(1, "levels/tdm_second.lvl")).empty());
    EXPECT_TRUE(ScoresReached(rig.Master(), kAho.id) || ScoresReached(rig.Master(), kBob.id));
    LeaveAndQuit(rig, {&aho, &bob});
}

} // namespace
