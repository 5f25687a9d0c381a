#include "engine/web/Base64.h"
#include "engine/web/HTTPConnection.h"
#include "engine/web/IServerInfo.h"
#include "engine/web/LoginParser.h"
#include "engine/web/MasterServices.h"
#include "engine/web/ScoreRecord.h"
#include "engine/web/ServerList.h"
#include "platform/net/TcpSocket.h"

#include "engine/web/StandIn.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

bool Announce(StandIn& s, const char16_t* name, int port)
{
    HTTPUtils::HTTPConnection c;
    c.AddParam(u"name", name);
    c.AddParam(u"level", u"dm_a");
    c.AddParam(u"gamemode", 0);
    c.AddParam(u"port", port);
    c.AddParam(u"players", 1);
    c.AddParam(u"maxplayers", 8);
    return c.Get(s.Url("/addserver.php").c_str(), true) && c.Succeeded();
}

// A game server's UDP port, held open while the object lives.
struct Listening {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    int port = 0;
    Listening()
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0)
            port = ntohs(a.sin_port);
    }
    ~Listening() { close(fd); }
};

std::vector<std::u16string> Listed(StandIn& s)
{
    std::vector<std::u16string> names;
    std::unique_ptr<ServerList> list(MasterServices::GetServerList(s.Host()));
    for (int i = 0; list && i < list->GetCount(); ++i)
        names.push_back(list->GetServer(i)->GetName());
    return names;
}

} // namespace

TEST(StandInService, IdleAndTricklingClientsBlockNoOne)
{
    StandIn s({"--add-account", "dave", "pw", "Dave", "uidD"});
    ASSERT_TRUE(s.Running());
    Net::TcpSocket idle, trickling;
    ASSERT_TRUE(idle.Connect("127.0.0.1", s.Port(), 2000));
    ASSERT_TRUE(trickling.Connect("127.0.0.1", s.Port(), 2000));
    std::atomic<bool> stop{false};
    std::thread trickle([&] {
        // A header that never ends, one byte at a time.
        while (!stop && trickling.SendAll("G", 1, 1000))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    for (int i = 0; i < 3; ++i) {
        HTTPUtils::HTTPConnection c;
        c.AddParam(u"username", u"dave");
        c.AddParam(u"password", u"pw");
        LoginParser reply;
        ASSERT_TRUE(MasterServices::FetchXml(c, s.Url("/login.php").c_str(), &reply)) << i;
        EXPECT_EQ(reply.GetStatus(), 1);
        EXPECT_EQ(std::u16string(reply.GetNick()), u"Dave");
    }
    stop = true;
    trickle.join();
}

TEST(StandInService, SilentAndQuitServersLeaveTheListAndTheFile)
{
    StandIn s({"--server-timeout", "180"});
    ASSERT_TRUE(s.Running());
    std::atomic<int64_t> now{1000000};
    s.Server().SetClock([&] { return now.load(); });
    auto steady = std::make_unique<Listening>();
    Listening gone;
    ASSERT_TRUE(Announce(s, u"Steady", steady->port));
    ASSERT_TRUE(Announce(s, u"Gone", gone.port));
    EXPECT_EQ(Listed(s), (std::vector<std::u16string>{u"Steady", u"Gone"}));
    for (int minute = 1; minute <= 3; ++minute) {
        now += 60;
        ASSERT_TRUE(Announce(s, u"Steady", steady->port));
    }
    EXPECT_EQ(Listed(s).size(), 2u); // three minutes of silence are still within the time
    now += 60;
    ASSERT_TRUE(Announce(s, u"Steady", steady->port));
    EXPECT_EQ(Listed(s), std::vector<std::u16string>{u"Steady"});
    StandInState reloaded(s.StatePath());
    ASSERT_TRUE(reloaded.Load());
    ASSERT_EQ(reloaded.Servers().size(), 1u);
    EXPECT_EQ(reloaded.Servers()[0].lastSeen, now.load());
    EXPECT_EQ(reloaded.Servers()[0].announcements, 5);

    // A server that quit has no port any more: it goes at the next look.
    steady.reset();
    EXPECT_TRUE(Listed(s).empty());
    StandInState after(s.StatePath());
    ASSERT_TRUE(after.Load());
    EXPECT_TRUE(after.Servers().empty());
}

TEST(StandInService, OneStaleRecordCostsOnlyItself)
{
    StandIn s({}, [](StandInState& st) {
        StandIn::AddAccount(st, "a", "pw", "A", "uidA", 11, true, 100, 10);
        StandIn::AddAccount(st, "b", "pw", "B", "uidB", 12, true, 500, 50);
    });
    ASSERT_TRUE(s.Running());
    std::vector<uint8_t> bytes;
    auto add = [&](int uid, int score, int frags) {
        ScoreRecord r;
        r.uid = uid;
        r.score = score;
        r.fragsTotal = frags;
        r.deaths = 2;
        uint8_t raw[ScoreRecord::kSize];
        r.Write(raw);
        ScoreRecord::Scramble(raw);
        bytes.insert(bytes.end(), raw, raw + ScoreRecord::kSize);
    };
    add(11, 105, 12);
    add(12, 400, 50); // older than what the account has
    add(99, 1, 1);    // no such account
    std::string text = Util::Base64Encode(bytes.data(), bytes.size());
    HTTPUtils::HTTPConnection c;
    ASSERT_TRUE(c.Post(s.Url("/updatescores.php").c_str(), int(text.size()), text.data()));
    EXPECT_TRUE(c.Succeeded());

    StandInState st = s.State();
    ASSERT_EQ(st.Scores().size(), 1u);
    EXPECT_EQ(st.Scores()[0].id, 11);
    EXPECT_EQ(st.FindId(11)->score, 105);
    EXPECT_EQ(st.FindId(11)->deaths, 2);
    EXPECT_EQ(st.FindId(12)->score, 500);
    EXPECT_EQ(st.Rejections().size(), 2u);
}

TEST(StandInService, AccountsFromTheCommandLine)
{
    StandInOptions o;
    std::string error;
    EXPECT_FALSE(ParseStandInArguments({"--state", "f", "--add-account", "u", "p", "n"}, &o, &error));
    EXPECT_FALSE(ParseStandInArguments({"--add-account", "u", "p", "n", "i"}, &o, &error)); // no state
    EXPECT_FALSE(ParseStandInArguments({"--state", "f", "--port", "70000"}, &o, &error));
    ASSERT_TRUE(
        ParseStandInArguments({"--state", "f", "--add-account", "u", "p", "n", "i", "--port", "5"}, &o, &error));
    ASSERT_EQ(o.accounts.size(), 1u);
    EXPECT_EQ(o.accounts[0].uid, "i");
    EXPECT_EQ(o.port, 5);

    TestSupport::TempDir dir;
    std::string path = dir.File("state.txt");
    for (const char* password : {"first", "second"}) {
        StandInState st(path);
        ASSERT_TRUE(ParseStandInArguments({"--state", path, "--add-account", "eve", password, "Eve", "uidE",
                                           "--add-account", "fay", "pw", "Fay", "uidF"},
                                          &o, &error));
        ASSERT_TRUE(PrepareStandInState(o, &st, &error)) << error;
    }
    StandInState st(path);
    ASSERT_TRUE(st.Load());
    ASSERT_EQ(st.Accounts().size(), 2u); // the second start changed, not doubled, them
    EXPECT_EQ(st.FindUser("eve")->password, "second");
    EXPECT_EQ(st.FindUid("uidF")->id, 2);
}

TEST(StandInService, StateFileKeepsItsModeAndLeavesNoTemporaryFile)
{
    StandIn s({"--add-account", "x\ty", "p\nw", "N%ck", "uidX"});
    ASSERT_TRUE(s.Running());
    ASSERT_EQ(::chmod(s.StatePath().c_str(), 0640), 0);
    ASSERT_TRUE(Announce(s, u"Kept", 27015));
    struct stat st;
    ASSERT_EQ(::stat(s.StatePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(s.Dir().Path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
    StandInState reloaded(s.StatePath());
    ASSERT_TRUE(reloaded.Load());
    EXPECT_EQ(reloaded.Text(), s.State().Text());
    ASSERT_NE(reloaded.FindUser("x\ty"), nullptr);
    EXPECT_EQ(reloaded.FindUser("x\ty")->password, "p\nw");
}
