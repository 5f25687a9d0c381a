// A level download is a file a stranger's server writes on the player's
// disk: hostile paths and chunk sequences must leave nothing outside
// "levels/", no partial file, and the old level as it was.
#include "HeadlessGame.h"
#include "MemoryClient.h"
#include "engine/core/StringKit.h"
#include "game/world/net/GameMessage.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/LoadingListener.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>

namespace {

using TestGame::HeadlessGame;
namespace fs = std::filesystem;

class Lines : public LoadingListener {
public:
    void ShowLoadingText(const char16_t* text, bool newLine) override
    {
        if (newLine || shown.empty())
            shown.emplace_back();
        shown.back() = text;
        history.emplace_back(text, newLine);
    }
    bool Has(const std::u16string& text) const { return std::find(shown.begin(), shown.end(), text) != shown.end(); }
    std::vector<std::u16string> shown;
    std::vector<std::pair<std::u16string, bool>> history;
};

class Download : public testing::Test {
protected:
    void SetUp() override
    {
        // With the shipped package, which holds levels of its own.
        TestSupport::MakeDirs(tmp_.File("game"));
        const std::string package = std::string(VORNHAL_BUILD_DIR) + "/game.data";
        ASSERT_EQ(symlink(package.c_str(), tmp_.File("game/game.data").c_str()), 0);
        game_ = std::make_unique<HeadlessGame>(tmp_.File("game"));
        ASSERT_TRUE(game_->Ok());
        handler().SetClient(&client_);
        game_->Game().SetLoadingListener(&lines_);
        game_->Game().SetActiveHandler(&handler());
    }
    ClientHandler& handler() { return game_->Handler(); }

    void TearDown() override
    {
        TestSupport::WriteFuzzSeed("client_handler", testing::UnitTest::GetInstance()->current_test_info()->name(),
                                   seed_);
    }

    void Queue(GamePacket& p)
    {
        p.SealHeader();
        conn_.inbound.insert(conn_.inbound.end(), p.GetBlock(), p.GetBlock() + p.GetLength() + 4);
        // Every stream the test sends, as one input of the client fuzz target.
        seed_.insert(seed_.end(), p.GetBlock(), p.GetBlock() + p.GetLength() + 4);
    }
    void LevelStart(const char16_t* path)
    {
        GameMessages::WriteLevelStart(packet_, path);
        Queue(packet_);
    }
    void First(uint32_t total, const char16_t* name, const std::vector<uint8_t>& data, size_t from, size_t n)
    {
        GameMessages::WriteFirstChunk(packet_, total, name, data.data() + from, int(n));
        Queue(packet_);
    }
    void Chunk(const std::vector<uint8_t>& data, size_t from, size_t n)
    {
        GameMessages::WriteChunk(packet_, data.data() + from, int(n));
        Queue(packet_);
    }
    // Sends a level the way the server does: 1000-byte messages.
    void Upload(const char16_t* name, const std::vector<uint8_t>& level)
    {
        GameMessages::WriteFirstChunk(packet_, uint32_t(level.size()), name, level.data(), int(level.size()));
        Queue(packet_);
        for (size_t at = size_t(packet_.GetLength()) - 5 - Util::StrLen(name); at < level.size(); at += 1000)
            Chunk(level, at, std::min<size_t>(1000, level.size() - at));
    }
    void Value(GameMessage type, uint32_t v)
    {
        GameMessages::WriteValue(packet_, type, v);
        Queue(packet_);
    }
    void Reconnect()
    {
        conn_.state = MPAPI::IConnection::kConnected;
        conn_.sent.clear();
        conn_.inbound.clear();
    }
    std::vector<uint16_t> SentTypes() const
    {
        std::vector<uint16_t> types;
        for (size_t at = 0; at + 4 <= conn_.sent.size(); at += 4 + (conn_.sent[at + 2] | conn_.sent[at + 3] << 8))
            types.push_back(uint16_t(conn_.sent[at] | conn_.sent[at + 1] << 8));
        return types;
    }
    // Every path under the temporary folder, the game folder's links left out.
    std::set<std::string> Listing() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(tmp_.Path()))
            if (!entry.is_symlink())
                names.insert(fs::relative(entry.path(), tmp_.Path()).string());
        return names;
    }
    std::string Old() { return tmp_.File("game/levels/old.lvl"); }

    TestSupport::TempDir tmp_;
    MemoryConnection conn_;
    MemoryClient client_{&conn_};
    Lines lines_;
    GamePacket packet_;
    std::unique_ptr<HeadlessGame> game_;
    std::vector<uint8_t> seed_;
};

TEST_F(Download, LevelPathsOutsideTheLevelsFolderAreRefused)
{
    const std::set<std::string> before = Listing();
    for (const char16_t* path : {u"../evil.lvl", u"/tmp/evil.lvl", u"levels/../evil.lvl", u"levels\\..\\evil.lvl",
                                 u"levels/sub/evil.lvl", u"levels/a\\b.lvl", u"levels/.x.lvl", u"levels/",
                                 u"C:\\evil.lvl", u"levels/c:evil.lvl"}) {
        Reconnect();
        LevelStart(path);
        First(3, u"../../evil.lvl", {1, 2, 3}, 0, 3);
        handler().ProcessNetwork();
        EXPECT_EQ(conn_.state, MPAPI::IConnection::kClosed) << Util::Narrow(path);
        EXPECT_TRUE(SentTypes().empty()) << Util::Narrow(path);
    }
    EXPECT_EQ(Listing(), before);
}

TEST_F(Download, OnlyTheWholeAnnouncedLevelTakesThePlaceOfTheOldOne)
{
    // A loadable old level: loading it would hide a cut-off download.
    const std::vector<uint8_t> old = HeadlessGame::ShippedLevel("koh_quarry.lvl");
    TestSupport::WriteAll(Old(), old);
    const std::set<std::string> before = Listing();
    const std::vector<uint8_t> level = TestSupport::PseudoRandomBytes(3000, 7);
    auto oldIntact = [&](const char* why) {
        EXPECT_EQ(TestSupport::ReadAll(Old()), old) << why;
        EXPECT_EQ(Listing(), before) << why;
    };
    // Cut off mid-download, aborted, ended early, or longer than announced.
    Reconnect();
    LevelStart(u"levels/old.lvl");
    First(3000, u"../../evil.lvl", level, 0, 975);
    handler().ProcessNetwork();
    EXPECT_EQ(handler().GetDownload().GetWritten(), 975u);
    conn_.state = MPAPI::IConnection::kTimedOut;
    handler().ProcessNetwork();
    oldIntact("connection lost");
    Value(GameMessage::LevelReady, 0);
    handler().ProcessNetwork();
    EXPECT_FALSE(handler().IsLevelLoaded());

    Reconnect();
    LevelStart(u"levels/old.lvl");
    First(3000, u"old.lvl", level, 0, 975);
    Value(GameMessage::DownloadAbort, 0);
    handler().ProcessNetwork();
    oldIntact("aborted");

    for (int overlong = 0; overlong < 2; ++overlong) {
        Reconnect();
        LevelStart(u"levels/old.lvl");
        First(overlong ? 900 : 3000, u"old.lvl", level, 0, 975);
        Chunk(level, 975, 25);
        Chunk(level, 1000, 1000);
        Value(GameMessage::LevelReady, 0);
        handler().ProcessNetwork();
        oldIntact(overlong ? "past the total" : "short");
        EXPECT_EQ(conn_.state, MPAPI::IConnection::kClosed);
        EXPECT_TRUE(lines_.Has(u"Level levels/old.lvl is not same than on server."));
        EXPECT_EQ(SentTypes(), std::vector<uint16_t>({22}));
    }

    // 975, 1000, 1000 and 25 bytes: whole after the fourth.
    Reconnect();
    LevelStart(u"levels/old.lvl");
    First(3000, u"old.lvl", level, 0, 975);
    Chunk(level, 975, 1000);
    Chunk(level, 1975, 1000);
    handler().ProcessNetwork();
    EXPECT_EQ(handler().GetDownload().Percent(), 99);
    Chunk(level, 2975, 25);
    handler().ProcessNetwork();
    EXPECT_EQ(TestSupport::ReadAll(Old()), level);
    EXPECT_EQ(Listing(), before);
}

TEST_F(Download, AHugeTotalOrAFailedCreateNeverLetsAChunkNameAFile)
{
    TestSupport::MakeDirs(tmp_.File("game/levels/blocked.lvl"));
    const std::set<std::string> before = Listing();
    const std::vector<uint8_t> bytes = TestSupport::PseudoRandomBytes(1000, 3);
    for (const char16_t* path : {u"levels/huge.lvl", u"levels/blocked.lvl"}) {
        Reconnect();
        LevelStart(path);
        First(path[7] == u'h' ? 0xFFFFFFFFu : 10u, u"x.lvl", bytes, 0, 10);
        // Laid out as a first chunk naming another file.
        First(10, u"../pwn.lvl", bytes, 0, 10);
        First(10, u"levels/pwn.lvl", bytes, 0, 10);
        Chunk(bytes, 0, 1000);
        Value(GameMessage::LevelReady, 0);
        handler().ProcessNetwork();
        EXPECT_EQ(Listing(), before) << Util::Narrow(path);
        EXPECT_EQ(conn_.state, MPAPI::IConnection::kClosed);
        EXPECT_FALSE(handler().IsLevelLoaded());
    }
}

TEST_F(Download, ALevelWithANonAsciiNameIsFetchedLoadedAndJoined)
{
    const std::vector<uint8_t> level = HeadlessGame::ShippedLevel("koh_quarry.lvl");
    ASSERT_GT(level.size(), 2000u);
    LevelStart(u"levels/J\u00e4rvi.lvl");
    Upload(u"levels/J\u00e4rvi.lvl", level);
    Value(GameMessage::LevelReady, 1);
    Value(GameMessage::PlayerId, 5);
    EXPECT_TRUE(handler().WaitForLevel());
    EXPECT_EQ(TestSupport::ReadAll(tmp_.File("game/levels/J\xc3\xa4rvi.lvl")), level);
    EXPECT_EQ(SentTypes(), std::vector<uint16_t>({22, 2, 12}));
    EXPECT_EQ(handler().GetLocalPlayerId(), 5);
    EXPECT_EQ(Services().world->GetLighting(), 1);
}

TEST_F(Download, ProgressIsShownOnOneLineAsTheWaitSeesEachChunk)
{
    LevelStart(u"levels/abcdefghi.lvl");
    Upload(u"levels/abcdefghi.lvl", TestSupport::PseudoRandomBytes(3000, 4));
    Value(GameMessage::LevelReady, 0);
    // One message per idle wait.
    std::vector<uint8_t> stream;
    stream.swap(conn_.inbound);
    size_t at = 0;
    handler().SetSleep([&](int) {
        if (at + 4 > stream.size())
            return;
        size_t n = 4 + size_t(stream[at + 2] | stream[at + 3] << 8);
        conn_.inbound.insert(conn_.inbound.end(), stream.begin() + long(at), stream.begin() + long(at + n));
        at += n;
    });
    EXPECT_FALSE(handler().WaitForLevel());
    std::vector<std::pair<std::u16string, bool>> progress;
    for (const auto& line : lines_.history)
        if (line.first.rfind(u"Downloading", 0) == 0)
            progress.push_back(line);
    const std::vector<std::pair<std::u16string, bool>> expected = {
        {u"Downloading levels/abcdefghi.lvl: 32%", true},
        {u"Downloading levels/abcdefghi.lvl: 65%", false},
        {u"Downloading levels/abcdefghi.lvl: 99%", false}};
    EXPECT_EQ(progress, expected);
}

TEST_F(Download, AFetchedLevelIsLoadedFromDiskNotFromThePackageCopy)
{
    LevelStart(u"levels/tdm_riotcity.lvl");
    Upload(u"levels/tdm_riotcity.lvl", HeadlessGame::ShippedLevel("koh_quarry.lvl"));
    Value(GameMessage::LevelReady, 0);
    Value(GameMessage::PlayerId, 5);
    EXPECT_TRUE(handler().WaitForLevel());
    EXPECT_EQ(game_->Game().GetLevelGameMode(), 2);
}

TEST_F(Download, ALevelThatFailsToLoadDisconnectsWithAMessage)
{
    LevelStart(u"levels/junk.lvl");
    Upload(u"levels/junk.lvl", TestSupport::PseudoRandomBytes(500, 9));
    Value(GameMessage::LevelReady, 0);
    Value(GameMessage::PlayerId, 5);
    EXPECT_FALSE(handler().WaitForLevel());
    EXPECT_TRUE(lines_.Has(u"Level levels/junk.lvl not found"));
    EXPECT_EQ(conn_.state, MPAPI::IConnection::kClosed);
    EXPECT_EQ(SentTypes(), std::vector<uint16_t>({22}));
}

TEST_F(Download, WaitingGivesUpOnAServerThatOnlyChatsAndOnALostConnection)
{
    double now = 0.0;
    handler().SetClock([&] { return now; });
    handler().SetSleep([&](int ms) {
        now += ms / 1000.0;
        if (now < 100.0) {
            GameMessages::WriteNotice(packet_, u"still here");
            Queue(packet_);
        }
    });
    EXPECT_FALSE(handler().WaitForLevel());
    EXPECT_GE(now, ClientHandler::kLevelWaitSeconds);
    EXPECT_LT(now, ClientHandler::kLevelWaitSeconds + 1.0);
    EXPECT_EQ(conn_.state, MPAPI::IConnection::kClosed);
    EXPECT_TRUE(lines_.Has(u"Dropped"));

    Reconnect();
    now = 0.0;
    LevelStart(u"levels/quiet.lvl");
    First(3000, u"quiet.lvl", TestSupport::PseudoRandomBytes(975, 1), 0, 975);
    handler().ProcessNetwork();
    ASSERT_TRUE(handler().GetDownload().IsOpen());
    conn_.state = MPAPI::IConnection::kClosed;
    EXPECT_FALSE(handler().WaitForLevel());
    EXPECT_LT(now, 1.0);
    EXPECT_TRUE(lines_.Has(u"Disconnected"));
    EXPECT_FALSE(fs::exists(tmp_.File("game/levels/quiet.lvl")));
}

} // namespace
