// A hostile or broken client must not crash, stall or confuse the server.
// Datagrams are injected the way the receive thread hands them over.
#include "MpapiTestObjects.h"
#include "engine/net/PacketBuffer.h"
#include "platform/net/UdpSocket.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>

using namespace NetTest;
using MPAPI::IConnection;
using MPAPI::PacketBuffer;
using MPAPI::ServerManager;
using Bytes = std::vector<uint8_t>;

namespace {

const uint32_t kIp = htonl(0x0A000001u);

void Inject(ServerManager& s, const Bytes& b, int port, uint32_t ip = kIp)
{
    s.InjectDatagram(b.data(), int(b.size()), ip, port);
}

int PeerCount(ServerManager& s)
{
    std::lock_guard<std::recursive_mutex> lock(s.GetManagerMutex());
    int n = 0;
    for (int i = 0; i < ServerManager::kSlots; ++i)
        n += s.GetSlot(i)->HasPeer() ? 1 : 0;
    return n;
}

// A data datagram with no acknowledgements, packet sequence 1 and no chunk,
// carrying a client-state block with these flags, cut to keep bytes.
Bytes StateDatagram(uint32_t blockSequence, int flags, size_t keep = 1000)
{
    PacketBuffer p;
    p.Clear();
    p.WriteU8(0x40);
    p.WriteU8(0);
    p.WriteU16(1);
    p.WriteU16(0);
    MPAPI::ClientStateBlock block;
    block.flags = flags;
    block.x = 5;
    block.Write(p, blockSequence);
    p.Finish();
    Bytes b(p.GetData(), p.GetData() + p.GetSize());
    if (b.size() > keep)
        b.resize(keep);
    return b;
}

// A seed of the server fuzz target: records of a flags byte (0: from the
// admitted client), a 16-bit length and the datagram.
void WriteServerSeed(const std::string& name, const std::vector<Bytes>& datagrams)
{
    Bytes seed;
    for (const Bytes& d : datagrams) {
        seed.push_back(0);
        seed.push_back(uint8_t(d.size()));
        seed.push_back(uint8_t(d.size() >> 8));
        seed.insert(seed.end(), d.begin(), d.end());
    }
    TestSupport::WriteFuzzSeed("mpapi_server", name, seed);
}

IConnection* Admit(ServerManager& s, int port, uint32_t ip = kIp)
{
    Inject(s, {0xB2, 0x60, 0x0A}, port, ip);
    Inject(s, {0xB2, 0x39}, port, ip);
    return s.NextNewConnection();
}

TEST(MpapiHostile, TruncatedAndStaleClientStateBlocksAreDropped)
{
    ServerManager s;
    ServerListener sl;
    s.SetListener(&sl);
    IConnection* c = Admit(s, 4000);
    ASSERT_NE(c, nullptr);
    Bytes whole = StateDatagram(5, 0x11);
    WriteServerSeed("state_blocks", {whole, StateDatagram(6, 0x44), StateDatagram(4, 1, 20)});
    for (size_t keep = 1; keep < whole.size(); ++keep)
        Inject(s, StateDatagram(5, 0x22, keep), 4000);
    EXPECT_EQ(sl.changes.load(), 0);
    EXPECT_EQ(c->GetClientFlags(), 0);
    Inject(s, whole, 4000);
    EXPECT_EQ(c->GetClientFlags(), 0x11);
    EXPECT_EQ(c->GetClientX(), 5.0f);
    Inject(s, StateDatagram(4, 0x33), 4000); // older: skipped
    EXPECT_EQ(c->GetClientFlags(), 0x11);
    for (uint32_t q : {6u, 30000u, 60000u, 0xFFFFu})
        Inject(s, StateDatagram(q, 0x44), 4000);
    EXPECT_EQ(c->GetClientFlags(), 0x44);
    Inject(s, StateDatagram(1, 0x55), 4000);      // wrapped: newer
    Inject(s, StateDatagram(0xFFFE, 0x66), 4000); // late from before the wrap: skipped
    EXPECT_EQ(c->GetClientFlags(), 0x55);
    EXPECT_EQ(sl.changes.load(), 3);
}

TEST(MpapiHostile, MalformedDataDatagramsDoNotHurt)
{
    ServerManager s;
    IConnection* c = Admit(s, 4001);
    ASSERT_NE(c, nullptr);
    const Bytes cases[] = {
        {0x40},
        {0x40, 16},
        {0x40, 16, 1, 2, 3},
        {0x40, 0, 2, 0, 2, 0, 0xFF, 0xFF},      // chunk length past the body
        {0x40, 0, 2, 0, 2, 0, 0, 0},            // chunk length 0
        {0x40, 0, 2, 0, 0xFF, 0xFF, 1, 0, 'x'}, // chunk sequence off the ring
        {0x40, 0x11},                           // ping cut short
        {0x40, 0x12, 1, 2},                     // pong cut short
        {0x40, 0xFF, 1, 2, 3, 4},
        {0xB2},
        {0xB2, 0x61},
        {0x17, 0x17},
    };
    for (const Bytes& b : cases)
        Inject(s, b, 4001);
    WriteServerSeed("malformed", std::vector<Bytes>(std::begin(cases), std::end(cases)));
    WriteServerSeed("chunk_and_acks", {{0x40, 0, 2, 0, 2, 0, 3, 0, 'a', 'b', 'c'}, {0x40, 2, 2, 0, 3, 0, 0, 0}});
    Bytes big(1400, 0x40);
    Inject(s, big, 4001);
    s.Update(0.05f);
    EXPECT_EQ(c->GetState(), IConnection::kConnected);
    // Still talks: a valid chunk arrives in the stream.
    Inject(s, {0x40, 0, 2, 0, 2, 0, 3, 0, 'a', 'b', 'c'}, 4001);
    EXPECT_EQ(c->GetReceivedSize(), 3);
}

TEST(MpapiHostile, HandshakeFloodIsBoundedAndExpires)
{
    ServerManager s;
    for (int port = 1; port <= 1000; ++port)
        Inject(s, {0xB2, 0x60, 0x0A}, port, htonl(0x0A000000u + uint32_t(port)));
    EXPECT_EQ(PeerCount(s), ServerManager::kSlots);
    EXPECT_EQ(s.NextNewConnection(), nullptr);
    s.Update(ServerManager::kHandshakeTimeOut / 2);
    EXPECT_EQ(PeerCount(s), ServerManager::kSlots);
    s.Update(ServerManager::kHandshakeTimeOut / 2 + 0.5f);
    EXPECT_EQ(PeerCount(s), 0);
    EXPECT_NE(Admit(s, 5000), nullptr);
}

TEST(MpapiHostile, ConfirmedFloodThatNeverReadsGivesItsSlotsBack)
{
    ServerManager s;
    ASSERT_TRUE(s.Listen(0));
    const uint32_t lo = htonl(0x7F000001u);
    std::vector<std::unique_ptr<Net::UdpSocket>> flood;
    for (int i = 0; i < ServerManager::kSlots; ++i) {
        flood.push_back(std::make_unique<Net::UdpSocket>());
        ASSERT_TRUE(flood.back()->Open() && flood.back()->Bind(lo, 0));
        const uint8_t request[] = {0xB2, 0x60, 0x0A}, confirm[] = {0xB2, 0x39};
        flood.back()->SendTo(request, 3, lo, s.GetPort());
        flood.back()->SendTo(confirm, 2, lo, s.GetPort());
    }
    for (int i = 0; i < 200 && PeerCount(s) < ServerManager::kSlots; ++i)
        Os::SleepMs(10);
    ASSERT_EQ(PeerCount(s), ServerManager::kSlots);
    Listener listener;
    MPAPI::ClientManager client;
    client.SetListener(&listener);
    float waited = 0;
    IConnection* c = nullptr;
    for (; waited <= 15.0f && !c; waited += 0.5f) {
        s.Update(0.5f);
        c = client.Connect(u"127.0.0.1", s.GetPort(), nullptr);
    }
    EXPECT_NE(c, nullptr) << "still refused after " << waited << " s";
}

// One machine cannot fill the server; the machine itself may.
TEST(MpapiHostile, OneAddressHoldsAtMostAFewSlots)
{
    ServerManager s;
    const uint32_t loopback = htonl(0x7F000001u);
    for (int port = 1; port <= 10; ++port) {
        Admit(s, port);
        Admit(s, port, loopback);
    }
    EXPECT_EQ(PeerCount(s), ServerManager::kSlotsPerAddress + 10);
    EXPECT_NE(Admit(s, 1, htonl(0x0A000002u)), nullptr);
}

// Clients that answer every ping but never join hold their slots until the
// join deadline, no longer; one that joins stays.
TEST(MpapiHostile, ConnectionsThatNeverJoinAreClosedAtTheDeadline)
{
    ServerManager s;
    ASSERT_TRUE(s.Listen(0));
    std::vector<std::unique_ptr<MPAPI::ClientManager>> flood(ServerManager::kSlots);
    std::vector<MPAPI::ClientManager*> all;
    std::vector<std::thread> connecting;
    for (auto& c : flood) {
        all.push_back((c = std::make_unique<MPAPI::ClientManager>()).get());
        connecting.emplace_back([&s, p = c.get()] { p->Connect(u"127.0.0.1", s.GetPort(), nullptr); });
    }
    for (std::thread& t : connecting)
        t.join();
    ASSERT_EQ(PeerCount(s), ServerManager::kSlots);
    MPAPI::ClientManager late;
    EXPECT_EQ(late.Connect(u"127.0.0.1", s.GetPort(), nullptr), nullptr);
    int passes = 0;
    ASSERT_TRUE(Pump(
        s, all, [&] { return ++passes, PeerCount(s) < ServerManager::kSlots; }, 60, 0.5f));
    EXPECT_GT(passes * 0.5f, ServerManager::kJoinDeadline) << "pings were answered: nothing else may close them";
    IConnection* up = late.Connect(u"127.0.0.1", s.GetPort(), nullptr);
    ASSERT_NE(up, nullptr);
    IConnection* down = nullptr;
    ASSERT_TRUE(Pump(s, {&late}, [&] { return (down = s.NextNewConnection()) != nullptr; }));
    Thing player;
    down->SetPlayerObject(&player);
    Pump(
        s, {&late}, [] { return false; }, 2 * int(ServerManager::kJoinDeadline) + 10, 0.5f);
    EXPECT_EQ(down->GetState(), IConnection::kConnected);
    EXPECT_EQ(up->GetState(), IConnection::kConnected);
}

// A client that joined just before a pass that took long is judged by the
// pings it was sent and answered, not by the length of that pass.
TEST(MpapiHostile, ASlowPassRightAfterAJoinClosesNobody)
{
    ServerManager s;
    ASSERT_TRUE(s.Listen(0));
    Listener listener;
    MPAPI::ClientManager client;
    client.SetListener(&listener);
    IConnection* up = client.Connect(u"127.0.0.1", s.GetPort(), nullptr);
    ASSERT_NE(up, nullptr);
    IConnection* down = nullptr;
    for (int i = 0; i < 500 && !down; ++i, Os::SleepMs(2))
        down = s.NextNewConnection();
    ASSERT_NE(down, nullptr);
    Thing player;
    down->SetPlayerObject(&player);
    s.Update(12.0f);
    auto* slot = static_cast<MPAPI::ServerHandler*>(down);
    ASSERT_TRUE(Pump(s, {&client}, [&] { return slot->HasPeerAnswered(); }));
    EXPECT_EQ(down->GetState(), IConnection::kConnected);
    EXPECT_EQ(up->GetState(), IConnection::kConnected);
}

TEST(MpapiHostile, EmptyAndOversizeDatagramsDoNotDeafenTheServer)
{
    ServerManager s;
    ASSERT_TRUE(s.Listen(0));
    const uint32_t lo = htonl(0x7F000001u);
    Net::UdpSocket junk, peer;
    ASSERT_TRUE(junk.Open() && junk.Bind(lo, 0) && peer.Open() && peer.Bind(lo, 0));
    // Paced so that the kernel keeps them all for a server that reads.
    std::vector<uint8_t> big(1500, 0x40);
    for (int i = 0; i < 500; ++i) {
        junk.SendTo(big.data(), i % 20 == 19 ? int(big.size()) : 0, lo, s.GetPort());
        if (i % 10 == 9)
            Os::SleepMs(5);
    }
    const uint8_t request[] = {0xB2, 0x60, 0x0A};
    auto start = std::chrono::steady_clock::now();
    uint8_t reply[4] = {9};
    bool answered = false;
    for (int attempt = 0; attempt < 2 && !answered; ++attempt) {
        peer.SendTo(request, 3, lo, s.GetPort());
        answered = peer.Wait(600) == 1 && peer.ReceiveFrom(reply, sizeof reply, nullptr, nullptr) == 1;
    }
    EXPECT_TRUE(answered);
    EXPECT_EQ(reply[0], 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1200));
}

TEST(MpapiHostile, ReconnectFromTheSameAddressGetsAFreshSlot)
{
    ServerManager s;
    // Asking twice while handshaking keeps the one slot.
    Inject(s, {0xB2, 0x60, 0x0A}, 6000);
    Inject(s, {0xB2, 0x60, 0x0A}, 6000);
    EXPECT_EQ(PeerCount(s), 1);
    Inject(s, {0xB2, 0x39}, 6000);
    IConnection* old = s.NextNewConnection();
    ASSERT_NE(old, nullptr);
    // A duplicated or late copy of the request leaves the live link alone.
    s.Update(0.5f);
    Inject(s, {0xB2, 0x60, 0x0A}, 6000);
    EXPECT_EQ(old->GetState(), IConnection::kConnected);
    // The client restarted: once its old session is quiet, the old link is
    // closed and its retry gets a slot.
    s.Update(0.6f);
    Inject(s, {0xB2, 0x60, 0x0A}, 6000);
    EXPECT_EQ(old->GetState(), IConnection::kClosed);
    IConnection* fresh = Admit(s, 6000);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->GetState(), IConnection::kConnected);
    EXPECT_EQ(fresh->GetRemotePort(), 6000);
}

TEST(MpapiHostile, RemoveAllObjectsLeavesNoDanglingPointers)
{
    ServerManager s;
    IConnection* c = Admit(s, 7000);
    ASSERT_NE(c, nullptr);
    Inject(s, {0x40, 0x14}, 7000); // the client asks for the object stream
    auto player = std::make_unique<Thing>();
    c->SetPlayerObject(player.get());
    std::vector<std::unique_ptr<Thing>> things;
    for (int i = 0; i < 20; ++i) {
        things.push_back(std::make_unique<Thing>());
        things.back()->always = i % 2 == 0;
        s.AddObjectUnlocked(things.back().get());
    }
    s.AddObject(player.get());
    for (int i = 0; i < 10; ++i)
        s.Update(0.05f);
    EXPECT_GT(s.GetSlot(0)->GetEntryCount(), 0);
    s.RemoveAllObjects();
    EXPECT_EQ(c->GetPlayerObject(), nullptr);
    things.clear();
    player.reset();
    // Writing the removes must not touch the deleted objects.
    for (int i = 0; i < 50; ++i)
        s.Update(0.05f);
    // Nobody acknowledges here, so every entry waits as a remove.
    EXPECT_EQ(s.GetSlot(0)->GetEntryCount(), 21);
}

} // namespace
