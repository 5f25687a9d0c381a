// A level larger than the stream window reaches a headless client whole
// through a relay that loses a tenth of the datagrams; the client then
// loads it, joins, and its scripted chat and team choice reach the server.
#include "../../../engine/net/LossyRelay.h"
#include "../../../engine/net/MpapiTestObjects.h"
#include "FakeRoster.h"
#include "HeadlessClient.h"
#include "engine/net/SendStream.h"
#include "game/world/net/GameMessage.h"
#include "game/world/player/Player.h"
#include "game/world/state/WorldServices.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace NetTest;

// The server's side of a join, as the catalogue orders it: level start,
// upload in 1000-byte messages while 5000 bytes of the stream are free,
// level ready, player id.
struct UploadingServer {
    MPAPI::ServerManager server;
    RecordingHandler reader;
    GamePacket out;
    MPAPI::IConnection* down = nullptr;
    std::vector<uint8_t> level;
    size_t sent = 0;
    bool uploading = false;
    std::vector<uint16_t> received;
    std::vector<std::vector<uint8_t>> payloads;

    void Step()
    {
        server.Update(0.02f);
        if (!down && (down = server.NextNewConnection()) != nullptr) {
            GameMessages::WriteLevelStart(out, u"levels/big.lvl");
            out.Send(down);
        }
        if (!down)
            return;
        while (GamePacket* in = reader.ReceiveNext(down)) {
            received.push_back(in->GetType());
            payloads.emplace_back(in->GetPayload(), in->GetPayload() + in->GetLength());
            if (in->GetType() == uint16_t(GameMessage::LevelCheck))
                uploading = true, sent = 0;
            if (in->GetType() == uint16_t(GameMessage::Join)) {
                GameMessages::WritePlayerId(out, 77);
                out.Send(down);
            }
        }
        while (uploading && down->GetSendSpace() >= 5000) {
            if (sent == 0) {
                GameMessages::WriteFirstChunk(out, uint32_t(level.size()), u"levels/big.lvl", level.data(),
                                              int(level.size()));
                sent = size_t(out.GetLength()) - 4 - 15;
            } else {
                size_t n = std::min<size_t>(1000, level.size() - sent);
                GameMessages::WriteChunk(out, level.data() + sent, int(n));
                sent += n;
            }
            out.Send(down);
            if (sent >= level.size()) {
                GameMessages::WriteLevelReady(out, 2);
                out.Send(down);
                uploading = false;
            }
        }
    }
};

TEST(LevelDownload, ALevelLargerThanTheStreamWindowArrivesWholeUnderLoss)
{
    TestSupport::TempDir dir;
    TestGame::HeadlessClient client(dir.File("game"));
    ASSERT_TRUE(client.Game().Ok());
    UploadingServer fake;
    fake.level = client.Game().MakeLevel("tdm_riotcity.lvl", 3 * MPAPI::SendStream::kCapacity, 5);
    ASSERT_GT(fake.level.size(), size_t(MPAPI::SendStream::kCapacity));
    ASSERT_TRUE(fake.server.Listen(0));
    LossProfile profile;
    profile.loss = 0.10;
    LossyRelay relay(fake.server.GetPort(), profile, 23);
    ASSERT_TRUE(relay.Ok());

    // The client's idle waits are where the server gets its frames.
    client.Handler().SetSleep([&](int) {
        fake.Step();
        Os::SleepMs(2);
    });
    ASSERT_TRUE(client.Join(u"127.0.0.1", relay.GetPort()));
    EXPECT_EQ(TestSupport::ReadAll(client.Game().File("levels/big.lvl")), fake.level);
    EXPECT_EQ(client.Handler().GetLocalPlayerId(), 77);
    EXPECT_EQ(Services().world->GetLighting(), 2);
    EXPECT_GT(relay.GetCounts(false).dropped, 0);

    using TestGame::ScriptStep;
    std::vector<ScriptStep> script(5);
    script[0].kind = ScriptStep::Move, script[0].moveFlags = PlayerInputFlags::Up, script[0].frames = 5;
    script[1].kind = ScriptStep::Fire;
    script[2].kind = ScriptStep::Chat, script[2].text = u"moi";
    script[3].kind = ScriptStep::Chat, script[3].text = u"hei", script[3].teamOnly = true;
    script[4].kind = ScriptStep::TeamChange, script[4].team = 2;
    client.SetScript(script);
    client.Throw(200);
    auto has = [&](GameMessage type) { return std::count(fake.received.begin(), fake.received.end(), uint16_t(type)); };
    for (int frame = 0; frame < 3000 && !(has(GameMessage::Chat) == 2 && has(GameMessage::TeamChange)); ++frame) {
        client.Frame(0.02f);
        fake.Step();
        Os::SleepMs(2);
    }
    EXPECT_TRUE(client.ScriptDone());
    ClientHandler& handler = client.Handler();
    // After the join: the wall state asked for, the throw, the lines and the team.
    std::vector<std::vector<uint8_t>> after;
    for (size_t i = 0; i < fake.received.size(); ++i)
        if (fake.received[i] != uint16_t(GameMessage::LevelCheck) && fake.received[i] != uint16_t(GameMessage::Join)) {
            after.push_back({uint8_t(fake.received[i])});
            after.back().insert(after.back().end(), fake.payloads[i].begin(), fake.payloads[i].end());
        }
    const std::vector<std::vector<uint8_t>> expected = {
        {12, 0, 0, 0, 0}, {16, 200}, {5, 0, 'm', 0, 'o', 0, 'i', 0}, {5, 1, 'h', 0, 'e', 0, 'i', 0}, {21, 2, 0, 0, 0}};
    EXPECT_EQ(after, expected);
    // The client's figures are its connection's (read again while the
    // network thread moves them on).
    MPAPI::IConnection* up = handler.GetClient()->GetConnection();
    // The rates are measured over two seconds of the connection's time.
    for (int frame = 0; frame < 3000 && up->GetBytesInPerSecond() == 0.0f; ++frame) {
        client.Frame(0.02f);
        fake.Step();
        Os::SleepMs(1);
    }
    auto same = [](auto ours, auto theirs) {
        for (int i = 0; i < 100; ++i)
            if (ours() == theirs())
                return true;
        return false;
    };
    EXPECT_TRUE(same([&] { return handler.GetPacketsSent(); }, [&] { return up->GetPacketsSent(); }));
    EXPECT_TRUE(same([&] { return handler.GetPacketsReceived(); }, [&] { return up->GetPacketsReceived(); }));
    EXPECT_TRUE(same([&] { return handler.GetPing(); }, [&] { return up->GetPing(); }));
    EXPECT_TRUE(same([&] { return handler.GetBytesInPerSecond(); }, [&] { return up->GetBytesInPerSecond(); }));
    EXPECT_TRUE(same([&] { return handler.GetBytesOutPerSecond(); }, [&] { return up->GetBytesOutPerSecond(); }));
    EXPECT_GT(handler.GetPacketsReceived(), 0);
    EXPECT_GT(handler.GetBytesInPerSecond(), 0.0f);
    EXPECT_EQ(handler.GetConnectionState(), MPAPI::IConnection::kConnected);

    // Leaving: the client disconnects, and the figures of no connection are naught.
    handler.Stop();
    EXPECT_EQ(up->GetState(), MPAPI::IConnection::kClosed);
    handler.SetClient(nullptr);
    EXPECT_EQ(handler.GetConnectionState(), MPAPI::IConnection::kClosed);
    EXPECT_EQ(handler.GetPacketsSent() + handler.GetPacketsReceived() + handler.GetPing(), 0);
    EXPECT_FALSE(handler.ProcessNetwork());
}

} // namespace
