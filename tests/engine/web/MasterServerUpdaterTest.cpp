#include "engine/web/MasterServerUpdater.h"
#include "engine/core/Engine.h"
#include "engine/files/FileManager.h"
#include "engine/web/Base64.h"
#include "engine/web/ScoreRecord.h"
#include "engine/web/ServerStatusFile.h"

#include "ScriptedServer.h"
#include "StandIn.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::u16string U(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Waits for a condition the updater thread brings about; the deadline only
// keeps a broken build from hanging.
template <typename F> bool WaitFor(F done)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace

TEST(ScoreRecord, LayoutScrambleAndBase64)
{
    ScoreRecord r;
    r.uid = 0x01020304;
    r.score = -2;
    r.fragsTotal = 70000;
    r.deaths = 70000; // cut to 16 bits
    r.suicides = -1;
    r.captures = 2;
    r.roundA = 3;
    r.roundB = 4;
    r.roundC = 5;
    r.objectivePoints = 6;
    uint8_t raw[ScoreRecord::kSize];
    r.Write(raw);
    const uint8_t want[ScoreRecord::kSize] = {4,    3,    2,    1, 0xFE, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00, 0x70,
                                              0x11, 0xFF, 0xFF, 2, 0,    3,    0,    4,    0,    5,    0,    6,    0};
    EXPECT_EQ(std::vector<uint8_t>(raw, raw + 26), std::vector<uint8_t>(want, want + 26));
    uint8_t scrambled[ScoreRecord::kSize];
    std::copy(raw, raw + 26, scrambled);
    ScoreRecord::Scramble(scrambled);
    for (size_t i = 0; i < ScoreRecord::kSize; ++i)
        EXPECT_NE(scrambled[i], raw[i]) << "byte " << i << " left as it was";
    ScoreRecord::Unscramble(scrambled);
    EXPECT_EQ(std::vector<uint8_t>(scrambled, scrambled + 26), std::vector<uint8_t>(raw, raw + 26));
    EXPECT_EQ(ScoreRecord::Read(raw).deaths, 70000 - 65536);

    std::string one = Util::Base64Encode(raw, 26);
    EXPECT_EQ(one.size(), 36u);
    EXPECT_EQ(one.substr(34), "A=");
    uint8_t two[52] = {};
    std::string both = Util::Base64Encode(two, 52);
    EXPECT_EQ(both.size(), 72u);
    EXPECT_EQ(both.substr(70), "==");
    EXPECT_EQ(Util::Base64Encode(reinterpret_cast<const uint8_t*>("foobar"), 6), "Zm9vYmFy");
    EXPECT_EQ(Util::Base64Encode(reinterpret_cast<const uint8_t*>("fo"), 2), "Zm8=");
}

TEST(MasterServerUpdater, ScoreIncrementIsComputedInFloat)
{
    struct Case {
        float weight;
        int points;
        int add;
    } cases[] = {{1.0f, 5, 5}, {0.2f, 1, 1}, {0.2f, 5, 1}, {0.6f, 5, 3},  {0.6f, 10, 6},
                 {0.7f, 3, 3}, {1.5f, 3, 5}, {0.2f, 0, 0}, {1.0f, -5, 0}, {1e10f, 1000, 2147483647}};
    for (const Case& c : cases)
        EXPECT_EQ(MasterServerUpdater::ScoreIncrement(c.weight, c.points), c.add) << c.weight << " x " << c.points;
}

TEST(MasterServerUpdater, StatusFileByteForByte)
{
    TestSupport::TempDir dir;
    FileManager files;
    MasterServerUpdater updater(&files);
    updater.SetHost(u"127.0.0.1:1"); // look-ups fail at once
    std::u16string path = U(dir.File("status.xml"));
    updater.SetStatusFilePath(path.c_str());
    updater.AddPlayer(1, u"Anna", "a");
    updater.AddPlayer(2, u"B<&>\"", "b");
    updater.QueueAnnouncement(u"My server", u"dm_x", 0, 27015, 2, 16);
    std::string want = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n<serverDesc>\n"
                       "\t<name>My server</name>\n\t<level>dm_x</level>\n\t<players>2</players>\n"
                       "\t<maxPlayers>16</maxPlayers>\n</serverDesc>\n<players>\n"
                       "\t<player>\n\t\t<name>Anna</name>\n\t</player>\n"
                       "\t<player>\n\t\t<name>B&lt;&amp;&gt;&quot;</name>\n\t</player>\n"
                       "</players>\n";
    std::vector<uint8_t> got = TestSupport::ReadAll(dir.File("status.xml"));
    EXPECT_EQ(std::string(got.begin(), got.end()), want);
    EXPECT_EQ(updater.GetAnnouncementsQueued(), 1);
}

TEST(MasterServerUpdater, StatusFileStopsListingPlayersAfter4000Units)
{
    std::vector<std::u16string> names(200, std::u16string(40, u'n'));
    std::string text = ServerStatusFile::BuildText(u"s", u"l", 200, 200, names);
    const size_t entry = 38 + 40;
    EXPECT_LT(text.size(), 4000 + entry);
    EXPECT_GE(text.size(), 4000u);
    EXPECT_EQ(text.find("</players>\n", text.size() - 12), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 10), "</player>\n");
}

class UpdaterStandIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        server_.reset(new StandIn({}, [](StandInState& s) {
            StandIn::AddAccount(s, "alice", "pw", "Alice", "uidA", 11, true, 100, 7, 3);
            StandIn::AddAccount(s, "bob", "pw", "Bob", "uidB", 12, true, 50, 1, 9);
        }));
        ASSERT_TRUE(server_->Running());
        updater_.SetHost(server_->Host().c_str());
    }

    // What the stand-in holds once the updater thread is done.
    std::vector<AcceptedScore> Scores()
    {
        EXPECT_TRUE(WaitFor([&] { return updater_.IsSettled(); }));
        return server_->State().Scores();
    }
    void Settle()
    {
        ASSERT_TRUE(WaitFor([&] { return updater_.IsSettled(); }));
    }

    std::unique_ptr<StandIn> server_;
    FileManager files_;
    MasterServerUpdater updater_{&files_};
};

TEST_F(UpdaterStandIn, ScoresCountFromTwoPlayersAndUploadDecoded)
{
    IPlayerScores* alice = updater_.AddPlayer(1, u"Alice", "uidA");
    Settle();
    EXPECT_EQ(alice->GetScore(), 100); // from the look-up
    EXPECT_EQ(alice->GetRank(), 3);
    alice->AddPoints(5);
    alice->AddKillStats(2, 2, 2);
    EXPECT_EQ(alice->GetPoints(), 0); // alone on the server

    IPlayerScores* bob = updater_.AddPlayer(2, u"Bob", "uidB");
    Settle();
    alice->AddPoints(5);
    alice->AddKillStats(2, 70000, 1);
    alice->AddCaptures(4);
    alice->AddRoundStats(1, 2, 3);
    alice->AddObjectivePoints(9);
    EXPECT_EQ(alice->GetPoints(), 5);
    EXPECT_EQ(alice->GetCaptures(), 4);

    updater_.SetScoreWeight(0.6f);
    updater_.FlushScores(true, 0);
    Settle();
    EXPECT_EQ(alice->GetScore(), 103); // ceil(0.6f x 5) in float is 3
    EXPECT_EQ(alice->GetPoints(), 0);
    EXPECT_EQ(bob->GetScore(), 50);

    auto scores = Scores();
    ASSERT_EQ(scores.size(), 1u); // bob had nothing pending
    const AcceptedScore& s = scores[0];
    EXPECT_EQ(s.id, 11);
    EXPECT_EQ(s.score, 103);
    EXPECT_EQ(s.frags, 9);
    EXPECT_EQ(s.deaths, 70000 - 65536);
    EXPECT_EQ(s.suicides, 1);
    EXPECT_EQ(s.captures, 4);
    EXPECT_EQ(s.a, 1);
    EXPECT_EQ(s.b, 2);
    EXPECT_EQ(s.c, 3);
    EXPECT_EQ(s.objective, 9);
    EXPECT_TRUE(server_->State().Rejections().empty());

    // Nothing pending: nothing more goes up.
    updater_.FlushScores(true, 0);
    EXPECT_EQ(Scores().size(), 1u);

    // Removing a player uploads what it still had.
    bob->AddPoints(10);
    updater_.SetScoreWeight(1.0f);
    updater_.RemovePlayer(2);
    EXPECT_EQ(updater_.GetPlayerCount(), 1);
    scores = Scores();
    ASSERT_EQ(scores.size(), 2u);
    EXPECT_EQ(scores[1].id, 12);
    EXPECT_EQ(scores[1].score, 60);
}

TEST_F(UpdaterStandIn, SameAccountAgainAndUnknownAccounts)
{
    IPlayerScores* first = updater_.AddPlayer(1, u"Alice", "uidA");
    updater_.AddPlayer(2, u"Bob", "uidB");
    IPlayerScores* stranger = updater_.AddPlayer(3, u"Who", "no&such=uid");
    Settle();
    first->AddPoints(10);
    stranger->AddPoints(10);
    updater_.SetScoreWeight(1.0f);

    // The account joins again: its old record uploads first and then stops.
    IPlayerScores* again = updater_.AddPlayer(4, u"Alice", "uidA");
    auto scores = Scores();
    ASSERT_EQ(scores.size(), 1u);
    EXPECT_EQ(scores[0].id, 11);
    EXPECT_EQ(scores[0].score, 110);
    EXPECT_EQ(static_cast<MasterServerUpdater::PlayerInfo*>(first)->GetUid(), 0);
    EXPECT_EQ(static_cast<MasterServerUpdater::PlayerInfo*>(again)->GetUid(), 11);
    EXPECT_EQ(static_cast<MasterServerUpdater::PlayerInfo*>(stranger)->GetUid(), 0);
    EXPECT_EQ(again->GetScore(), 110);

    first->AddPoints(5);
    updater_.ClearPlayers();
    EXPECT_EQ(updater_.GetPlayerCount(), 0);
    EXPECT_EQ(Scores().size(), 1u); // neither the old record nor the stranger uploads
    EXPECT_TRUE(server_->State().Rejections().empty());
}

TEST_F(UpdaterStandIn, ThreadSendsAnnouncementsAndIsJoined)
{
    updater_.SetServerPort(27015);
    ASSERT_TRUE(updater_.IsRunning());
    updater_.AddPlayer(1, u"Alice", "uidA");
    updater_.QueueAnnouncement(u"Server & co", u"ctf_x", 1, 27015, 1, 12);
    ASSERT_TRUE(WaitFor([&] { return updater_.GetAnnouncementsSent() == 1; }));
    auto servers = server_->State().Servers();
    ASSERT_EQ(servers.size(), 1u);
    EXPECT_EQ(servers[0].ip, "127.0.0.1");
    EXPECT_EQ(servers[0].port, 27015);
    EXPECT_EQ(servers[0].name, "Server & co");
    EXPECT_EQ(servers[0].level, "ctf_x");
    EXPECT_EQ(servers[0].mode, 1);
    EXPECT_EQ(servers[0].players, 1);
    EXPECT_EQ(servers[0].maxPlayers, 12);
    updater_.Stop();
    EXPECT_FALSE(updater_.IsRunning());
}

TEST(EngineHeartbeat, AnnouncesEverySixtySecondsAndAtOnceWhenForced)
{
    StandIn server;
    ASSERT_TRUE(server.Running());
    Engine* e = static_cast<Engine*>(GetEngine());
    MasterServerUpdater& updater = e->GetMasterServerUpdater();
    e->SetMasterServer(server.Host().c_str());

    updater.SetServerPort(0);
    int queued = updater.GetAnnouncementsQueued();
    e->ForceHeartbeat();
    e->MasterServerTick(0.01f, u"S", u"L", 0, 1, 8); // no server: nothing, but the sum restarts
    EXPECT_EQ(updater.GetAnnouncementsQueued(), queued);
    EXPECT_EQ(e->GetHeartbeatSum(), 0.0f);

    updater.SetServerPort(27999);
    int sent = updater.GetAnnouncementsSent();
    e->ForceHeartbeat();
    e->MasterServerTick(0.01f, u"S", u"L", 2, 3, 8);
    EXPECT_EQ(updater.GetAnnouncementsQueued(), queued + 1);
    ASSERT_TRUE(WaitFor([&] { return updater.GetAnnouncementsSent() == sent + 1; }));

    e->MasterServerTick(30.0f, u"S", u"L", 2, 3, 8);
    e->MasterServerTick(29.9f, u"S", u"L", 2, 3, 8);
    EXPECT_EQ(updater.GetAnnouncementsQueued(), queued + 1);
    e->MasterServerTick(0.1f, u"S", u"L", 2, 4, 8);
    EXPECT_EQ(updater.GetAnnouncementsQueued(), queued + 2);
    ASSERT_TRUE(WaitFor([&] { return updater.GetAnnouncementsSent() == sent + 2; }));

    e->ForceHeartbeat();
    e->MasterServerTick(0.0f, u"S", u"L", 2, 5, 8);
    EXPECT_EQ(updater.GetAnnouncementsQueued(), queued + 3);
    ASSERT_TRUE(WaitFor([&] { return updater.GetAnnouncementsSent() == sent + 3; }));

    auto servers = server.State().Servers();
    ASSERT_EQ(servers.size(), 1u);
    EXPECT_EQ(servers[0].port, 27999);
    EXPECT_EQ(servers[0].players, 5);
    EXPECT_EQ(servers[0].announcements, 3);

    updater.SetServerPort(0);
    e->SetMasterServer(nullptr);
}

TEST(MasterServerUpdater, JoinWaitsForNoLookUp)
{
    std::atomic<bool> answer{false};
    std::string reply = "<user><id>11</id><score>100</score><rank>4</rank></user>";
    ScriptedServer slow({"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(reply.size()) + "\r\n\r\n" + reply},
                        false, &answer);
    FileManager files;
    MasterServerUpdater updater(&files);
    updater.SetHost(U("127.0.0.1:" + std::to_string(slow.Port())).c_str());
    // The master server has not answered, yet the join and the game's score
    // calls go on.
    auto* p = static_cast<MasterServerUpdater::PlayerInfo*>(updater.AddPlayer(1, u"Alice", "uidA"));
    p->AddObjectivePoints(1);
    EXPECT_EQ(p->GetScore(), 0);
    EXPECT_FALSE(updater.IsSettled());
    answer = true;
    ASSERT_TRUE(WaitFor([&] { return updater.IsSettled(); }));
    EXPECT_EQ(p->GetUid(), 11);
    EXPECT_EQ(p->GetScore(), 100);
    EXPECT_EQ(p->GetRank(), 4);
    EXPECT_NE(slow.Request().find("/getuserid.php?uid=uidA "), std::string::npos);
}

// A login uid is the client's word: sent raw, "&uid=" in it would name
// another account to the look-up and bind its operator rights.
TEST_F(UpdaterStandIn, ClaimedUidCannotNameAnotherAccount)
{
    IPlayerScores* alice = updater_.AddPlayer(1, u"Alice", "uidA");
    IPlayerScores* mallory = updater_.AddPlayer(2, u"Mallory", "x&uid=uidA");
    Settle();
    EXPECT_GT(alice->GetAccountId(), 0);
    EXPECT_EQ(mallory->GetAccountId(), 0);
}

// A master server that trickles its reply (a byte every 200 ms, a minute in
// all) holds the shutdown a few seconds, not the minute.
TEST(MasterServerUpdater, StopBoundsTheWaitOnATricklingMasterServer)
{
    std::vector<std::string> pieces(300, "x");
    pieces.front() = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n";
    ScriptedServer trickler(pieces, false, nullptr, 200);
    FileManager files;
    MasterServerUpdater updater(&files);
    updater.SetHost(U("127.0.0.1:" + std::to_string(trickler.Port())).c_str());
    updater.SetServerPort(27015);
    updater.QueueAnnouncement(u"S", u"L", 0, 27015, 0, 8);
    ASSERT_TRUE(WaitFor([&] { return trickler.PiecesSent() >= 3; }));
    auto start = std::chrono::steady_clock::now();
    updater.Stop();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(ms.count(), MasterServerUpdater::kStopWaitMs + 2000);
    EXPECT_LT(trickler.PiecesSent(), 100);
}
