#include "engine/net/ClientSocket.h"
#include "engine/net/MultiplayerManager.h"
#include "engine/net/ServerSocket.h"
#include "platform/os/Os.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using MPAPI::ClientSocket;
using MPAPI::ServerSocket;

namespace {

uint32_t Loopback() { return htonl(0x7F000001u); }

TEST(Socket, ClientAndServerExchangeDatagramsOnLoopback)
{
    ServerSocket server;
    ASSERT_TRUE(server.Open(0));
    int port = server.GetLocalPort();
    ASSERT_NE(port, 0);
    ClientSocket client;
    ASSERT_TRUE(client.Open(u"127.0.0.1", port));
    EXPECT_EQ(client.GetServerAddress(), Loopback());
    EXPECT_EQ(client.GetServerPort(), port);

    EXPECT_TRUE(client.Send("ping", 4));
    EXPECT_EQ(client.GetBytesSent(), 4);
    uint8_t buffer[1400];
    uint32_t ip = 0;
    int from = 0;
    ASSERT_EQ(server.Receive(buffer, sizeof buffer, &ip, &from), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "ping");
    EXPECT_EQ(ip, Loopback());
    EXPECT_EQ(from, client.GetLocalPort());
    EXPECT_EQ(server.GetLastAddress(), ip);
    EXPECT_EQ(server.GetLastPort(), from);
    EXPECT_EQ(server.GetBytesReceived(), 4);

    EXPECT_FALSE(server.Send("x", 1)); // a server only answers
    EXPECT_EQ(server.SendTo("pong!", 5, ip, from), 5);
    EXPECT_EQ(server.GetBytesSent(), 5);
    ASSERT_EQ(client.Receive(buffer, sizeof buffer, &ip, &from), 5);
    EXPECT_EQ(from, port);
}

// A batch keeps its order past the point where it must flush, and one
// datagram the system refuses (port 0) does not take the rest with it.
TEST(Socket, ABatchArrivesWholeAndInOrder)
{
    ServerSocket sender, receiver;
    ASSERT_TRUE(sender.Open(0) && receiver.Open(0));
    sender.BeginBatch();
    for (int i = 0; i < 150; ++i) {
        uint8_t d[2] = {uint8_t(i), uint8_t(i >> 8)};
        EXPECT_EQ(sender.SendTo(d, 2, Loopback(), i == 70 ? 0 : receiver.GetLocalPort()), 2);
    }
    sender.EndBatch();
    uint8_t buffer[1400];
    std::vector<int> got;
    while (got.size() < 149 && receiver.Receive(buffer, sizeof buffer, nullptr, nullptr) == 2)
        got.push_back(buffer[0] | buffer[1] << 8);
    ASSERT_EQ(got.size(), 149u);
    for (int i = 0; i < 149; ++i)
        EXPECT_EQ(got[size_t(i)], i < 70 ? i : i + 1);
}

TEST(Socket, OversizeAndEmptyDatagramsAreDropped)
{
    ServerSocket server;
    ASSERT_TRUE(server.Open(0));
    ClientSocket client;
    ASSERT_TRUE(client.Open(u"localhost", server.GetLocalPort()));
    std::vector<uint8_t> big(1500, 0xAB);
    client.Send(big.data(), int(big.size()));
    client.Send("", 0);
    client.Send("ok", 2);
    uint8_t buffer[1400];
    uint32_t ip;
    int port;
    EXPECT_EQ(server.Receive(buffer, sizeof buffer, &ip, &port), 0);
    EXPECT_EQ(server.Receive(buffer, sizeof buffer, &ip, &port), 0);
    EXPECT_EQ(server.Receive(buffer, sizeof buffer, &ip, &port), 2);
    EXPECT_EQ(server.GetBytesReceived(), 2);
}

TEST(Socket, OpenersRefuseWhatTheyCannotUse)
{
    ClientSocket c;
    EXPECT_FALSE(c.Open(nullptr, 1));
    EXPECT_FALSE(c.Open(u"", 1));
    std::u16string longHost(ClientSocket::kHostBuffer, u'a');
    EXPECT_FALSE(c.Open(longHost.c_str(), 1));
    EXPECT_FALSE(c.IsOpen());

    ServerSocket first;
    ASSERT_TRUE(first.Open(0));
    ServerSocket second;
    EXPECT_FALSE(second.Open(first.GetLocalPort()));
    EXPECT_FALSE(second.IsOpen());
}

TEST(Socket, ReceiveGivesUpAfterItsWaitOrWhenInterrupted)
{
    ServerSocket server;
    ASSERT_TRUE(server.Open(0));
    uint8_t buffer[16];
    uint32_t ip;
    int port;
    EXPECT_EQ(server.Receive(buffer, sizeof buffer, &ip, &port), 0); // the one-second wait

    std::atomic<int> result{-1};
    std::thread waiter([&] { result = server.Receive(buffer, sizeof buffer, &ip, &port); });
    server.Interrupt();
    waiter.join();
    EXPECT_EQ(result, 0);
    server.ClearInterrupt();
    ClientSocket client;
    ASSERT_TRUE(client.Open(u"127.0.0.1", server.GetLocalPort()));
    client.Send("a", 1);
    EXPECT_EQ(server.Receive(buffer, sizeof buffer, &ip, &port), 1);
}

// A manager that records what its receive thread hands it.
class RecordingManager : public MPAPI::MultiplayerManager {
public:
    ~RecordingManager() override { StopReceiveThread(); }
    bool Listen()
    {
        auto* s = new ServerSocket();
        if (!s->Open(0)) {
            delete s;
            return false;
        }
        SetSocket(s);
        StartReceiveThread();
        return true;
    }
    void Update(float) override {}
    void OnDatagram(const uint8_t* data, int length, uint32_t, int) override
    {
        // Whoever dispatches holds the manager lock: another thread cannot
        // take it meanwhile.
        bool heldElsewhere = false;
        std::thread probe([&] {
            if (GetManagerMutex().try_lock())
                GetManagerMutex().unlock();
            else
                heldElsewhere = true;
        });
        probe.join();
        EXPECT_TRUE(heldElsewhere);
        std::lock_guard<std::mutex> lock(seenMutex);
        seen.emplace_back(reinterpret_cast<const char*>(data), size_t(length));
    }
    std::vector<std::string> Seen()
    {
        std::lock_guard<std::mutex> lock(seenMutex);
        return seen;
    }

private:
    std::mutex seenMutex;
    std::vector<std::string> seen;
};

TEST(MultiplayerManager, ReceiveThreadDispatchesEveryDatagramAndStopsWithItsOwner)
{
    auto* m = new RecordingManager();
    ASSERT_TRUE(m->Listen());
    EXPECT_TRUE(m->IsReceiveThreadRunning());
    ClientSocket client;
    ASSERT_TRUE(client.Open(u"127.0.0.1", m->GetSocket()->GetLocalPort()));
    client.Send("one", 3);
    client.Send("two", 3);
    for (int i = 0; i < 500 && m->Seen().size() < 2; ++i)
        Os::SleepMs(10);
    EXPECT_EQ(m->Seen(), (std::vector<std::string>{"one", "two"}));

    const uint8_t injected[3] = {'i', 'n', 'j'};
    m->InjectDatagram(injected, 3, 0, 0);
    m->InjectDatagram(injected, 0, 0, 0);
    EXPECT_EQ(m->Seen().size(), 3u);
    EXPECT_EQ(m->Seen().back(), "inj");

    // Listening again replaces the socket under a stopped thread.
    ASSERT_TRUE(m->Listen());
    EXPECT_TRUE(m->IsReceiveThreadRunning());
    delete m; // joins the thread, which is blocked in its one-second wait
}

} // namespace
