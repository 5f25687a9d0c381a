// Level checks and uploads as a client sees them on its stream.
#include "ServerFixture.h"

#include "engine/files/FileManager.h"

#include <algorithm>
#include <cstdio>

using namespace ServerTest;

namespace {

void Check(GamePacket& p, uint32_t value) { GameMessages::WriteLevelCheck(p, value); }

} // namespace

TEST_F(Serving, UploadGoesInChunksOnlyWithRoomAndEndsWithLevelReady)
{
    const std::u16string path = u"levels/abcdefghij.lvl"; // 21 units, 22 name bytes
    std::vector<uint8_t> level = TestSupport::PseudoRandomBytes(3000, 7);
    TestSupport::WriteAll(dir_.File("levels/abcdefghij.lvl"), level);
    Link link;
    ASSERT_TRUE(handler_->StartUpload(&link, path.c_str()));
    std::vector<Msg> first = Drain(&link);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].type, GameMessage::FileChunk);
    EXPECT_EQ(first[0].payload.size(), 1000u);
    EXPECT_EQ(first[0].U32(), 3000u);
    std::vector<uint8_t> got(first[0].payload.begin() + 4 + 22, first[0].payload.end());

    link.sendSpace = 4999;
    Frame();
    EXPECT_TRUE(Drain(&link).empty()) << "a chunk went out with under 5000 bytes free";
    link.sendSpace = 5000;
    std::vector<size_t> sizes;
    for (int frame = 0; frame < 6 && handler_->CountUploads() > 0; ++frame) {
        Frame();
        std::vector<Msg> m = Drain(&link);
        ASSERT_FALSE(m.empty());
        EXPECT_EQ(m[0].type, GameMessage::FileChunk);
        sizes.push_back(m[0].payload.size());
        got.insert(got.end(), m[0].payload.begin(), m[0].payload.end());
        EXPECT_EQ(m.size(), handler_->CountUploads() == 0 ? 2u : 1u);
    }
    EXPECT_EQ(sizes, (std::vector<size_t>{1000, 1000, 26}));
    EXPECT_EQ(got, level);
}

TEST_F(Serving, RepeatedChecksStartOneUpload)
{
    std::vector<uint8_t> level = WriteLevelFile("levels/a.lvl");
    Cycle({u"levels/a.lvl"});
    ASSERT_TRUE(handler_->StartLevel());
    Link* c = Connect();
    ASSERT_EQ(Drain(c).at(0).type, GameMessage::LevelStart);
    Check(packet_, 0);
    Deliver(c, packet_);
    Deliver(c, packet_);
    Deliver(c, packet_);
    c->sendSpace = 4999; // the upload stays at its first chunk
    Frame();
    EXPECT_EQ(handler_->CountUploads(), 1);
    std::vector<Msg> m = Drain(c);
    ASSERT_EQ(m.size(), 1u) << "each check read the level again";
    EXPECT_EQ(m[0].U32(), uint32_t(level.size()));
    // Starting it again replaces it: the client hears of one level ready.
    ASSERT_TRUE(handler_->StartUpload(c, u"levels/a.lvl"));
    c->sendSpace = 5000;
    for (int i = 0; i < 10 && handler_->CountUploads() > 0; ++i)
        Frame();
    std::vector<Msg> after = Drain(c);
    EXPECT_EQ(std::count_if(after.begin(), after.end(), [](const Msg& x) { return x.type == GameMessage::LevelReady; }),
              1);
}

TEST_F(Serving, AnUploadDiesWithItsConnectionAndNeverReachesTheNextInTheSlot)
{
    TestSupport::WriteAll(dir_.File("levels/big.lvl"), TestSupport::PseudoRandomBytes(20000, 3));
    WriteLevelFile("levels/a.lvl");
    Cycle({u"levels/a.lvl"});
    ASSERT_TRUE(handler_->StartLevel());
    Link* c = Connect();
    Drain(c);
    ASSERT_TRUE(handler_->StartUpload(c, u"levels/big.lvl"));
    c->state = MPAPI::IConnection::kTimedOut;
    Frame();
    EXPECT_EQ(handler_->CountUploads(), 0);
    EXPECT_EQ(handler_->CountConnections(), 0);
    // The engine hands the same connection object to the next client.
    c->state = MPAPI::IConnection::kConnected;
    Drain(c);
    server_->waiting.push_back(c);
    for (int i = 0; i < 25; ++i)
        Frame();
    std::vector<Msg> m = Drain(c);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].type, GameMessage::LevelStart);
}

TEST_F(Serving, ThePackagesCopyPlayedIsTheCopyUploaded)
{
    const std::vector<uint8_t> level = WriteLevelFile("levels/packed.lvl");
    {
        // Packed apart: the game's own files have not looked for a package yet.
        TestSupport::ScopedChdir in(dir_.Path());
        FileManager packer;
        packer.BeginPackage(1);
        packer.AddFileToPackage(u"levels/packed.lvl", 0);
        ASSERT_TRUE(packer.SavePackage(u"game.data", nullptr));
    }
    // The copy on disk is damaged; the package's is the one played.
    TestSupport::WriteAll(dir_.File("levels/packed.lvl"), std::vector<uint8_t>(level.begin(), level.begin() + 40));
    Cycle({u"levels/packed.lvl"});
    ASSERT_TRUE(handler_->StartLevel());
    Link* c = Connect();
    Drain(c);
    Check(packet_, 0);
    Deliver(c, packet_);
    Frame();
    std::vector<Msg> m = Drain(c);
    ASSERT_FALSE(m.empty());
    ASSERT_EQ(m[0].type, GameMessage::FileChunk);
    EXPECT_EQ(m[0].U32(), uint32_t(level.size()));
    const size_t data = 4 + std::string("levels/packed.lvl").size() + 1;
    ASSERT_GT(m[0].payload.size(), data);
    EXPECT_TRUE(std::equal(m[0].payload.begin() + long(data), m[0].payload.end(), level.begin()));
}

TEST_F(Serving, AMatchingCheckIsReadyAndAMismatchWithoutUploadingDisconnects)
{
    // Before any level a client is turned away.
    std::vector<std::u16string> lines;
    handler_->SetConsolePrinter([&](const std::u16string& l) { lines.push_back(l); });
    Link* early = Connect();
    EXPECT_EQ(early->state, MPAPI::IConnection::kClosed);
    EXPECT_TRUE(Drain(early).empty());
    EXPECT_EQ(lines, std::vector<std::u16string>{u"No level. Player dropped.\n"});
    EXPECT_EQ(handler_->CountConnections(), 0);

    std::vector<uint8_t> level = WriteLevelFile("levels/a.lvl");
    Cycle({u"levels/a.lvl"});
    game_->Options().SetServerLighting(2);
    ASSERT_TRUE(handler_->StartLevel());
    Link* good = Connect();
    Link* bad = Connect();
    Drain(good);
    Drain(bad);
    Check(packet_, uint32_t(LevelCheckValue(level.data(), level.size())));
    Deliver(good, packet_);
    game_->Options().SetServerUploading(false);
    Check(packet_, 0);
    Deliver(bad, packet_);
    Frame();
    std::vector<Msg> m = Drain(good);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].type, GameMessage::LevelReady);
    EXPECT_EQ(m[0].U32(), 2u);
    EXPECT_EQ(bad->state, MPAPI::IConnection::kClosed);
    EXPECT_TRUE(Drain(bad).empty());
}
