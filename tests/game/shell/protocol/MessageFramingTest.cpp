// Game messages over a real connection on loopback through a lossy relay:
// many small ones share a datagram, long ones span several, and each is read
// exactly once, in order, whole.
#include "../../../engine/net/LossyRelay.h"
#include "../../../engine/net/MpapiTestObjects.h"
#include "FakeRoster.h"
#include "game/world/net/GamePacket.h"

#include <gtest/gtest.h>

namespace {

using namespace NetTest;

struct Sent {
    uint16_t type;
    int length;
};

uint8_t PayloadByte(int message, int i) { return uint8_t(message * 7 + i); }

TEST(MessageFraming, CoalescedAndSplitUnderLossThenAnOverlongHeaderDisconnects)
{
    MPAPI::ServerManager server;
    ASSERT_TRUE(server.Listen(0));
    LossProfile profile;
    profile.loss = 0.15;
    profile.duplicate = 0.05;
    profile.reorder = 0.1;
    profile.maxDelay = 3;
    LossyRelay relay(server.GetPort(), profile, 19);
    ASSERT_TRUE(relay.Ok());
    Listener listener;
    MPAPI::ClientManager client;
    client.SetListener(&listener);
    MPAPI::IConnection* up = nullptr;
    for (int attempt = 0; attempt < 5 && !up; ++attempt)
        up = client.Connect(u"127.0.0.1", relay.GetPort(), nullptr);
    ASSERT_NE(up, nullptr);
    MPAPI::IConnection* down = nullptr;
    ASSERT_TRUE(Pump(server, {&client}, [&] { return (down = server.NextNewConnection()) != nullptr; }));

    const int lengths[] = {0, 1, 3, GamePacket::kMaxPayload, 17, 2, 500, GamePacket::kMaxPayload, 0, 64};
    std::vector<Sent> plan;
    for (int round = 0; round < 12; ++round)
        for (int n : lengths)
            plan.push_back({uint16_t(plan.size() + 1), n});

    RecordingHandler handler;
    size_t sent = 0, read = 0;
    bool ok = Pump(
        server, {&client},
        [&] {
            GamePacket out;
            while (sent < plan.size()) {
                out.Begin(plan[sent].type);
                for (int i = 0; i < plan[sent].length; ++i)
                    out.WriteByte(PayloadByte(int(sent), i));
                if (!out.Send(up))
                    break; // the stream is full: again next frame
                ++sent;
            }
            while (GamePacket* in = handler.ReceiveNext(down)) {
                EXPECT_LT(read, plan.size());
                if (read >= plan.size())
                    return true;
                EXPECT_EQ(in->GetType(), plan[read].type);
                EXPECT_EQ(in->GetLength(), plan[read].length);
                for (int i = 0; i < in->GetLength(); ++i)
                    if (in->GetPayload()[i] != PayloadByte(int(read), i)) {
                        ADD_FAILURE() << "message " << read << " byte " << i;
                        return true;
                    }
                ++read;
            }
            return read == plan.size();
        },
        20000);
    ASSERT_TRUE(ok) << read << " of " << plan.size();
    EXPECT_GT(relay.GetCounts(true).dropped, 0);
    EXPECT_EQ(down->GetState(), MPAPI::IConnection::kConnected);

    // A header announcing 1021 bytes: the peer is dropped at once, without
    // waiting for bytes that will never make sense.
    const uint8_t bogus[6] = {5, 0, 0xFD, 0x03, 1, 2};
    ASSERT_TRUE(up->Send(bogus, 6));
    ASSERT_TRUE(Pump(server, {&client}, [&] {
        EXPECT_EQ(handler.ReceiveNext(down), nullptr);
        return down->GetState() != MPAPI::IConnection::kConnected;
    }));
}

} // namespace
