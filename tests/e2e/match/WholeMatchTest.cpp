// Whole matches: the real dedicated server on the default data, the
// stand-in master, and headless players as processes of their own through
// lossy relays, one of them fetching the levels from the server. Each mode
// is played by its rules to its end: frags by bullets, a grenade and a mine,
// a flag carried home, a hill held for a round; the server and every
// client's scoreboard count them alike. Then the server moves on around its
// map cycle, the scores reach the master and everyone leaves cleanly.
#include "MatchRig.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <thread>

namespace {

const MatchRig::Account kAho{"aho", "Aho", 101};
const MatchRig::Account kBob{"bob", "Bob", 102};

using Players = std::vector<TestSupport::ChildProcess*>;

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

// Waits until the server's console has shown a line matching every
// pattern, reading the players' output meanwhile.
bool ServerShows(MatchRig& rig, const std::vector<std::string>& patterns, int timeoutMs, const Players& players)
{
    for (int waited = 0; waited < timeoutMs; waited += 200) {
        rig.Server().Drain(200);
        for (TestSupport::ChildProcess* p : players)
            p->Drain(0);
        bool all = true;
        for (const std::string& pattern : patterns)
            all = all && std::regex_search(rig.Server().Output(), std::regex(pattern));
        if (all)
            return true;
    }
    return false;
}

bool PlayerShows(TestSupport::ChildProcess& player, const std::string& text, int timeoutMs, MatchRig& rig,
                 const Players& others)
{
    for (int waited = 0; waited < timeoutMs; waited += 200) {
        if (player.WaitFor(text, 200))
            return true;
        rig.Server().Drain(0);
        for (TestSupport::ChildProcess* p : others)
            p->Drain(0);
    }
    return false;
}

// The team numbers of the player's scoreboard as it last printed them
// before the text.
std::string ScoreBefore(const TestSupport::ChildProcess& player, const std::string& text)
{
    const std::string& out = player.Output();
    const size_t end = out.find(text);
    const size_t at = out.rfind("\nscore ", end);
    return at == std::string::npos || end == std::string::npos ? ""
                                                               : out.substr(at + 7, out.find('\n', at + 1) - at - 7);
}

void LeaveAndQuit(MatchRig& rig, const Players& players)
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

// A match of a mode on a cycle of two levels: Aho, with the levels, plays
// the mode; Bob fetches them from the server and chases Aho or stands.
class Round {
public:
    Round(int mode, const std::string& prefix)
        : first(prefix + "_first.lvl"), second(prefix + "_second.lvl"), rig(mode, {first, second}, {kAho, kBob})
    {
    }

    void Join(const std::string& bobsRole)
    {
        ASSERT_TRUE(rig.StartServer()) << rig.Server().Output();
        aho = &rig.AddPlayer(kAho, 1, true, "--fight");
        bob = &rig.AddPlayer(kBob, 2, false, bobsRole);
        for (TestSupport::ChildProcess* p : {aho, bob}) {
            ASSERT_TRUE(p->WaitFor("login ok\n", 20000)) << p->Output();
            ASSERT_TRUE(p->WaitFor("joined levels/" + first + "\n", 60000)) << p->Output();
        }
        // Bob had no levels: his copy came from the server, whole.
        EXPECT_EQ(TestSupport::ReadAll(rig.PlayerFile(1, "levels/" + first)),
                  TestSupport::ReadAll(rig.PlayerFile(0, "levels/" + first)));
    }

    // The next level, the same scoreboard on both clients up to then (the
    // score given, when given), the scores at the master, and everybody
    // out. Returns the scoreboard.
    std::string Finish(const std::string& score)
    {
        EXPECT_TRUE(ServerShows(rig, {"Playing level levels/" + second + "\\."}, 150000, {aho, bob}))
            << rig.Server().Output();
        for (TestSupport::ChildProcess* p : {aho, bob}) {
            EXPECT_TRUE(p->WaitFor("joined levels/" + second + "\n", 60000)) << p->Output();
        }
        const std::string shown = ScoreBefore(*aho, "joined levels/" + second);
        EXPECT_EQ(ScoreBefore(*bob, "joined levels/" + second), shown) << aho->Output() << bob->Output();
        if (!score.empty()) {
            EXPECT_EQ(shown, score) << aho->Output();
        }
        EXPECT_FALSE(TestSupport::ReadAll(rig.PlayerFile(1, "levels/" + second)).empty());
        // The level's end uploads the players' scores.
        EXPECT_TRUE(ScoresReached(rig.Master(), kAho.id));
        EXPECT_TRUE(ScoresReached(rig.Master(), kBob.id));
        LeaveAndQuit(rig, {aho, bob});
        return shown;
    }

    std::string first, second;
    MatchRig rig;
    TestSupport::ChildProcess* aho = nullptr;
    TestSupport::ChildProcess* bob = nullptr;
};

// Aho kills Bob, who chases him without firing, three times: with a gun,
// with a grenade and with a mine he lays in Bob's way. The third frag is
// the limit.
TEST(WholeMatch, TeamDeathmatchByBulletGrenadeAndMineToTheFragLimit)
{
    Round round(0, "tdm");
    round.rig.SetOption("serverfraglimit", "3");
    round.rig.SetOption("serverteamfraglimit", "3");
    // Time for a mine to come back (two minutes) when both were laid in
    // vain, on a busy machine.
    round.rig.SetOption("servertimelimit", "10");
    ASSERT_NO_FATAL_FAILURE(round.Join("--chase"));
    EXPECT_TRUE(ServerShows(round.rig,
                            {"Aho killed Bob with (pistol|rifle|machine gun|shotgun)", "Aho killed Bob with grenade",
                             "Aho killed Bob with mine"},
                            540000, {round.aho, round.bob}))
        << round.rig.Server().Output() << round.aho->Output();
    round.Finish("3 0");
}

// Aho sets out from his own flag, takes the Russian one and carries it
// home; Bob stands at his start. Every capture was of a flag taken first.
TEST(WholeMatch, CaptureTheFlagCarriedHomeThenTheNextLevel)
{
    Round round(1, "ctf");
    round.rig.SetOption("serverfraglimit", "50");
    round.rig.SetOption("serverteamfraglimit", "50");
    round.rig.SetOption("servertimelimit", "2");
    ASSERT_NO_FATAL_FAILURE(round.Join(""));
    TestSupport::ChildProcess& server = round.rig.Server();
    ASSERT_TRUE(ServerShows(round.rig,
                            {"Player Aho has taken the Russian flag[^]*Player Aho captured the Russian flag"}, 120000,
                            {round.aho, round.bob}))
        << server.Output() << round.aho->Output();
    // Over at the minute, or now when that has passed.
    server.Type("timelimit 1\n");
    const std::string shown = round.Finish("");
    const int captures = server.Count("Player Aho captured the Russian flag");
    EXPECT_LE(captures, server.Count("Player Aho has taken the Russian flag"));
    EXPECT_EQ(shown, std::to_string(captures) + " 0");
}

// Aho takes the quarry's three hill flags one by one while Bob stands at
// his start: holding them all wins Finland a round.
TEST(WholeMatch, KingOfTheHillHeldForARoundThenTheNextLevel)
{
    Round round(2, "koh");
    round.rig.SetOption("servertimelimit", "2");
    ASSERT_NO_FATAL_FAILURE(round.Join(""));
    ASSERT_TRUE(PlayerShows(*round.bob, "\nscore 1 0\n", 120000, round.rig, {round.aho}))
        << round.rig.Server().Output() << round.aho->Output() << round.bob->Output();
    round.rig.Server().Drain(500);
    EXPECT_GE(round.rig.Server().Count("Player Aho captured a flag"), 3) << round.rig.Server().Output();
    round.rig.Server().Type("timelimit 1\n");
    const std::string shown = round.Finish("");
    EXPECT_EQ(shown.find(" 0"), shown.size() - 2) << shown;
    EXPECT_GE(std::atoi(shown.c_str()), 1) << shown;
}

} // namespace
