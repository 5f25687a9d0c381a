// Every message type written through its sender, compared byte for byte with
// its layout, then taken from the stream and read back.
#include "FakeRoster.h"
#include "MemoryConnection.h"
#include "game/world/net/GameMessage.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {

using namespace GameMessages;
using Bytes = std::vector<uint8_t>;

Bytes Zeros(int n) { return Bytes(size_t(n), 0); }
Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// 1.5, 2.0, 0.5, 100.0 as float32, low byte first.
const Bytes F1_5 = {0x00, 0x00, 0xC0, 0x3F};
const Bytes F2 = {0x00, 0x00, 0x00, 0x40};
const Bytes F0_5 = {0x00, 0x00, 0x00, 0x3F};
const Bytes F100 = {0x00, 0x00, 0xC8, 0x42};

struct Row {
    const char* name;
    std::function<void(GamePacket&)> write;
    Bytes wire;
    std::function<void(GamePacket&)> check;
};

std::function<void(GamePacket&)> Floats(std::vector<float> want)
{
    return [want](GamePacket& p) {
        std::vector<float> got(want.size(), 0.0f);
        EXPECT_TRUE(ReadFloats(p, got.data(), int(got.size())));
        EXPECT_EQ(got, want);
    };
}

std::function<void(GamePacket&)> Pair(uint32_t a, uint32_t b)
{
    return [a, b](GamePacket& p) {
        uint32_t x = 0, y = 0;
        ReadPair(p, &x, &y);
        EXPECT_EQ(x, a);
        EXPECT_EQ(y, b);
    };
}

std::vector<Row> Rows()
{
    return {
        {"LevelStart",
         [](GamePacket& p) { WriteLevelStart(p, u"ab"); },
         {0x01, 0x00, 0x04, 0x00, 'a', 0, 'b', 0},
         [](GamePacket& p) {
             std::u16string s;
             EXPECT_TRUE(ReadLevelStart(p, &s));
             EXPECT_EQ(s, u"ab");
         }},
        {"Join", [](GamePacket& p) { WriteJoin(p, u"u1", u"Bo", 1); },
         Bytes{0x02, 0x00, 0x48, 0x00, 'u', '1'} + Zeros(62) + Bytes{'B', 0, 'o', 0, 0x01, 0, 0, 0},
         [](GamePacket& p) {
             JoinRequest j;
             EXPECT_TRUE(ReadJoin(p, &j));
             EXPECT_STREQ(j.uid, "u1");
             EXPECT_EQ(j.name, u"Bo");
             EXPECT_EQ(j.flag, 1u);
         }},
        {"PlayerId",
         [](GamePacket& p) { WritePlayerId(p, 42); },
         {0x03, 0x00, 0x04, 0x00, 42, 0, 0, 0},
         [](GamePacket& p) { EXPECT_EQ(ReadValue(p), 42u); }},
        {"Message",
         [](GamePacket& p) { WriteFlaggedText(p, GameMessage::Message, 1, u"hi"); },
         {0x04, 0x00, 0x05, 0x00, 0x01, 'h', 0, 'i', 0},
         [](GamePacket& p) {
             uint8_t flag = 0;
             std::u16string s;
             EXPECT_TRUE(ReadFlaggedText(p, &flag, &s));
             EXPECT_EQ(flag, 1);
             EXPECT_EQ(s, u"hi");
         }},
        {"Chat",
         [](GamePacket& p) { WriteFlaggedText(p, GameMessage::Chat, 0, u"ok"); },
         {0x05, 0x00, 0x05, 0x00, 0x00, 'o', 0, 'k', 0},
         [](GamePacket& p) {
             uint8_t flag = 9;
             std::u16string s;
             EXPECT_TRUE(ReadFlaggedText(p, &flag, &s));
             EXPECT_EQ(flag, 0);
             EXPECT_EQ(s, u"ok");
         }},
        {"AmmoUpdate",
         [](GamePacket& p) { WriteAmmoUpdate(p, 3, -2); },
         {0x06, 0x00, 0x06, 0x00, 3, 0, 0, 0, 0xFE, 0xFF},
         [](GamePacket& p) {
             uint32_t type = 0;
             int16_t amount = 0;
             ReadAmmoUpdate(p, &type, &amount);
             EXPECT_EQ(type, 3u);
             EXPECT_EQ(amount, -2);
         }},
        {"WeaponUpdate",
         [](GamePacket& p) { WriteWeaponUpdate(p, 7, 30, -1); },
         {0x07, 0x00, 0x08, 0x00, 7, 0, 0, 0, 30, 0, 0xFF, 0xFF},
         [](GamePacket& p) {
             uint32_t id = 0;
             int16_t ammo = 0, clip = 0;
             ReadWeaponUpdate(p, &id, &ammo, &clip);
             EXPECT_EQ(id, 7u);
             EXPECT_EQ(ammo, 30);
             EXPECT_EQ(clip, -1);
         }},
        {"PlayerEntry",
         [](GamePacket& p) { WritePlayerEntry(p, 101, u"Al"); },
         {0x08, 0x00, 0x08, 0x00, 101, 0, 0, 0, 'A', 0, 'l', 0},
         [](GamePacket& p) {
             uint32_t id = 0;
             std::u16string name;
             ReadPlayerEntry(p, &id, &name);
             EXPECT_EQ(id, 101u);
             EXPECT_EQ(name, u"Al");
         }},
        {"PlayerSlotUpdate",
         [](GamePacket& p) { WritePlayerSlotUpdate(p, 101, 55, 7); },
         {0x09, 0x00, 0x08, 0x00, 101, 0, 0, 0, 55, 0, 7, 0},
         [](GamePacket& p) {
             SlotRecord r;
             ReadPlayerSlotUpdate(p, &r);
             EXPECT_EQ(r.id, 101u);
             EXPECT_EQ(r.value, 55);
             EXPECT_EQ(r.team, 7);
         }},
        {"PlayerRemoved",
         [](GamePacket& p) { WritePlayerRemoved(p, 101); },
         {0x0A, 0x00, 0x04, 0x00, 101, 0, 0, 0},
         [](GamePacket& p) { EXPECT_EQ(ReadValue(p), 101u); }},
        {"Blast", [](GamePacket& p) { WriteBlast(p, 1.5f, 2.0f, 100.0f, 0.5f); },
         Bytes{0x0B, 0x00, 0x10, 0x00} + F1_5 + F2 + F100 + F0_5, Floats({1.5f, 2.0f, 100.0f, 0.5f})},
        {"WallStateRequest",
         [](GamePacket& p) { WriteWallStateRequest(p, 9); },
         {0x0C, 0x00, 0x04, 0x00, 9, 0, 0, 0},
         [](GamePacket& p) { EXPECT_EQ(ReadValue(p), 9u); }},
        {"WallState",
         [](GamePacket& p) {
             const uint8_t pairs[2] = {0xFF, 0x02};
             WriteWallState(p, 0, 5, pairs, 2);
         },
         {0x0D, 0x00, 0x0A, 0x00, 0, 0, 0, 0, 5, 0, 0, 0, 0xFF, 0x02},
         [](GamePacket& p) {
             uint32_t start = 1, next = 0;
             const uint8_t* data = nullptr;
             int size = 0;
             ReadWallState(p, &start, &next, &data, &size);
             EXPECT_EQ(start, 0u);
             EXPECT_EQ(next, 5u);
             ASSERT_EQ(size, 2);
             EXPECT_EQ(data[0], 0xFF);
         }},
        {"InventoryClear",
         [](GamePacket& p) { WriteEmpty(p, GameMessage::InventoryClear); },
         {0x0E, 0x00, 0x00, 0x00},
         [](GamePacket& p) { EXPECT_EQ(p.GetLength(), 0); }},
        {"ThrowRequest",
         [](GamePacket& p) { WriteThrowRequest(p, 200); },
         {0x10, 0x00, 0x01, 0x00, 200},
         [](GamePacket& p) { EXPECT_EQ(ReadThrowRequest(p), 200); }},
        {"SelectWeapon",
         [](GamePacket& p) { WriteSelectWeapon(p, -1); },
         {0x11, 0x00, 0x04, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},
         [](GamePacket& p) { EXPECT_EQ(int32_t(ReadValue(p)), -1); }},
        {"RemoveWeapon",
         [](GamePacket& p) { WriteRemoveWeapon(p, 5); },
         {0x12, 0x00, 0x04, 0x00, 5, 0, 0, 0},
         [](GamePacket& p) { EXPECT_EQ(ReadValue(p), 5u); }},
        {"PlayerStatus",
         [](GamePacket& p) {
             SlotRecord r;
             r.id = 101;
             r.x = 1.5f;
             r.y = 2.0f;
             r.value = 80;
             WritePlayerStatus(p, &r, 1);
         },
         Bytes{0x13, 0x00, 0x0E, 0x00, 101, 0, 0, 0} + F1_5 + F2 + Bytes{80, 0},
         [](GamePacket& p) {
             SlotRecord r[kMaxRecords];
             ASSERT_EQ(ReadPlayerStatus(p, r), 1);
             EXPECT_EQ(r[0].id, 101u);
             EXPECT_EQ(r[0].y, 2.0f);
             EXPECT_EQ(r[0].value, 80);
         }},
        {"Notice",
         [](GamePacket& p) { WriteNotice(p, u"go"); },
         {0x14, 0x00, 0x04, 0x00, 'g', 0, 'o', 0},
         [](GamePacket& p) {
             std::u16string s;
             EXPECT_TRUE(ReadNotice(p, &s));
             EXPECT_EQ(s, u"go");
         }},
        {"TeamChange",
         [](GamePacket& p) { WriteTeamChange(p, 2); },
         {0x15, 0x00, 0x04, 0x00, 2, 0, 0, 0},
         [](GamePacket& p) { EXPECT_EQ(ReadValue(p), 2u); }},
        {"LevelCheck",
         [](GamePacket& p) { WriteLevelCheck(p, 0xDEADBEEF); },
         {0x16, 0x00, 0x04, 0x00, 0xEF, 0xBE, 0xAD, 0xDE},
         [](GamePacket& p) { EXPECT_EQ(ReadValue(p), 0xDEADBEEFu); }},
        {"LevelReady",
         [](GamePacket& p) { WriteLevelReady(p, 2); },
         {0x17, 0x00, 0x04, 0x00, 2, 0, 0, 0},
         [](GamePacket& p) { EXPECT_EQ(ReadLevelReady(p), 2u); }},
        {"FileChunk first",
         [](GamePacket& p) {
             const uint8_t data[3] = {1, 2, 3};
             WriteFirstChunk(p, 3, u"l.v", data, 3);
         },
         {0x18, 0x00, 0x0B, 0x00, 3, 0, 0, 0, 'l', '.', 'v', 0, 1, 2, 3},
         [](GamePacket& p) {
             FirstChunk c;
             ASSERT_TRUE(ReadFirstChunk(p, &c));
             EXPECT_EQ(c.total, 3u);
             EXPECT_EQ(c.name, u"l.v");
             ASSERT_EQ(c.size, 3);
             EXPECT_EQ(c.data[2], 3);
         }},
        {"FileChunk later",
         [](GamePacket& p) {
             const uint8_t data[2] = {9, 8};
             WriteChunk(p, data, 2);
         },
         {0x18, 0x00, 0x02, 0x00, 9, 8},
         [](GamePacket& p) {
             const uint8_t* data = nullptr;
             int size = 0;
             ReadChunk(p, &data, &size);
             ASSERT_EQ(size, 2);
             EXPECT_EQ(data[1], 8);
         }},
        {"DownloadAbort",
         [](GamePacket& p) { WriteEmpty(p, GameMessage::DownloadAbort); },
         {0x19, 0x00, 0x00, 0x00},
         [](GamePacket&) {}},
        {"LevelMismatch",
         [](GamePacket& p) { WriteEmpty(p, GameMessage::LevelMismatch); },
         {0x1A, 0x00, 0x00, 0x00},
         [](GamePacket&) {}},
        {"MissionItemTaken",
         [](GamePacket& p) { WriteMissionItemTaken(p, 101, 300); },
         {0x1B, 0x00, 0x08, 0x00, 101, 0, 0, 0, 0x2C, 0x01, 0, 0},
         Pair(101, 300)},
        {"MissionItemRemoved",
         [](GamePacket& p) { WriteMissionItemRemoved(p, 101, 300); },
         {0x1C, 0x00, 0x08, 0x00, 101, 0, 0, 0, 0x2C, 0x01, 0, 0},
         Pair(101, 300)},
        {"MissionItemsDropped",
         [](GamePacket& p) { WriteMissionItemsDropped(p, 101); },
         {0x1D, 0x00, 0x04, 0x00, 101, 0, 0, 0},
         [](GamePacket& p) { EXPECT_EQ(ReadValue(p), 101u); }},
        {"PlayerTable",
         [](GamePacket& p) {
             SlotRecord r;
             r.id = 101;
             r.value = 55;
             r.team = 7;
             WritePlayerTable(p, &r, 1);
         },
         {0x1E, 0x00, 0x08, 0x00, 101, 0, 0, 0, 55, 0, 7, 0},
         [](GamePacket& p) {
             SlotRecord r[kMaxRecords];
             ASSERT_EQ(ReadPlayerTable(p, r), 1);
             EXPECT_EQ(r[0].team, 7);
         }},
        {"Countdown", [](GamePacket& p) { WriteCountdown(p, 2.0f); }, Bytes{0x1F, 0x00, 0x04, 0x00} + F2,
         Floats({2.0f})},
        {"Explosion", [](GamePacket& p) { WriteExplosion(p, 1.5f, 2.0f, 3); },
         Bytes{0xE8, 0x03, 0x09, 0x00} + F1_5 + F2 + Bytes{3},
         [](GamePacket& p) {
             float x = 0, y = 0;
             uint8_t size = 0;
             EXPECT_TRUE(ReadExplosion(p, &x, &y, &size));
             EXPECT_EQ(x, 1.5f);
             EXPECT_EQ(size, 3);
         }},
        {"Blood", [](GamePacket& p) { WriteBlood(p, 1.5f, 2.0f, 0.5f); },
         Bytes{0xE9, 0x03, 0x0C, 0x00} + F1_5 + F2 + F0_5, Floats({1.5f, 2.0f, 0.5f})},
        {"Smoke", [](GamePacket& p) { WriteSmoke(p, 1.5f, 2.0f, 100.0f); },
         Bytes{0xEA, 0x03, 0x0C, 0x00} + F1_5 + F2 + F100, Floats({1.5f, 2.0f, 100.0f})},
        {"ObjectNotice",
         [](GamePacket& p) { WriteValue(p, GameMessage::ObjectNotice, 7); },
         {0xEB, 0x03, 0x04, 0x00, 7, 0, 0, 0},
         [](GamePacket& p) { EXPECT_EQ(ReadValue(p), 7u); }},
        {"GameModeTime", [](GamePacket& p) { WriteGameModeTime(p, 2.0f); }, Bytes{0xD1, 0x07, 0x04, 0x00} + F2,
         Floats({2.0f})},
        {"GameModeData",
         [](GamePacket& p) { WriteGameModeData(p, 20, 100); },
         {0xD2, 0x07, 0x08, 0x00, 20, 0, 0, 0, 100, 0, 0, 0},
         Pair(20, 100)},
        {"GameModeCapture",
         [](GamePacket& p) { WriteGameModeCapture(p, 7); },
         {0xD4, 0x07, 0x04, 0x00, 7, 0, 0, 0},
         [](GamePacket& p) { EXPECT_EQ(ReadValue(p), 7u); }},
    };
}

TEST(GameMessageGolden, EveryTypeHasItsLayoutAndReadsBack)
{
    RecordingHandler handler;
    std::vector<uint8_t> stream;
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        MemoryConnection link;
        GamePacket packet;
        row.write(packet);
        ASSERT_TRUE(packet.Send(&link));
        EXPECT_EQ(link.sent, row.wire);
        TestSupport::WriteFuzzSeed("game_messages", row.name, row.wire);
        stream.insert(stream.end(), row.wire.begin(), row.wire.end());
        link.inbound = link.sent;
        GamePacket* in = handler.ReceiveNext(&link);
        ASSERT_NE(in, nullptr);
        EXPECT_EQ(in->GetType(), row.wire[0] | (row.wire[1] << 8));
        row.check(*in);
        EXPECT_EQ(in->GetRemaining(), 0);
        EXPECT_TRUE(link.inbound.empty());
    }
    TestSupport::WriteFuzzSeed("game_messages", "every_type", stream);
}

// Short messages read as the defaults; texts over their limit are ignored.
TEST(GameMessageGolden, ShortAndOverlongPayloads)
{
    GamePacket p;
    p.Begin(uint16_t(GameMessage::WeaponUpdate));
    const uint8_t six[6] = {7, 0, 0, 0, 12, 0};
    p.WriteBytes(six, 6);
    uint32_t id = 0;
    int16_t ammo = 0, clip = 0;
    ReadWeaponUpdate(p, &id, &ammo, &clip);
    EXPECT_EQ(ammo, 12);
    EXPECT_EQ(clip, 0);

    p.Begin(uint16_t(GameMessage::PlayerSlotUpdate));
    p.WriteBytes(six, 6);
    SlotRecord r;
    ReadPlayerSlotUpdate(p, &r);
    EXPECT_EQ(r.team, 65535);

    // 70 bytes: five whole records.
    p.Begin(uint16_t(GameMessage::PlayerStatus));
    for (int i = 0; i < 70; ++i)
        p.WriteByte(1);
    SlotRecord records[kMaxRecords];
    EXPECT_EQ(ReadPlayerStatus(p, records), 5);

    // Chat: 511 bytes (flag and 255 units) shown, 512 ignored.
    std::u16string text(255, u'x');
    uint8_t flag = 0;
    std::u16string out;
    p.Begin(uint16_t(GameMessage::Chat));
    p.WriteByte(0);
    p.WriteChars(text.c_str(), 255);
    EXPECT_TRUE(ReadFlaggedText(p, &flag, &out));
    EXPECT_EQ(out.size(), 255u);
    p.WriteByte(0);
    p.SetReceived(uint16_t(GameMessage::Chat), 512);
    EXPECT_FALSE(ReadFlaggedText(p, &flag, &out));

    // A blast that is not finite is refused; an item that does not fit is
    // skipped whole while later ones still go in.
    WriteBlast(p, 1.0f, std::numeric_limits<float>::infinity(), 1.0f, 1.0f);
    float v[4];
    EXPECT_FALSE(ReadFloats(p, v, 4));
    p.Begin(1);
    std::u16string big(509, u'a');
    EXPECT_TRUE(p.WriteChars(big.c_str(), 509));
    EXPECT_FALSE(p.Write32(1));
    EXPECT_TRUE(p.Write16(2));
    EXPECT_EQ(p.GetLength(), 1020);

    // A 64-unit uid fills the field with no zero byte; a long name is cut to
    // 63 units so that the server never ignores the join.
    std::u16string uid(70, u'k'), name(80, u'n');
    WriteJoin(p, uid.c_str(), name.c_str(), 0);
    EXPECT_EQ(p.GetLength(), 68 + 126);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(p.GetPayload()[i], 'k');
    // A join received shorter than its fixed part, or with a name past 63
    // units, is refused before anything is read.
    JoinRequest j;
    p.SetReceived(uint16_t(GameMessage::Join), 68 + 126);
    EXPECT_TRUE(ReadJoin(p, &j));
    for (int length : {67, 68 + 128}) {
        p.SetReceived(uint16_t(GameMessage::Join), length);
        EXPECT_FALSE(ReadJoin(p, &j)) << length;
    }
}

} // namespace
