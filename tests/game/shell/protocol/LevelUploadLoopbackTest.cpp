// A client without the level gets it from a serving game state over real
// connections on loopback: greeted, checked, uploaded in chunks, then told
// the level is ready.
#include "../../../engine/net/MpapiTestObjects.h"
#include "FakeRoster.h"
#include "game/shell/protocol/ServerFixture.h"

#include "engine/net/ServerManager.h"

using namespace ServerTest;

TEST_F(Serving, AClientWithoutTheLevelGetsItInChunksOverLoopback)
{
    std::vector<uint8_t> level = WriteLevelFile("levels/a.lvl");
    // Padding past the level's end: an upload of several chunks.
    std::vector<uint8_t> padding = TestSupport::PseudoRandomBytes(12000, 5);
    level.insert(level.end(), padding.begin(), padding.end());
    TestSupport::WriteAll(dir_.File("levels/a.lvl"), level);
    Cycle({u"levels/a.lvl"});
    ASSERT_TRUE(game_->StartServer(0));
    ASSERT_TRUE(handler_->StartLevel());
    auto* server = static_cast<MPAPI::ServerManager*>(handler_->GetServer());

    NetTest::Listener listener;
    MPAPI::ClientManager client;
    client.SetListener(&listener);
    MPAPI::IConnection* up = client.Connect(u"127.0.0.1", server->GetPort(), nullptr);
    ASSERT_NE(up, nullptr);

    RecordingHandler reader;
    std::u16string announced;
    std::vector<uint8_t> got;
    uint32_t total = 0;
    int chunks = 0, ready = 0;
    for (int frame = 0; frame < 3000 && !ready; ++frame) {
        Frame();
        client.Update(0.02f);
        while (GamePacket* p = reader.ReceiveNext(up)) {
            const uint8_t* data = nullptr;
            int size = 0;
            switch (GameMessage(p->GetType())) {
            case GameMessage::LevelStart:
                ASSERT_TRUE(GameMessages::ReadLevelStart(*p, &announced));
                GameMessages::WriteLevelCheck(packet_, 0);
                ASSERT_TRUE(packet_.Send(up));
                break;
            case GameMessage::FileChunk:
                ASSERT_LE(p->GetLength(), ServerHandler::kChunkBytes);
                if (chunks++ == 0) {
                    GameMessages::FirstChunk first;
                    ASSERT_TRUE(GameMessages::ReadFirstChunk(*p, &first));
                    EXPECT_EQ(first.name, announced);
                    total = first.total;
                    data = first.data, size = first.size;
                } else {
                    GameMessages::ReadChunk(*p, &data, &size);
                }
                got.insert(got.end(), data, data + size);
                break;
            case GameMessage::LevelReady:
                ++ready;
                break;
            default:
                ADD_FAILURE() << "unexpected message " << p->GetType();
            }
        }
        Os::SleepMs(1);
    }
    EXPECT_EQ(announced, u"levels/a.lvl");
    ASSERT_EQ(ready, 1);
    EXPECT_EQ(total, level.size());
    EXPECT_EQ(chunks, int(1 + (level.size() - (1000 - 4 - 13) + 999) / 1000));
    EXPECT_EQ(got, level);
    EXPECT_EQ(handler_->CountUploads(), 0);
}
