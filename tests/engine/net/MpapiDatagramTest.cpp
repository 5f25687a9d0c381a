#include "engine/net/MpapiDatagram.h"
#include "FuzzSeeds.h"
#include "TestConnection.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using MPAPI::MpapiDatagram;
using NetTest::Datagram;
using NetTest::TestConnection;

namespace {

Datagram Written(int (*write)(uint8_t*))
{
    uint8_t d[MpapiDatagram::kMaxSize];
    int n = write(d);
    return Datagram(d, d + n);
}

// Leaves every golden datagram as a seed for the datagram fuzz target.
void Seed(const std::string& name, const Datagram& d) { NetTest::WriteDatagramSeed(name, {d}); }

TEST(MpapiDatagram, HandshakeFormsAreByteExact)
{
    uint8_t d[MpapiDatagram::kMaxSize];
    int n = MpapiDatagram::WriteConnectRequest(d, nullptr);
    EXPECT_EQ(Datagram(d, d + n), (Datagram{0xB2, 0x60, 0x0A}));
    n = MpapiDatagram::WriteConnectRequest(d, u"");
    EXPECT_EQ(Datagram(d, d + n), (Datagram{0xB2, 0x60, 0x0A}));
    n = MpapiDatagram::WriteConnectRequest(d, u"ab\u0143");
    EXPECT_EQ(Datagram(d, d + n), (Datagram{0xB2, 0x61, 0x0A, 'a', 'b', 0x43}));
    std::u16string longPassword(70, u'x');
    EXPECT_EQ(MpapiDatagram::WriteConnectRequest(d, longPassword.c_str()), 3 + 65);
    EXPECT_EQ(Written(MpapiDatagram::WriteConfirm), (Datagram{0xB2, 0x39}));
    for (uint8_t r = 0; r <= 4; ++r) {
        EXPECT_EQ(MpapiDatagram::WriteReply(d, r), 1);
        EXPECT_EQ(d[0], r);
    }
}

TEST(MpapiDatagram, ControlFormsAreByteExact)
{
    uint8_t d[MpapiDatagram::kMaxSize];
    int n = MpapiDatagram::WritePing(d, 7);
    EXPECT_EQ(Datagram(d, d + n), (Datagram{0x40, 0x11, 0x07}));
    Seed("ping", Datagram(d, d + n));
    n = MpapiDatagram::WritePong(d, 7, 0.25f);
    EXPECT_EQ(Datagram(d, d + n), (Datagram{0x40, 0x12, 0x07, 0x00, 0x00, 0x80, 0x3E}));
    Seed("pong", Datagram(d, d + n));
    const uint8_t codes[] = {0x13, 0x14, 0x15, 0x16, 0x17};
    for (uint8_t code : codes) {
        n = MpapiDatagram::WriteControl(d, code);
        EXPECT_EQ(Datagram(d, d + n), (Datagram{0x40, code}));
        Seed("control_" + std::to_string(code), Datagram(d, d + n));
    }
    const uint16_t acks[2] = {5, 0xFFFE};
    n = MpapiDatagram::WriteAcksOnly(d, acks, 2);
    EXPECT_EQ(Datagram(d, d + n), (Datagram{0x40, 0x02, 0x05, 0x00, 0xFE, 0xFF, 0x00, 0x00}));
    Seed("acks_only", Datagram(d, d + n));
}

TEST(MpapiDatagram, DataPacketsFromAConnectionAreByteExact)
{
    // A server-side end sends its first chunk as packet 2, chunk 2.
    TestConnection server(true);
    server.OnConnected();
    ASSERT_TRUE(server.Send("abc", 3));
    server.RequestSend();
    server.Update(0.0f);
    ASSERT_EQ(server.outbox.size(), 1u);
    EXPECT_EQ(server.outbox[0], (Datagram{0x40, 0x00, 0x02, 0x00, 0x02, 0x00, 0x03, 0x00, 'a', 'b', 'c'}));
    Seed("data_chunk", server.outbox[0]);

    // A client with its object stream on and nothing queued sends its state
    // block in a packet of sequence 1.
    TestConnection client(false);
    client.OnConnected();
    const uint8_t start[1] = {0x14};
    client.OnDataDatagram(start, 1);
    client.outbox.clear();
    client.SetClientFlags(0x21);
    client.SetClientPosition(1.0f, -2.0f);
    client.SetClientValue(0.5f);
    client.SetClientIntA(3);
    client.SetClientIntB(-1);
    client.SetClientPoint(4.0f, 8.0f);
    client.Update(0.0f);
    ASSERT_EQ(client.outbox.size(), 1u);
    Datagram expected = {0x40, 0x00, 0x01, 0x00, 0x00, 0x00, // no acks, sequence 1, no chunk
                         0x01, 0x00, 0x00, 0x00,             // block sequence 1
                         0x21, 0x00, 0x00, 0x00,             // flags
                         0x00, 0x00, 0x00, 0x3F,             // value 0.5
                         0x00, 0x00, 0x80, 0x3F,             // x 1.0
                         0x00, 0x00, 0x00, 0xC0,             // y -2.0
                         0x03, 0x00, 0x00, 0x00,             // int A
                         0xFF, 0xFF, 0xFF, 0xFF,             // int B
                         0x00, 0x00, 0x80, 0x40,             // u 4.0
                         0x00, 0x00, 0x00, 0x41};            // v 8.0
    EXPECT_EQ(client.outbox[0], expected);
    Seed("client_state", client.outbox[0]);
}

TEST(MpapiDatagram, DataBodyParsingChecksEveryField)
{
    struct Case {
        const char* name;
        Datagram body;
        bool ok;
    };
    const Case cases[] = {
        {"ack only", {0x01, 0x07, 0x00, 0x00, 0x00}, true},
        {"unacknowledged, no chunk", {0x00, 0x01, 0x00, 0x00, 0x00}, true},
        {"chunk of 2", {0x00, 0x02, 0x00, 0x05, 0x00, 0x02, 0x00, 'h', 'i'}, true},
        {"empty", {}, false},
        {"acks cut short", {0x02, 0x07, 0x00, 0x08}, false},
        {"no packet sequence", {0x00, 0x02}, false},
        {"no chunk sequence", {0x00, 0x02, 0x00}, false},
        {"chunk sequence 1", {0x00, 0x02, 0x00, 0x01, 0x00, 0x01, 0x00, 'x'}, false},
        {"chunk sequence 0xFFFF", {0x00, 0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 'x'}, false},
        {"chunk length 0", {0x00, 0x02, 0x00, 0x02, 0x00, 0x00, 0x00}, false},
        {"chunk length past the body", {0x00, 0x02, 0x00, 0x02, 0x00, 0x05, 0x00, 'x'}, false},
        {"chunk length 1301", {0x00, 0x02, 0x00, 0x02, 0x00, 0x15, 0x05}, false},
        {"control code", {0x11, 0x01}, false},
        {"ignored code", {0x18, 0x00, 0x00}, false},
    };
    for (const Case& c : cases) {
        MpapiDatagram::DataHeader h;
        EXPECT_EQ(MpapiDatagram::ParseDataBody(c.body.data(), int(c.body.size()), &h), c.ok) << c.name;
    }
    Datagram body = {0x01, 0x09, 0x00, 0x05, 0x00, 0x02, 0x00, 0x02, 0x00, 'h', 'i', 0xAA};
    MpapiDatagram::DataHeader h;
    ASSERT_TRUE(MpapiDatagram::ParseDataBody(body.data(), int(body.size()), &h));
    EXPECT_EQ(h.ackCount, 1);
    EXPECT_EQ(h.acks[0], 9);
    EXPECT_EQ(h.packetSequence, 5);
    EXPECT_EQ(h.chunkSequence, 2);
    EXPECT_EQ(h.chunkLength, 2);
    EXPECT_EQ(h.chunk, body.data() + 9);
    EXPECT_EQ(h.payloadOffset, 11);
}

TEST(MpapiDatagram, ConnectRequestForms)
{
    MpapiDatagram::ConnectRequest r;
    const Datagram plain = {0xB2, 0x60, 0x0A};
    ASSERT_TRUE(MpapiDatagram::ParseConnectRequest(plain.data(), 3, &r));
    EXPECT_FALSE(r.withPassword);
    EXPECT_EQ(r.version, 0x0A);
    const Datagram longPlain = {0xB2, 0x60, 0x0A, 0x00};
    EXPECT_FALSE(MpapiDatagram::ParseConnectRequest(longPlain.data(), 4, &r));
    const Datagram withPassword = {0xB2, 0x61, 0x0B, 'p', 'w'};
    ASSERT_TRUE(MpapiDatagram::ParseConnectRequest(withPassword.data(), 5, &r));
    EXPECT_TRUE(r.withPassword);
    EXPECT_EQ(r.version, 0x0B);
    EXPECT_EQ(r.passwordLength, 2);
    EXPECT_FALSE(MpapiDatagram::ParseConnectRequest(plain.data(), 2, &r));
    const Datagram confirm = {0xB2, 0x39};
    EXPECT_TRUE(MpapiDatagram::IsConfirm(confirm.data(), 2));
    const Datagram ignored = {0xB2, 0x17};
    EXPECT_FALSE(MpapiDatagram::IsConfirm(ignored.data(), 2));
    EXPECT_FALSE(MpapiDatagram::ParseConnectRequest(ignored.data(), 2, &r));
}

} // namespace
