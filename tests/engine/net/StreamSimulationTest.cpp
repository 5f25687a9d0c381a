#include "LossyChannel.h"
#include "TestConnection.h"
#include "engine/net/MpapiDatagram.h"
#include "engine/net/Sequence.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using MPAPI::MpapiDatagram;
using NetTest::LossProfile;
using NetTest::LossyChannel;
using NetTest::TestConnection;

namespace {

// Watches the chunk sequences one end sends and counts the laps of the ring.
struct WrapCounter {
    int wraps = 0;
    int last = 0;
    void See(const uint8_t* d, int n)
    {
        MpapiDatagram::DataHeader h;
        if (n < 2 || d[0] != 0x40 || !MpapiDatagram::ParseDataBody(d + 1, n - 1, &h) || h.chunkSequence == 0)
            return;
        if (last == 0) {
            last = h.chunkSequence;
            return;
        }
        // Resends of older chunks are behind and do not move the count.
        if (MPAPI::IsSequenceBehind(uint16_t(last), h.chunkSequence))
            return;
        if (h.chunkSequence < last)
            ++wraps;
        last = h.chunkSequence;
    }
};

// One direction: bytes from a seeded generator, sent a few at a time so
// that chunks stay small and the ring comes round often; the receiver
// checks each byte against the same generator.
struct Flow {
    std::mt19937 in, out, sizes;
    long sent = 0, received = 0;
    bool intact = true;
    explicit Flow(uint32_t seed) : in(seed), out(seed), sizes(seed + 99) {}

    void Push(TestConnection& c)
    {
        int n = 1 + int(sizes() % 12);
        uint8_t buf[16];
        if (c.GetSendSpace() < n)
            return;
        std::mt19937 probe = in;
        for (int i = 0; i < n; ++i)
            buf[i] = uint8_t(probe());
        if (c.Send(buf, n)) {
            in = probe;
            sent += n;
        }
    }

    void Pull(TestConnection& c)
    {
        uint8_t buf[2048];
        int n;
        while ((n = std::min(c.GetReceivedSize(), int(sizeof buf))) > 0) {
            c.Receive(buf, n);
            for (int i = 0; i < n; ++i)
                intact = intact && buf[i] == uint8_t(out());
            received += n;
        }
    }
};

struct SimCase {
    const char* name;
    double loss;
};

class StreamSimulation : public ::testing::TestWithParam<SimCase> {};

// Both connection ends in one thread over a seeded lossy path, through
// several laps of the packet and chunk sequence rings in each direction.
TEST_P(StreamSimulation, StreamStaysByteExactThroughSeveralWraps)
{
    LossProfile profile;
    profile.loss = GetParam().loss;
    profile.duplicate = 0.05;
    profile.reorder = 0.05;
    profile.maxDelay = 2;
    TestConnection client(false), server(true);
    LossyChannel up(profile, 101), down(profile, 202);
    WrapCounter upWraps, downWraps;
    long step = 0;
    client.sink = [&](const uint8_t* d, int n) {
        upWraps.See(d, n);
        up.Push(d, n, step);
    };
    server.sink = [&](const uint8_t* d, int n) {
        downWraps.See(d, n);
        down.Push(d, n, step);
    };
    client.OnConnected();
    server.OnConnected();
    client.StartSequencesAt(0xFFF0, 0xFFF0);
    server.StartSequencesAt(0xFFF0, 0xFFF0);

    const int kWraps = 3;
    Flow toServer(1), toClient(2);
    const long kStepGuard = 4000000;
    for (; step < kStepGuard; ++step) {
        bool sending = upWraps.wraps < kWraps || downWraps.wraps < kWraps;
        if (!sending && toServer.received == toServer.sent && toClient.received == toClient.sent)
            break;
        if (sending) {
            toServer.Push(client);
            toClient.Push(server);
        }
        client.Update(0.1f);
        server.Update(0.1f);
        up.DeliverDue(step, server);
        down.DeliverDue(step, client);
        toServer.Pull(server);
        toClient.Pull(client);
        ASSERT_TRUE(toServer.intact && toClient.intact) << "at step " << step;
    }
    EXPECT_GE(upWraps.wraps, kWraps);
    EXPECT_GE(downWraps.wraps, kWraps);
    EXPECT_EQ(toServer.received, toServer.sent);
    EXPECT_EQ(toClient.received, toClient.sent);
    EXPECT_TRUE(toServer.intact && toClient.intact);
    if (profile.loss > 0) {
        EXPECT_GT(up.dropped + down.dropped, 0);
    }
    EXPECT_GT(up.duplicated + down.duplicated, 0);
    EXPECT_GT(up.reordered + down.reordered, 0);
    EXPECT_EQ(client.GetState(), MPAPI::IConnection::kConnected);
    EXPECT_EQ(server.GetState(), MPAPI::IConnection::kConnected);
    RecordProperty("steps", int(step));
}

INSTANTIATE_TEST_SUITE_P(Loss, StreamSimulation,
                         ::testing::Values(SimCase{"none", 0.0}, SimCase{"five", 0.05}, SimCase{"twenty", 0.20}),
                         [](const ::testing::TestParamInfo<SimCase>& i) { return std::string(i.param.name); });

} // namespace
