#include "FuzzSeeds.h"
#include "TestConnection.h"
#include "engine/core/StringKit.h"
#include "engine/net/MpapiDatagram.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using MPAPI::IConnection;
using MPAPI::MpapiDatagram;
using NetTest::Datagram;
using NetTest::TestConnection;

namespace {

MpapiDatagram::DataHeader Parse(const Datagram& d)
{
    MpapiDatagram::DataHeader h{};
    EXPECT_GE(d.size(), 2u);
    EXPECT_EQ(d[0], 0x40);
    EXPECT_TRUE(MpapiDatagram::ParseDataBody(d.data() + 1, int(d.size()) - 1, &h));
    return h;
}

Datagram ChunkPacket(uint16_t packet, uint16_t chunk, const std::string& bytes)
{
    Datagram d = {0x40,
                  0x00,
                  uint8_t(packet),
                  uint8_t(packet >> 8),
                  uint8_t(chunk),
                  uint8_t(chunk >> 8),
                  uint8_t(bytes.size()),
                  uint8_t(bytes.size() >> 8)};
    for (char c : bytes)
        d.push_back(uint8_t(c));
    return d;
}

Datagram AckPacket(uint16_t ack)
{
    uint8_t d[8];
    int n = MpapiDatagram::WriteAcksOnly(d, &ack, 1);
    return Datagram(d, d + n);
}

// Leaves out pings and the other control forms.
std::vector<Datagram> PacketsOnly(const std::vector<Datagram>& all)
{
    std::vector<Datagram> out;
    for (const Datagram& d : all)
        if (d.size() >= 2 && d[1] <= MpapiDatagram::kMaxAcks)
            out.push_back(d);
    return out;
}

std::string ReadAllWaiting(TestConnection& c)
{
    std::string s(size_t(c.GetReceivedSize()), '\0');
    if (!s.empty())
        c.Receive(&s[0], int(s.size()));
    return s;
}

struct Connected : ::testing::Test {
    TestConnection server{true};
    TestConnection client{false};
    void SetUp() override
    {
        server.OnConnected();
        client.OnConnected();
    }
};

TEST_F(Connected, StreamingClientSendsItsStateUnacknowledgedEverySecondUpdate)
{
    ASSERT_TRUE(client.Deliver(Datagram{0x40, 0x14}));
    ASSERT_EQ(client.outbox.size(), 1u);
    EXPECT_EQ(client.outbox[0], (Datagram{0x40, 0x15}));
    EXPECT_TRUE(client.IsStreaming());
    client.outbox.clear();
    for (int i = 0; i < 8; ++i)
        client.Update(0.01f);
    ASSERT_EQ(client.outbox.size(), 4u);
    for (const Datagram& d : client.outbox) {
        MpapiDatagram::DataHeader h = Parse(d);
        EXPECT_EQ(h.packetSequence, 1);
        EXPECT_EQ(h.chunkSequence, 0);
        EXPECT_EQ(d.size(), 6u + 36u);
        server.Deliver(d);
    }
    EXPECT_EQ(client.GetSlotsInFlight(), 0);
    EXPECT_EQ(server.blocksRead, 4);
    EXPECT_TRUE(server.outbox.empty()); // sequence 1 is never acknowledged
}

TEST_F(Connected, NothingToCarryMeansNoPacket)
{
    for (int i = 0; i < 10; ++i) {
        server.Update(0.01f);
        client.Update(0.01f);
    }
    EXPECT_TRUE(server.outbox.empty());
    EXPECT_TRUE(client.outbox.empty());
}

TEST_F(Connected, UnacknowledgedChunkIsResentEverySecondWithANewPacketSequence)
{
    ASSERT_TRUE(client.Send("hello", 5));
    client.RequestSend();
    client.Update(0.0f);
    ASSERT_EQ(client.outbox.size(), 1u);
    MpapiDatagram::DataHeader first = Parse(client.outbox[0]);
    EXPECT_EQ(first.packetSequence, 2);
    EXPECT_EQ(first.chunkSequence, 2);
    EXPECT_EQ(client.GetSlotsInFlight(), 1);
    uint16_t previous = first.packetSequence;
    for (int resend = 0; resend < 3; ++resend) {
        client.outbox.clear();
        for (int i = 0; i < 4; ++i)
            client.Update(0.25f);
        std::vector<Datagram> packets = PacketsOnly(client.outbox);
        ASSERT_EQ(packets.size(), 1u) << resend;
        MpapiDatagram::DataHeader h = Parse(packets[0]);
        EXPECT_EQ(h.chunkSequence, first.chunkSequence);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(h.chunk), size_t(h.chunkLength)), "hello");
        EXPECT_NE(h.packetSequence, previous);
        ASSERT_FALSE(client.forgotten.empty());
        EXPECT_EQ(client.forgotten.back(), previous);
        previous = h.packetSequence;
    }
    // The acknowledgement of the last copy frees the slot.
    ASSERT_TRUE(client.Deliver(AckPacket(previous)));
    EXPECT_EQ(client.GetSlotsInFlight(), 0);
    EXPECT_EQ(client.acked.back(), previous);
}

TEST_F(Connected, RepeatedChunkIsAcknowledgedEachTimeAndStoredOnce)
{
    Datagram d = ChunkPacket(7, 2, "abc");
    ASSERT_TRUE(server.Deliver(d));
    ASSERT_TRUE(server.Deliver(d));
    EXPECT_EQ(ReadAllWaiting(server), "abc");
    // Both acknowledgements ride in the next packet.
    server.RequestSend();
    server.Update(0.0f);
    ASSERT_EQ(server.outbox.size(), 1u);
    MpapiDatagram::DataHeader h = Parse(server.outbox[0]);
    ASSERT_EQ(h.ackCount, 2);
    EXPECT_EQ(h.acks[0], 7);
    EXPECT_EQ(h.acks[1], 7);
}

TEST_F(Connected, FullIncomingStreamLeavesTheChunkUnacknowledged)
{
    std::string chunk(1300, 'x');
    uint16_t q = 2;
    for (int i = 0; i < 10; ++i, ++q)
        ASSERT_TRUE(server.Deliver(ChunkPacket(q, q, chunk)));
    ASSERT_EQ(server.GetReceivedSize(), 13000);
    ASSERT_TRUE(server.Deliver(ChunkPacket(100, q, "y")));
    server.RequestSend();
    server.Update(0.0f);
    ASSERT_EQ(server.outbox.size(), 1u);
    MpapiDatagram::DataHeader h = Parse(server.outbox[0]);
    ASSERT_EQ(h.ackCount, 10);
    for (int i = 0; i < h.ackCount; ++i)
        EXPECT_NE(h.acks[i], 100);
    // Once read, the resent chunk is taken.
    ReadAllWaiting(server);
    ASSERT_TRUE(server.Deliver(ChunkPacket(101, q, "y")));
    EXPECT_EQ(ReadAllWaiting(server), "y");
}

TEST_F(Connected, StreamReadOperations)
{
    ASSERT_TRUE(server.Deliver(ChunkPacket(2, 2, "0123456789")));
    char buf[16] = {};
    EXPECT_EQ(server.Receive(buf, 11), 0);
    EXPECT_EQ(server.GetReceivedSize(), 10);
    EXPECT_EQ(server.Peek(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_EQ(server.PeekAt(buf, 6, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "6789");
    EXPECT_EQ(server.PeekAt(buf, 7, 4), 0);
    EXPECT_EQ(server.PeekAt(buf, -1, 2), 0);
    EXPECT_FALSE(server.Skip(11));
    EXPECT_TRUE(server.Skip(2));
    EXPECT_EQ(server.Receive(buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), "234");
    EXPECT_EQ(server.Receive(buf, -5), 0);
    EXPECT_EQ(server.GetReceivedSize(), 5);
}

TEST_F(Connected, FullOutgoingStreamRefusesAndAppendsNothing)
{
    std::vector<uint8_t> bytes = TestSupport::PseudoRandomBytes(13000, 3);
    EXPECT_EQ(client.GetSendSpace(), 13000);
    ASSERT_TRUE(client.Send(bytes.data(), 12990));
    EXPECT_EQ(client.GetSendSpace(), 10);
    EXPECT_FALSE(client.Send(bytes.data() + 12990, 11));
    EXPECT_EQ(client.GetSendSpace(), 10);
    EXPECT_FALSE(client.Send(nullptr, 5));
    EXPECT_FALSE(client.Send(bytes.data(), -1));
    ASSERT_TRUE(client.Send(bytes.data() + 12990, 10));
    EXPECT_EQ(client.GetSendSpace(), 0);

    // What went in comes out whole and once, with nothing of the refused sends.
    std::string got;
    for (int round = 0; round < 200 && got.size() < bytes.size(); ++round) {
        client.Update(0.01f);
        for (const Datagram& d : client.outbox)
            server.Deliver(d);
        client.outbox.clear();
        server.Update(0.01f);
        for (const Datagram& d : server.outbox)
            client.Deliver(d);
        server.outbox.clear();
        got += ReadAllWaiting(server);
    }
    ASSERT_EQ(got.size(), bytes.size());
    EXPECT_EQ(std::memcmp(got.data(), bytes.data(), bytes.size()), 0);
    NetTest::WriteDatagramSeed("chunks_and_acks", {ChunkPacket(2, 2, "abc"), ChunkPacket(3, 4, "early"),
                                                   ChunkPacket(4, 3, "late"), AckPacket(2), ChunkPacket(2, 2, "abc")});
}

TEST_F(Connected, SilenceTimesOutAndTheResetKeepsTheTimeOut)
{
    for (int i = 0; i < 41; ++i)
        server.Update(5.0f);
    EXPECT_EQ(server.PeekState(), IConnection::kTimedOut);
    EXPECT_TRUE(server.IsResetPending());
    EXPECT_EQ(server.GetState(), IConnection::kTimedOut);
    EXPECT_FALSE(server.IsResetPending());
    EXPECT_FALSE(server.IsHandshakeDone());
    EXPECT_EQ(server.GetState(), IConnection::kTimedOut);
}

TEST_F(Connected, MatchingPongKeepsTheLinkAlive)
{
    for (int i = 0; i < 100; ++i) {
        server.clock += 5.0;
        server.Update(5.0f);
        for (const Datagram& d : server.outbox) {
            if (d.size() == 3 && d[1] == 0x11) {
                client.Deliver(d);
                server.clock += 0.0255;
                for (const Datagram& answer : client.outbox)
                    server.Deliver(answer);
                client.outbox.clear();
            }
        }
        server.outbox.clear();
    }
    EXPECT_EQ(server.GetState(), IConnection::kConnected);
    EXPECT_EQ(server.GetPing(), 25);
}

TEST_F(Connected, DisconnectFromThePeerClosesAndResets)
{
    ASSERT_TRUE(server.Send("pending", 7));
    ASSERT_TRUE(server.Deliver(Datagram{0x40, 0x13}));
    EXPECT_EQ(server.PeekState(), IConnection::kClosed);
    ASSERT_EQ(server.outbox.size(), 1u);
    EXPECT_EQ(server.outbox[0], (Datagram{0x40, 0x13}));
    // Nothing more is taken until the game has seen the close.
    EXPECT_FALSE(server.Deliver(ChunkPacket(2, 2, "late")));
    EXPECT_EQ(server.GetState(), IConnection::kClosed);
    EXPECT_FALSE(server.IsHandshakeDone());
    EXPECT_EQ(server.GetSendSpace(), 13000);
    EXPECT_EQ(server.GetReceivedSize(), 0);
    EXPECT_EQ(server.GetPacketsSent(), 0);
}

TEST_F(Connected, ControlFormsAreAnsweredAndShortOnesDropped)
{
    // Resends in the last second raise the own loss estimate sent in pongs.
    ASSERT_TRUE(server.Send("z", 1));
    server.RequestSend();
    server.Update(0.01f);
    server.Update(1.0f);
    server.outbox.clear();
    ASSERT_TRUE(server.Deliver(Datagram{0x40, 0x11, 0x2A}));
    ASSERT_EQ(server.outbox.size(), 1u);
    const Datagram& pong = server.outbox[0];
    ASSERT_EQ(pong.size(), 7u);
    EXPECT_EQ(pong[1], 0x12);
    EXPECT_EQ(pong[2], 0x2A);
    float loss;
    std::memcpy(&loss, pong.data() + 3, 4);
    EXPECT_FLOAT_EQ(loss, 0.2f);

    server.outbox.clear();
    struct Case {
        const char* name;
        Datagram d;
    };
    const Case dropped[] = {
        {"ping without sequence", {0x40, 0x11}},
        {"pong of 6 bytes", {0x40, 0x12, 0x00, 0, 0, 0}},
        {"pong of 8 bytes", {0x40, 0x12, 0x00, 0, 0, 0, 0, 0}},
        {"ignored code", {0x40, 0x18, 0x01, 0x02}},
        {"ignored code 255", {0x40, 0xFF}},
    };
    for (const Case& c : dropped) {
        EXPECT_FALSE(server.Deliver(c.d)) << c.name;
    }
    EXPECT_TRUE(server.outbox.empty());

    ASSERT_TRUE(server.Deliver(Datagram{0x40, 0x16}));
    EXPECT_FALSE(server.IsStreaming());
    ASSERT_TRUE(server.Deliver(Datagram{0x40, 0x15}));
    EXPECT_TRUE(server.IsPeerStreaming());
    ASSERT_TRUE(server.Deliver(Datagram{0x40, 0x17}));
    EXPECT_FALSE(server.IsPeerStreaming());
    ASSERT_EQ(server.outbox.size(), 1u);
    EXPECT_EQ(server.outbox[0], (Datagram{0x40, 0x17}));
}

uint8_t SentPing(const TestConnection& c)
{
    for (const Datagram& d : c.outbox)
        if (d.size() == 3 && d[1] == 0x11)
            return d[2];
    ADD_FAILURE() << "no ping sent";
    return 0;
}

// Only a peer that reads our pings knows their numbers: a blind run through
// every number proves nothing, even when it ends on the right one; nor does
// acknowledging packet 2, which anyone can guess.
TEST_F(Connected, OnlyTheRightPongCountsAsAnAnswer)
{
    ASSERT_TRUE(server.Send("hello", 5));
    server.RequestSend();
    server.Update(0.0f);
    ASSERT_EQ(server.GetSlotsInFlight(), 1);
    server.Deliver(AckPacket(2));
    EXPECT_EQ(server.GetSlotsInFlight(), 0);
    server.Update(2.0f);
    uint8_t sent = SentPing(server);
    EXPECT_FALSE(server.HasPeerAnswered());
    for (int k = 1; k <= 256; ++k)
        server.Deliver(Datagram{0x40, 0x12, uint8_t(sent + k), 0, 0, 0, 0});
    EXPECT_FALSE(server.HasPeerAnswered());

    TestConnection honest{true};
    honest.OnConnected();
    honest.Update(2.0f);
    honest.Deliver(Datagram{0x40, 0x12, SentPing(honest), 0, 0, 0, 0});
    EXPECT_TRUE(honest.HasPeerAnswered());
}

TEST_F(Connected, PongWithALossThatIsNotFiniteCountsAsNoLoss)
{
    server.Update(2.0f);
    Datagram pong = {0x40, 0x12, SentPing(server), 0, 0, 0, 0};
    float nan = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(pong.data() + 3, &nan, 4);
    ASSERT_TRUE(server.Deliver(pong));
    EXPECT_EQ(server.GetPacketLoss(), 0.0f);
}

TEST_F(Connected, MalformedDataDatagramsAreDroppedAndTheStreamGoesOn)
{
    const Datagram bad[] = {
        {0x40, 0x03, 0x02, 0x00},                              // three acks announced, one half there
        {0x40, 0x00, 0x02, 0x00, 0x02, 0x00, 0x10, 0x00, 'a'}, // chunk longer than the datagram
        {0x40, 0x00, 0x02, 0x00, 0x02, 0x00, 0x15, 0x05},      // chunk length 1301
        {0x40, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00, 0x00},      // empty chunk
        {0x40, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 'a'}, // chunk sequence off the ring
        {0x40, 0x00, 0x02, 0x00, 0x01, 0x00, 0x01, 0x00, 'a'}, // chunk sequence 1
        {0x40, 0x00, 0x02},                                    // packet sequence cut
    };
    for (const Datagram& d : bad) {
        EXPECT_FALSE(server.Deliver(d));
        NetTest::WriteDatagramSeed("malformed_" + std::to_string(&d - bad), {d});
    }
    EXPECT_EQ(server.GetReceivedSize(), 0);
    EXPECT_EQ(server.PeekState(), IConnection::kConnected);
    ASSERT_TRUE(server.Deliver(ChunkPacket(2, 2, "ok")));
    EXPECT_EQ(ReadAllWaiting(server), "ok");
    // Garbage past a valid head is only payload; a server end reads it as a
    // client-state block, which too short a tail never becomes.
    Datagram tail = ChunkPacket(3, 3, "!");
    tail.insert(tail.end(), {0x01, 0x00, 0x00});
    ASSERT_TRUE(server.Deliver(tail));
    EXPECT_EQ(ReadAllWaiting(server), "!");
    EXPECT_EQ(server.blocksRead, 0);
}

TEST_F(Connected, AcknowledgementsOverflowingEveryListGoOutAtOnce)
{
    // 64 chunk packets fill all four lists; the 65th flushes the first list.
    for (int i = 0; i < 64; ++i)
        ASSERT_TRUE(server.Deliver(ChunkPacket(uint16_t(10 + i), uint16_t(2 + i), "a")));
    EXPECT_TRUE(server.outbox.empty());
    ASSERT_TRUE(server.Deliver(ChunkPacket(74, 66, "a")));
    ASSERT_EQ(server.outbox.size(), 1u);
    MpapiDatagram::DataHeader h = Parse(server.outbox[0]);
    EXPECT_EQ(h.packetSequence, 0);
    ASSERT_EQ(h.ackCount, 16);
    EXPECT_EQ(h.acks[0], 10);
    EXPECT_EQ(h.acks[15], 25);
    // The next update sends the three other lists as acknowledgement-only
    // datagrams and the first slot's list in a packet.
    server.outbox.clear();
    server.RequestSend();
    server.Update(0.0f);
    ASSERT_EQ(server.outbox.size(), 4u);
    int total = 0;
    for (const Datagram& d : server.outbox)
        total += Parse(d).ackCount;
    EXPECT_EQ(total, 49);
}

TEST_F(Connected, AResendWithNothingLeftToCarryFreesItsSlot)
{
    // A server packet that carried only acknowledgements is in flight; when
    // it is due again there is nothing to write, so the slot comes free.
    ASSERT_TRUE(server.Deliver(ChunkPacket(9, 2, "a")));
    server.RequestSend();
    server.Update(0.0f);
    ASSERT_EQ(server.outbox.size(), 1u);
    EXPECT_EQ(server.GetSlotsInFlight(), 1);
    server.outbox.clear();
    server.Update(1.0f);
    EXPECT_EQ(server.GetSlotsInFlight(), 0);
    for (const Datagram& d : server.outbox)
        EXPECT_EQ(d[1], 0x11) << "only a ping goes";
}

TEST_F(Connected, SequencesWrapFromFFFEToTwo)
{
    client.StartSequencesAt(0xFFFE, 0xFFFE);
    server.StartSequencesAt(0xFFFE, 0xFFFE);
    std::vector<uint16_t> packets, chunks;
    for (int i = 0; i < 3; ++i) {
        std::string piece = "p" + std::to_string(i);
        ASSERT_TRUE(client.Send(piece.data(), int(piece.size())));
        client.RequestSend();
        client.Update(0.0f);
        ASSERT_EQ(client.outbox.size(), 1u);
        MpapiDatagram::DataHeader h = Parse(client.outbox[0]);
        packets.push_back(h.packetSequence);
        chunks.push_back(h.chunkSequence);
        server.Deliver(client.outbox[0]);
        client.outbox.clear();
        client.Deliver(AckPacket(h.packetSequence));
    }
    EXPECT_EQ(packets, (std::vector<uint16_t>{0xFFFE, 2, 3}));
    EXPECT_EQ(chunks, (std::vector<uint16_t>{0xFFFE, 2, 3}));
    EXPECT_EQ(ReadAllWaiting(server), "p0p1p2");
}

TEST_F(Connected, DebugTextListsThePacketsInFlight)
{
    ASSERT_TRUE(server.Send("abc", 3));
    server.RequestSend();
    server.Update(0.0f);
    server.Update(0.25f);
    char16_t text[256];
    server.GetDebugText(text, 256);
    EXPECT_EQ(Util::Narrow(text),
              "Packet 0 time out: 0.250, responses: 0\nSending 1 packets\nConnect time out: 0.250\n");
    char16_t small[8];
    server.GetDebugText(small, 8);
    EXPECT_EQ(Util::Narrow(small), "Packet ");
    EXPECT_TRUE(server.ToggleDebug());
    EXPECT_FALSE(server.ToggleDebug());
}

TEST(GameStateHandler, StreamingBeforeTheHandshakeOnlyStoresTheFlag)
{
    TestConnection c(false);
    EXPECT_EQ(c.GetState(), IConnection::kClosed);
    EXPECT_TRUE(c.SetStreaming(true));
    EXPECT_TRUE(c.IsStreaming());
    EXPECT_TRUE(c.outbox.empty());
    c.SetConnecting();
    EXPECT_EQ(c.PeekState(), IConnection::kConnecting);
    EXPECT_TRUE(c.SetStreaming(false));
    EXPECT_FALSE(c.IsStreaming());
}

TEST(ClientStateBlock, StaleBlocksAreSkippedAndTheWrapCountsAsNewer)
{
    using MPAPI::ClientStateBlock;
    EXPECT_TRUE(ClientStateBlock::IsStale(9, 10));
    EXPECT_FALSE(ClientStateBlock::IsStale(10, 10));
    EXPECT_FALSE(ClientStateBlock::IsStale(11, 10));
    EXPECT_FALSE(ClientStateBlock::IsStale(1, 0xFFFF));
    EXPECT_EQ(ClientStateBlock::NextSequence(0xFFFF), 1u);

    TestConnection server(true);
    server.OnConnected();
    auto blockPacket = [](uint16_t seq, uint32_t blockSeq, int flags, float x) {
        MPAPI::PacketBuffer p;
        p.Clear();
        p.WriteU8(0x40);
        p.WriteU8(0);
        p.WriteU16(seq);
        p.WriteU16(0);
        ClientStateBlock b;
        b.flags = flags;
        b.x = x;
        b.Write(p, blockSeq);
        p.Finish();
        return Datagram(p.GetData(), p.GetData() + p.GetSize());
    };
    server.Deliver(blockPacket(1, 0xFFFE, 1, 1.0f));
    server.Deliver(blockPacket(1, 0xFFF0, 2, 2.0f)); // older: skipped
    EXPECT_EQ(server.GetClientFlags(), 1);
    server.Deliver(blockPacket(1, 1, 3, 3.0f)); // wrapped: newer
    EXPECT_EQ(server.GetClientFlags(), 3);
    EXPECT_EQ(server.GetClientX(), 3.0f);
    server.Deliver(blockPacket(1, 2, 4, std::numeric_limits<float>::infinity()));
    EXPECT_EQ(server.GetClientFlags(), 3);
    Datagram cut = blockPacket(1, 3, 5, 5.0f);
    cut.resize(cut.size() - 1);
    server.Deliver(cut);
    EXPECT_EQ(server.GetClientFlags(), 3);
    EXPECT_EQ(server.blocksRead, 2);
}

TEST(ClientStateBlock, WritesWholeOrNothing)
{
    MPAPI::PacketBuffer p;
    p.Clear();
    p.SetLimit(30); // room for fewer than nine fields
    p.WriteU8(0x40);
    MPAPI::ClientStateBlock b;
    EXPECT_FALSE(b.Write(p, 1));
    EXPECT_EQ(p.GetBytePosition(), 1);
    p.SetLimit(1400);
    EXPECT_TRUE(b.Write(p, 1));
    EXPECT_EQ(p.GetBytePosition(), 37);
}

} // namespace
