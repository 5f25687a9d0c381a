#include "LoopbackPeer.h"
#include "LossyRelay.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

using MPAPI::IConnection;
using NetTest::LoopbackPeer;
using NetTest::LossProfile;
using NetTest::LossyRelay;

namespace {

// Generous guard against a hang; never a measure of speed.
constexpr auto kHangGuard = std::chrono::seconds(30);

// One direction of a byte-exact stream check: random-sized messages in,
// the same bytes out in order.
struct StreamCheck {
    std::vector<uint8_t> bytes;
    size_t sent = 0;
    size_t received = 0;
    bool intact = true;
    std::mt19937 rng;

    StreamCheck(size_t total, uint32_t seed) : bytes(TestSupport::PseudoRandomBytes(total, seed)), rng(seed) {}

    void Push(IConnection& c)
    {
        while (sent < bytes.size()) {
            size_t piece = std::min<size_t>(1 + rng() % 700, bytes.size() - sent);
            if (!c.Send(bytes.data() + sent, int(piece)))
                return;
            sent += piece;
        }
    }

    void Pull(IConnection& c)
    {
        uint8_t buffer[4096];
        int n;
        while ((n = std::min(c.GetReceivedSize(), int(sizeof buffer))) > 0) {
            ASSERT_EQ(c.Receive(buffer, n), n);
            if (received + size_t(n) > bytes.size() || std::memcmp(buffer, bytes.data() + received, size_t(n)) != 0)
                intact = false;
            received += size_t(n);
        }
    }

    bool Done() const { return received >= bytes.size(); }
};

// Runs the game side of both ends until both streams are through. dt is
// the frame time handed to the connections; frames run faster than that so
// that resends come quickly in wall time.
bool Exchange(LoopbackPeer& client, LoopbackPeer& server, StreamCheck& up, StreamCheck& down, float dt)
{
    auto deadline = std::chrono::steady_clock::now() + kHangGuard;
    while (!(up.Done() && down.Done()) && std::chrono::steady_clock::now() < deadline) {
        up.Push(client.connection);
        down.Push(server.connection);
        client.Update(dt);
        server.Update(dt);
        up.Pull(server.connection);
        down.Pull(client.connection);
        if (!up.intact || !down.intact)
            return false;
        Os::SleepMs(1);
    }
    return up.Done() && down.Done();
}

struct Pair {
    LoopbackPeer server{true};
    LoopbackPeer client{false};
    std::unique_ptr<LossyRelay> relay;

    bool Start(const LossProfile* profile = nullptr, uint32_t seed = 1, LossyRelay::Filter filter = nullptr)
    {
        if (!server.Listen(0))
            return false;
        int port = server.GetPort();
        if (profile) {
            relay.reset(new LossyRelay(port, *profile, seed, std::move(filter)));
            if (!relay->Ok())
                return false;
            port = relay->GetPort();
        }
        return client.Connect(u"127.0.0.1", port);
    }

    bool WaitServerConnected()
    {
        auto deadline = std::chrono::steady_clock::now() + kHangGuard;
        while (!server.connection.IsHandshakeDone() && std::chrono::steady_clock::now() < deadline) {
            client.Update(0.05f);
            Os::SleepMs(5);
        }
        return server.connection.IsHandshakeDone();
    }
};

TEST(Loopback, HandshakeThenStreamsAndClientStateBothWays)
{
    Pair p;
    ASSERT_TRUE(p.Start());
    EXPECT_EQ(p.client.reply, 1);
    ASSERT_TRUE(p.WaitServerConnected());
    EXPECT_EQ(p.client.connection.GetState(), IConnection::kConnected);
    EXPECT_EQ(p.server.connection.GetState(), IConnection::kConnected);

    // The object stream is asked for and acknowledged over the wire.
    ASSERT_TRUE(p.client.connection.SetStreaming(true));
    EXPECT_TRUE(p.client.connection.IsStreaming());
    EXPECT_TRUE(p.server.connection.IsStreaming());

    p.client.connection.SetClientFlags(0x55);
    p.client.connection.SetClientPosition(12.5f, -3.0f);
    p.client.connection.SetClientPoint(1.0f, 2.0f);
    StreamCheck up(20000, 11), down(20000, 12);
    ASSERT_TRUE(Exchange(p.client, p.server, up, down, 0.01f));
    EXPECT_TRUE(up.intact);
    EXPECT_TRUE(down.intact);
    EXPECT_EQ(p.server.connection.GetClientFlags(), 0x55);
    EXPECT_EQ(p.server.connection.GetClientX(), 12.5f);
    EXPECT_EQ(p.server.connection.GetClientY(), -3.0f);
    float u = 0, v = 0;
    p.server.connection.GetClientPoint(&u, &v);
    EXPECT_EQ(u, 1.0f);
    EXPECT_EQ(v, 2.0f);
    EXPECT_GT(p.server.connection.GetPacketsReceived(), 0);
    EXPECT_GT(p.client.connection.GetPacketsSent(), 0);

    ASSERT_TRUE(p.client.connection.SetStreaming(false));
    EXPECT_FALSE(p.server.connection.IsStreaming());
}

TEST(Loopback, ClosingOneEndClosesTheOther)
{
    Pair p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.WaitServerConnected());
    p.client.connection.Disconnect();
    EXPECT_EQ(p.client.connection.GetState(), IConnection::kClosed);
    auto deadline = std::chrono::steady_clock::now() + kHangGuard;
    while (p.server.connection.PeekState() != IConnection::kClosed && std::chrono::steady_clock::now() < deadline)
        Os::SleepMs(5);
    EXPECT_EQ(p.server.connection.GetState(), IConnection::kClosed);
    EXPECT_FALSE(p.server.connection.IsHandshakeDone());
}

TEST(Loopback, LostConfirmationDoesNotLeaveTheLinkDead)
{
    LossProfile none;
    Pair p;
    auto dropConfirm = [](const uint8_t* d, int n, bool toServer) {
        return toServer && n == 2 && d[0] == 0xB2 && d[1] == 0x39;
    };
    ASSERT_TRUE(p.Start(&none, 5, dropConfirm));
    StreamCheck up(3000, 21), down(3000, 22);
    ASSERT_TRUE(Exchange(p.client, p.server, up, down, 0.01f));
    EXPECT_TRUE(p.server.connection.IsHandshakeDone());
    EXPECT_EQ(p.relay->GetCounts(true).dropped, 1); // the confirmation, and only it
}

struct LossCase {
    const char* name;
    double loss;
};

class LossyLoopback : public ::testing::TestWithParam<LossCase> {};

// Byte-exact in both directions through loss, duplication and reordering,
// with every sequence starting just short of the wrap so that packets and
// chunks both run through it.
TEST_P(LossyLoopback, ReliableStreamArrivesIntactAcrossTheWrap)
{
    LossProfile profile;
    profile.loss = GetParam().loss;
    profile.duplicate = 0.05;
    profile.reorder = 0.05;
    profile.maxDelay = 3;
    Pair p;
    ASSERT_TRUE(p.Start(&profile, 7));
    ASSERT_TRUE(p.WaitServerConnected());
    {
        std::lock_guard<std::recursive_mutex> a(p.client.GetManagerMutex());
        std::lock_guard<std::recursive_mutex> b(p.server.GetManagerMutex());
        p.client.connection.StartSequencesAt(0xFFF0, 0xFFF8);
        p.server.connection.StartSequencesAt(0xFFF0, 0xFFF8);
    }
    StreamCheck up(200000, 31), down(200000, 32);
    ASSERT_TRUE(Exchange(p.client, p.server, up, down, 0.02f));
    EXPECT_TRUE(up.intact);
    EXPECT_TRUE(down.intact);
    LossyRelay::Counts toServer = p.relay->GetCounts(true);
    LossyRelay::Counts toClient = p.relay->GetCounts(false);
    EXPECT_GT(toServer.duplicated + toClient.duplicated, 0);
    EXPECT_GT(toServer.reordered + toClient.reordered, 0);
    if (profile.loss > 0) {
        EXPECT_GT(toServer.dropped + toClient.dropped, 0);
    }
    EXPECT_EQ(p.client.connection.GetState(), IConnection::kConnected);
}

INSTANTIATE_TEST_SUITE_P(Loss, LossyLoopback,
                         ::testing::Values(LossCase{"none", 0.0}, LossCase{"five", 0.05}, LossCase{"twenty", 0.20}),
                         [](const ::testing::TestParamInfo<LossCase>& i) { return std::string(i.param.name); });

} // namespace
