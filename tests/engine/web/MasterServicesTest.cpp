#include "engine/web/MasterServices.h"
#include "engine/core/Engine.h"
#include "engine/files/FileManager.h"
#include "engine/web/IDownloadListener.h"
#include "engine/web/IServerInfo.h"
#include "engine/web/IUpdateFile.h"
#include "engine/web/LoginParser.h"
#include "engine/web/ServerList.h"
#include "engine/web/ServerListParser.h"
#include "engine/web/UpdateParser.h"
#include "engine/xml/ReadXml.h"

#include "ScriptedServer.h"
#include "StandIn.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

std::u16string U(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// kind: the fuzz target's handler (0 login, 1 server list, 2 updates).
void Read(const std::u16string& text, nsParser::XMLInterface* handler, int kind)
{
    ReadXml(text.c_str(), int(text.size()), handler);
    std::string seed(1, char(0x80 | kind));
    for (char16_t c : text)
        seed.push_back(char(c));
    TestSupport::WriteFuzzSeed("web_reply", std::to_string(kind) + "-" + std::to_string(text.size()), seed.data(),
                               seed.size());
}

struct Progress : IDownloadListener {
    std::vector<int> totals;
    int stopAfter = -1;
    bool OnProgress(int bytesSoFar) override
    {
        totals.push_back(bytesSoFar);
        return stopAfter < 0 || int(totals.size()) < stopAfter;
    }
};

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

} // namespace

TEST(ReplyParsers, ServerListEntriesComeFromEndTags)
{
    struct Case {
        const char16_t* reply;
        int count;
    } cases[] = {
        {u"</server name=\"Alpha\" level=\"dm_one\" mode=2 ip=\"1.2.3.4\" port=27015 players=3 maxplayers=16>", 1},
        {u"<server name=\"Alpha\" level=\"dm_one\" mode=2 ip=\"1.2.3.4\" port=27015 players=3 maxplayers=16>", 0},
        {u"<servers></servers>", 1},
        {u"</server name=\"x\"", 0},
    };
    for (const Case& c : cases) {
        ServerList list;
        {
            ServerListParser parser(&list);
            Read(c.reply, &parser, 1);
        }
        ASSERT_EQ(list.GetCount(), c.count);
        EXPECT_EQ(list.GetServer(list.GetCount()), nullptr);
    }
    ServerList list;
    ServerListParser parser(&list);
    Read(cases[0].reply, &parser, 1);
    IServerInfo* s = list.GetServer(0);
    EXPECT_EQ(std::u16string(s->GetName()), u"Alpha");
    EXPECT_EQ(std::u16string(s->GetLevel()), u"dm_one");
    EXPECT_EQ(std::u16string(s->GetAddress()), u"1.2.3.4");
    EXPECT_EQ(s->GetGameMode(), 2);
    EXPECT_EQ(s->GetPort(), 27015);
    EXPECT_EQ(s->GetPlayers(), 3);
    EXPECT_EQ(s->GetMaxPlayers(), 16);
}

TEST(ReplyParsers, UpdateListAndLoginReply)
{
    Util::List<IUpdateFile> files;
    UpdateParser parser(&files);
    Read(u"<updates><updateFile><name>a</name><notes>n1</notes><version>3</version><fileUrl>http://h/a</fileUrl>"
         u"<fileSize>12345</fileSize></updateFile><updateFile><name>b</name><version>4</version></updateFile>"
         u"<name>stray</name></updates>",
         &parser, 2);
    ASSERT_EQ(files.GetCount(), 2);
    EXPECT_EQ(std::u16string(files[0]->GetName()), u"a");
    EXPECT_EQ(std::u16string(files[0]->GetNotes()), u"n1");
    EXPECT_EQ(files[0]->GetVersion(), 3);
    EXPECT_EQ(std::u16string(files[0]->GetFileUrl()), u"http://h/a");
    EXPECT_EQ(files[0]->GetFileSize(), 12345);
    EXPECT_EQ(std::u16string(files[1]->GetName()), u"b");
    EXPECT_EQ(std::u16string(files[1]->GetNotes()), u"");
    files.DeleteAll();

    LoginParser login;
    Read(u"<login><status>1</status></login>", &login, 0);
    EXPECT_EQ(login.GetStatus(), 1);
    EXPECT_FALSE(login.HasNick());
    EXPECT_FALSE(login.HasUid());
}

class StandInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server_.reset(new StandIn({"--add-account", "alice", "s3cret&#%", "Alice", "uidA"}, [](StandInState& s) {
            StandIn::AddAccount(s, "carol", "pw", "Carol", "uidC", 13, false);
            const char* names[] = {"First one", "Second", "Third"};
            const char* levels[] = {"dm_a", "ctf_b", "koh_c"};
            int players[] = {3, 0, 5}, maxPlayers[] = {16, 8, 5};
            for (int i = 0; i < 3; ++i) {
                AnnouncedServer& a = s.ServerAt("10.0.0." + std::to_string(i + 1), 27015 + i);
                a.name = names[i];
                a.level = levels[i];
                a.mode = i;
                a.players = players[i];
                a.maxPlayers = maxPlayers[i];
                a.lastSeen = int64_t(std::time(nullptr));
            }
        }));
        ASSERT_TRUE(server_->Running());
        engine_ = static_cast<Engine*>(GetEngine());
        engine_->SetMasterServer(server_->Host().c_str());
        MasterServices::SetUpdateHost(server_->Host().c_str());
    }
    void TearDown() override
    {
        engine_->SetMasterServer(nullptr);
        MasterServices::SetUpdateHost(nullptr);
    }

    std::unique_ptr<StandIn> server_;
    Engine* engine_ = nullptr;
};

TEST_F(StandInTest, LoginStatusesAndKeptStrings)
{
    int status = -1;
    ASSERT_TRUE(engine_->Login(u"alice", u"s3cret&#%", &status));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(std::u16string(engine_->GetLoginNick()), u"Alice");
    EXPECT_EQ(std::u16string(engine_->GetLoginUid()), u"uidA");

    // Wrong password and unknown or inactive accounts keep the earlier nick.
    struct Case {
        const char16_t* user;
        const char16_t* password;
        int status;
    } cases[] = {{u"alice", u"s3cret", 0}, {u"bob", u"x", 2}, {u"carol", u"pw", 2}};
    for (const Case& c : cases) {
        ASSERT_TRUE(engine_->Login(c.user, c.password, &status));
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(std::u16string(engine_->GetLoginNick()), u"Alice");
    }

    engine_->SetMasterServer(u"127.0.0.1:1");
    status = -1;
    EXPECT_FALSE(engine_->Login(u"alice", u"s3cret&#%", &status));
    EXPECT_EQ(status, 0);
}

TEST_F(StandInTest, ServerListOfSeveralServers)
{
    std::unique_ptr<IServerList> list(engine_->GetServerList());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetCount(), 3);
    const char16_t* names[] = {u"First one", u"Second", u"Third"};
    for (int i = 0; i < 3; ++i) {
        IServerInfo* s = list->GetServer(i);
        EXPECT_EQ(std::u16string(s->GetName()), names[i]);
        EXPECT_EQ(s->GetGameMode(), i);
        EXPECT_EQ(s->GetPort(), 27015 + i);
        EXPECT_EQ(std::u16string(s->GetAddress()), U("10.0.0." + std::to_string(i + 1)));
    }
    EXPECT_EQ(list->GetServer(1)->GetMaxPlayers(), 8);
    EXPECT_EQ(list->GetServer(2)->GetPlayers(), 5);
    EXPECT_EQ(list->GetServer(3), nullptr);

    engine_->SetMasterServer(u"127.0.0.1:1");
    EXPECT_EQ(engine_->GetServerList(), nullptr);
}

TEST_F(StandInTest, UpdateListIsRefetchedIntoTheSameList)
{
    std::u16string fileUrl = server_->Url("/files/p3.data");
    std::string xml = "<?xml version=\"1.0\"?>\n<updates>\n"
                      "<updateFile><name>Patch 3</name><notes>Fixes</notes><version>3</version>"
                      "<fileUrl>" +
                      std::string(fileUrl.begin(), fileUrl.end()) +
                      "</fileUrl><fileSize>12345</fileSize></updateFile>\n"
                      "<updateFile><name>Patch 4</name><version>4</version><fileSize>7</fileSize></updateFile>\n"
                      "</updates>\n";
    TestSupport::WriteAll(server_->FilesDir() + "/updates.xml", xml.data(), xml.size());
    for (int round = 0; round < 3; ++round) {
        Util::List<IUpdateFile>* list = engine_->CheckUpdates();
        ASSERT_EQ(list->GetCount(), 2) << round;
        EXPECT_EQ(std::u16string(list->Get(0)->GetName()), u"Patch 3");
        EXPECT_EQ(list->Get(0)->GetFileSize(), 12345);
        EXPECT_EQ(list->Get(1)->GetVersion(), 4);
        EXPECT_EQ(std::u16string(list->Get(0)->GetFileUrl()), fileUrl);
    }
    MasterServices::SetUpdateHost(u"127.0.0.1:1");
    EXPECT_EQ(engine_->CheckUpdates()->GetCount(), 0);
}

TEST_F(StandInTest, DownloadsReportProgressAndHonourCancel)
{
    std::vector<uint8_t> payload = TestSupport::PseudoRandomBytes(5000, 5);
    TestSupport::MakeDirs(server_->FilesDir() + "/files");
    TestSupport::WriteAll(server_->FilesDir() + "/files/p3.data", payload);
    TestSupport::TempDir out;
    std::u16string whole = U(out.File("whole.data"));

    Progress all;
    ASSERT_TRUE(engine_->DownloadFile(server_->Url("/files/p3.data").c_str(), whole.c_str(), &all));
    EXPECT_EQ(Bytes(TestSupport::ReadAll(out.File("whole.data"))), Bytes(payload));
    ASSERT_FALSE(all.totals.empty());
    EXPECT_EQ(all.totals.back(), 5000);
    for (size_t i = 0; i < all.totals.size(); ++i) {
        int step = all.totals[i] - (i ? all.totals[i - 1] : 0);
        EXPECT_GT(step, 0);
        EXPECT_LE(step, 1024);
    }

    Progress first;
    first.stopAfter = 1;
    std::u16string part = U(out.File("part.data"));
    ASSERT_TRUE(engine_->DownloadFile(server_->Url("/files/p3.data").c_str(), part.c_str(), &first));
    ASSERT_EQ(first.totals.size(), 1u);
    EXPECT_EQ(Bytes(TestSupport::ReadAll(out.File("part.data"))), Bytes(payload).substr(0, size_t(first.totals[0])));

    // A 404 page is no file: false, and what was at the path stays.
    TestSupport::WriteAll(out.File("kept.data"), "old", 3);
    std::u16string kept = U(out.File("kept.data"));
    EXPECT_FALSE(engine_->DownloadFile(server_->Url("/files/missing.data").c_str(), kept.c_str(), nullptr));
    EXPECT_EQ(Bytes(TestSupport::ReadAll(out.File("kept.data"))), "old");
}

TEST(Download, TruncatedOrChunkedReplies)
{
    FileManager files;
    TestSupport::TempDir out;
    std::u16string path = U(out.File("f.data"));

    ScriptedServer truncated({"HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n" + std::string(1000, 'x')});
    Progress p;
    EXPECT_FALSE(MasterServices::DownloadFile(&files, U(truncated.Url("/f")).c_str(), path.c_str(), &p));
    EXPECT_FALSE(p.totals.empty());
    EXPECT_TRUE(TestSupport::ReadAll(out.File("f.data")).empty()); // no partial file left

    ScriptedServer chunked(
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n", "2\r\nde\r\n0\r\n\r\n"});
    EXPECT_TRUE(MasterServices::DownloadFile(&files, U(chunked.Url("/f")).c_str(), path.c_str(), nullptr));
    EXPECT_EQ(Bytes(TestSupport::ReadAll(out.File("f.data"))), "abcde");

    ScriptedServer closeDelimited({"HTTP/1.0 200 OK\r\n\r\nwhole", " file"});
    EXPECT_TRUE(MasterServices::DownloadFile(&files, U(closeDelimited.Url("/f")).c_str(), path.c_str(), nullptr));
    EXPECT_EQ(Bytes(TestSupport::ReadAll(out.File("f.data"))), "whole file");
}

TEST(Download, StallsAndOversizedRepliesEndInTime)
{
    FileManager files;
    TestSupport::TempDir out;
    std::u16string path = U(out.File("f.data"));
    DownloadLimits limits;
    limits.headerMs = 300;
    limits.bodyIdleMs = 300;
    limits.maxBytes = 3000;

    // A header trickled a byte at a time, then a body of framing alone.
    std::string header = "HTTP/1.1 200 OK\r\n" + std::string(60, 'X') + ": y\r\nContent-Length: 1\r\n\r\nz";
    std::vector<std::string> bytes;
    for (char c : header)
        bytes.push_back(std::string(1, c));
    ScriptedServer trickle(bytes, false, nullptr, 20);
    Progress p;
    EXPECT_FALSE(MasterServices::DownloadFile(&files, U(trickle.Url("/f")).c_str(), path.c_str(), &p, limits));
    EXPECT_LT(trickle.PiecesSent(), int(bytes.size()) / 2);

    std::vector<std::string> trailers = {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n"};
    for (int i = 0; i < 100; ++i)
        trailers.push_back("X-Trailer: t\r\n");
    ScriptedServer framing(trailers, false, nullptr, 20);
    EXPECT_FALSE(MasterServices::DownloadFile(&files, U(framing.Url("/f")).c_str(), path.c_str(), &p, limits));
    EXPECT_LT(framing.PiecesSent(), 50);
    EXPECT_EQ(p.totals, std::vector<int>{3});
    EXPECT_FALSE(std::filesystem::exists(out.File("f.data")));

    // Too large, announced or not: no listener call, no file.
    ScriptedServer huge({"HTTP/1.1 200 OK\r\nContent-Length: 5000000000\r\n\r\n" + std::string(100, 'x')}, true);
    Progress none;
    EXPECT_FALSE(MasterServices::DownloadFile(&files, U(huge.Url("/f")).c_str(), path.c_str(), &none, limits));
    EXPECT_TRUE(none.totals.empty());
    ScriptedServer unannounced({"HTTP/1.0 200 OK\r\n\r\n", std::string(2000, 'x'), std::string(2000, 'y')});
    EXPECT_FALSE(MasterServices::DownloadFile(&files, U(unannounced.Url("/f")).c_str(), path.c_str(), &none, limits));
    for (int total : none.totals)
        EXPECT_LE(total, limits.maxBytes);
    EXPECT_FALSE(std::filesystem::exists(out.File("f.data")));
}
