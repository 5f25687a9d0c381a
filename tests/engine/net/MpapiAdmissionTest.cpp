// Admission: who the server lets in, and every status the client reports.
#include "LossyRelay.h"
#include "MpapiTestObjects.h"
#include "platform/net/UdpSocket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <memory>
#include <thread>

using namespace NetTest;
using MPAPI::ClientManager;
using MPAPI::IClient;
using MPAPI::IConnection;
using MPAPI::ServerManager;

namespace {

uint32_t Loopback() { return htonl(0x7F000001u); }

struct Server {
    ServerManager server;
    Server() { EXPECT_TRUE(server.Listen(0)); }
    int Port() const { return server.GetPort(); }
};

// Sends one raw datagram to the server and returns the one-byte reply, or
// -1 when none came.
int RawRequest(int port, const std::vector<uint8_t>& bytes, Net::UdpSocket* reuse = nullptr)
{
    Net::UdpSocket own;
    Net::UdpSocket& s = reuse ? *reuse : own;
    if (!reuse) {
        EXPECT_TRUE(s.Open());
        EXPECT_TRUE(s.Bind(Loopback(), 0));
    }
    s.SendTo(bytes.data(), int(bytes.size()), Loopback(), port);
    for (int i = 0; i < 100; ++i) {
        if (s.Wait(20) == 1) {
            uint8_t b[16];
            uint32_t ip;
            int p;
            int n = s.ReceiveFrom(b, sizeof b, &ip, &p);
            if (n == 1)
                return b[0];
        }
    }
    return -1;
}

TEST(MpapiAdmission, SettingsClampAndBanListKeepsOrder)
{
    ServerManager s;
    EXPECT_EQ(s.SetMaxPlayers(0), 1);
    EXPECT_EQ(s.SetMaxPlayers(-5), 1);
    EXPECT_EQ(s.SetMaxPlayers(40), 32);
    EXPECT_EQ(s.SetMaxPlayers(7), 7);
    EXPECT_EQ(s.AddBan(1), 0);
    EXPECT_EQ(s.AddBan(2), 1);
    EXPECT_EQ(s.AddBan(3), 2);
    EXPECT_EQ(s.AddBan(2), 1);
    s.RemoveBan(1);
    EXPECT_EQ(s.AddBan(3), 1);
    EXPECT_EQ(s.AddBan(2), 0);
}

TEST(MpapiAdmission, RawRequestsGetTheirReplies)
{
    Server s;
    s.server.SetMaxPlayers(2);
    struct Case {
        std::vector<uint8_t> bytes;
        int reply;
    } cases[] = {
        {{0xB2, 0x60, 0x0B}, 2},        // wrong version
        {{0xB2, 0x61, 0x09, 'a'}, 2},   // wrong version with a password
        {{0xB2, 0x60, 0x0A, 0x00}, -1}, // B2 60 must be exactly 3 bytes
        {{0xB2, 0x17}, -1},             // ignored
        {{0xB2, 0x60, 0x0A}, 1},        // accepted
        {{0xB2, 0x61, 0x0A}, 1},        // password form, none set
    };
    for (const Case& c : cases)
        EXPECT_EQ(RawRequest(s.Port(), c.bytes), c.reply) << int(c.bytes.size()) << " bytes";
    // Both slots are held by handshaking requests now.
    EXPECT_EQ(RawRequest(s.Port(), {0xB2, 0x60, 0x0A}), 0);

    s.server.SetPassword(u"Secret");
    s.server.Update(ServerManager::kHandshakeTimeOut + 1.0f); // frees the unconfirmed slots
    EXPECT_EQ(RawRequest(s.Port(), {0xB2, 0x60, 0x0A}), 3);
    EXPECT_EQ(RawRequest(s.Port(), {0xB2, 0x61, 0x0A, 'S', 'e', 'c', 'r', 'e'}), 3);
    EXPECT_EQ(RawRequest(s.Port(), {0xB2, 0x61, 0x0A, 'S', 'e', 'c', 'r', 'e', 'T'}), 3);
    EXPECT_EQ(RawRequest(s.Port(), {0xB2, 0x61, 0x0A, 'S', 'e', 'c', 'r', 'e', 't'}), 1);
    s.server.AddBan(Loopback());
    EXPECT_EQ(RawRequest(s.Port(), {0xB2, 0x61, 0x0A, 'S', 'e', 'c', 'r', 'e', 't'}), 4);
}

TEST(MpapiAdmission, ClientStatusFollowsTheServer)
{
    Server s;
    s.server.SetPassword(u"pw");
    Listener l;
    ClientManager c;
    c.SetListener(&l);
    EXPECT_EQ(c.GetStatus(), IClient::kStatusNoAnswer);
    EXPECT_EQ(c.Connect(u"127.0.0.1", s.Port(), nullptr), nullptr);
    EXPECT_EQ(c.GetStatus(), IClient::kStatusWrongPassword);
    EXPECT_EQ(c.Connect(u"127.0.0.1", s.Port(), u"nope"), nullptr);
    EXPECT_EQ(c.GetStatus(), IClient::kStatusWrongPassword);
    IConnection* conn = c.Connect(u"127.0.0.1", s.Port(), u"pw");
    ASSERT_NE(conn, nullptr);
    EXPECT_EQ(c.GetStatus(), IClient::kStatusConnected);
    EXPECT_EQ(conn->GetState(), IConnection::kConnected);
    IConnection* accepted = nullptr;
    ASSERT_TRUE(Pump(s.server, {&c}, [&] { return (accepted = accepted ? accepted : s.server.NextNewConnection()); }));
    EXPECT_EQ(accepted->GetRemoteAddress(), Loopback());

    s.server.SetMaxPlayers(1);
    ClientManager second;
    second.SetListener(&l);
    EXPECT_EQ(second.Connect(u"127.0.0.1", s.Port(), u"pw"), nullptr);
    EXPECT_EQ(second.GetStatus(), IClient::kStatusFull);

    s.server.AddBan(Loopback());
    EXPECT_EQ(second.Connect(u"127.0.0.1", s.Port(), u"pw"), nullptr);
    EXPECT_EQ(second.GetStatus(), IClient::kStatusBanned);

    c.Disconnect();
    EXPECT_EQ(c.GetStatus(), IClient::kStatusNoAnswer);
    EXPECT_EQ(conn->GetState(), IConnection::kClosed);
}

// A stand-in server that answers every request with one fixed byte, for the
// statuses a real server of this version never gives.
TEST(MpapiAdmission, EveryReplyByteMapsToItsStatus)
{
    const struct {
        int reply;
        int status;
    } table[] = {{0, IClient::kStatusFull},
                 {2, IClient::kStatusWrongVersion},
                 {3, IClient::kStatusWrongPassword},
                 {4, IClient::kStatusBanned}};
    for (auto row : table) {
        Net::UdpSocket fake;
        ASSERT_TRUE(fake.Open());
        ASSERT_TRUE(fake.Bind(Loopback(), 0));
        std::atomic<bool> stop{false};
        std::thread answer([&] {
            uint8_t b[64];
            while (!stop) {
                if (fake.Wait(10) != 1)
                    continue;
                uint32_t ip;
                int port;
                if (fake.ReceiveFrom(b, sizeof b, &ip, &port) == 3) {
                    uint8_t r = uint8_t(row.reply);
                    fake.SendTo(&r, 1, ip, port);
                }
            }
        });
        ClientManager c;
        EXPECT_EQ(c.Connect(u"127.0.0.1", fake.GetLocalPort(), nullptr), nullptr);
        EXPECT_EQ(c.GetStatus(), row.status) << "reply " << row.reply;
        stop = true;
        answer.join();
    }
}

TEST(MpapiAdmission, NoServerMeansNoAnswerAndDefaultPortIs8887)
{
    EXPECT_EQ(IClient::kDefaultPort, 8887);
    Net::UdpSocket silent; // bound, never answers
    ASSERT_TRUE(silent.Open());
    ASSERT_TRUE(silent.Bind(Loopback(), 0));
    ClientManager c;
    EXPECT_EQ(c.Connect(u"127.0.0.1", silent.GetLocalPort(), nullptr), nullptr);
    EXPECT_EQ(c.GetStatus(), IClient::kStatusNoAnswer);
    EXPECT_EQ(c.GetConnection()->GetState(), IConnection::kClosed);
}

TEST(MpapiAdmission, ThirtyTwoClientsFillTheServer)
{
    Server s;
    Listener l;
    std::vector<std::unique_ptr<ClientManager>> clients(32);
    std::vector<std::thread> threads;
    std::atomic<int> connected{0};
    for (auto& c : clients) {
        c = std::make_unique<ClientManager>();
        c->SetListener(&l);
    }
    for (auto& c : clients)
        threads.emplace_back([&, p = c.get()] {
            if (p->Connect(u"127.0.0.1", s.Port(), nullptr))
                ++connected;
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(connected.load(), 32);
    ClientManager extra;
    EXPECT_EQ(extra.Connect(u"127.0.0.1", s.Port(), nullptr), nullptr);
    EXPECT_EQ(extra.GetStatus(), IClient::kStatusFull);
    int accepted = 0;
    std::vector<ClientManager*> raw;
    for (auto& c : clients)
        raw.push_back(c.get());
    Pump(s.server, raw, [&] {
        while (s.server.NextNewConnection())
            ++accepted;
        return accepted == 32;
    });
    EXPECT_EQ(accepted, 32);
}

TEST(MpapiAdmission, LostConfirmationIsReplacedByTheFirstDataDatagram)
{
    Server s;
    LossProfile none;
    LossyRelay relay(s.Port(), none, 7, [](const uint8_t* d, int n, bool toServer) {
        return toServer && n == 2 && d[0] == 0xB2 && d[1] == 0x39;
    });
    ASSERT_TRUE(relay.Ok());
    ClientManager c;
    IConnection* conn = c.Connect(u"127.0.0.1", relay.GetPort(), nullptr);
    ASSERT_NE(conn, nullptr);
    IConnection* accepted = nullptr;
    // The client's pings are its first data datagrams.
    ASSERT_TRUE(Pump(s.server, {&c}, [&] { return (accepted = accepted ? accepted : s.server.NextNewConnection()); }));
    const char msg[] = "hello";
    ASSERT_TRUE(conn->Send(msg, 5));
    char got[5] = {};
    ASSERT_TRUE(Pump(s.server, {&c}, [&] { return accepted->Receive(got, 5) == 5; }));
    EXPECT_EQ(std::string(got, 5), "hello");
}

} // namespace
