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

// Waits for the server's console while the players' output is read too.
bool ServerShows(MatchRig& rig, const std::string& text, int timeoutMs, std::vector<TestSupport::ChildProcess*> players)
{
    for (int waited = 0; waited < timeoutMs; waited += 200) {
        if (rig.Server().WaitFor(text, 200))
            return true;
        for (TestSupport::ChildProcess* p : players)
            p->Drain(0);
    }
    return false;
}

void LeaveAndQuit(MatchRig& rig, std::vector<TestSupport::ChildProcess*> players)
{
    for (TestSupport::ChildProcess* p : players) {
        p->Signal(SIGTERM);
        EXPECT_EQ(p->WaitExit(20000), 0) << p->Output();
        EXPECT_NE(p->Output().find("\nleft\n"), std::string::npos) << p->Output();
    }
    rig.Server().Type("quit\n");
    EXPECT_EQ(rig.Server().WaitExit(20000), 0) << rig.Server().Unread();
    EXPECT_NE(rig.Server().Output().find("Server closed."), std::string::npos) << rig.Server().Unread();
}

// One match of a mode on a cycle of two levels: a player with the levels
// and one without play it to its end and follow the server to the second.
void PlayRound(int mode, const std::string& prefix, bool toFragLimit)
{
    const std::string first = prefix + "_first.lvl", second = prefix + "_second.lvl";
    MatchRig rig(mode, {first, second}, {kAho, kBob});
    rig.SetOption("serverfraglimit", toFragLimit ? "1" : "50");
    rig.SetOption("serverteamfraglimit", toFragLimit ? "1" : "50");
    // In minutes: the shortest a match runs by the clock.
    rig.SetOption("servertimelimit", toFragLimit ? "5" : "1");
    ASSERT_TRUE(rig.StartServer()) << rig.Server().Output();
    TestSupport::ChildProcess& aho = rig.AddPlayer(kAho, 1, true);
    TestSupport::ChildProcess& bob = rig.AddPlayer(kBob, 2, false);
    for (TestSupport::ChildProcess* p : {&aho, &bob}) {
        ASSERT_TRUE(p->WaitFor("login ok\n", 20000)) << p->Output();
        ASSERT_TRUE(p->WaitFor("joined levels/" + first + "\n", 60000)) << p->Output();
    }
    // Bob had no levels: his copy came from the server, whole.
    EXPECT_EQ(TestSupport::ReadAll(rig.PlayerFile(1, "levels/" + first)),
              TestSupport::ReadAll(rig.PlayerFile(0, "levels/" + first)));

    TestSupport::ChildProcess& server = rig.Server();
    if (toFragLimit) {
        ASSERT_TRUE(ServerShows(rig, " killed ", 150000, {&aho, &bob}))
            << server.Output() << aho.Output() << bob.Output();
    }
    ASSERT_TRUE(ServerShows(rig, "Playing level levels/" + second + ".", 150000, {&aho, &bob})) << server.Output();
    for (TestSupport::ChildProcess* p : {&aho, &bob})
        ASSERT_TRUE(p->WaitFor("joined levels/" + second + "\n", 60000)) << p->Output();
    EXPECT_FALSE(TestSupport::ReadAll(rig.PlayerFile(1, "levels/" + second)).empty());
    // The level's end uploads the players' scores.
    EXPECT_TRUE(ScoresReached(rig.Master(), kAho.id));
    EXPECT_TRUE(ScoresReached(rig.Master(), kBob.id));
    LeaveAndQuit(rig, {&aho, &bob});
}

TEST(WholeMatch, TeamDeathmatchToTheFragLimitThenTheNextLevel) { PlayRound(0, "tdm", true); }

TEST(WholeMatch, CaptureTheFlagToTheTimeLimitThenTheNextLevel) { PlayRound(1, "ctf", false); }

TEST(WholeMatch, KingOfTheHillToTheTimeLimitThenTheNextLevel) { PlayRound(2, "koh", false); }

} // namespace
