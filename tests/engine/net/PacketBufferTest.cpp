#include "engine/net/PacketBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using MPAPI::PacketBuffer;

namespace {

std::vector<uint8_t> Bytes(const PacketBuffer& p)
{
    return std::vector<uint8_t>(p.GetData(), p.GetData() + p.GetSize());
}

void MoveTo(PacketBuffer& p, int bytePos, int bitPos)
{
    p.Clear();
    for (int i = 0; i < bytePos; ++i)
        ASSERT_TRUE(p.WriteBits(8, 0));
    for (int i = 0; i < bitPos; ++i)
        ASSERT_TRUE(p.WriteBit(false));
}

TEST(PacketBuffer, U8AtBitThreeStraddlesIntoTheNextByte)
{
    PacketBuffer p;
    p.Clear();
    p.WriteBits(3, 0b101);
    ASSERT_TRUE(p.WriteU8(0xAB)); // 1010 1011
    EXPECT_EQ(p.GetBytePosition(), 1);
    EXPECT_EQ(p.GetBitPosition(), 3);
    p.Finish();
    // Low 5 bits of 0xAB (01011) sit in bits 3..7, high 3 bits (101) in bits 0..2.
    EXPECT_EQ(Bytes(p), (std::vector<uint8_t>{uint8_t(0b01011101), 0b101}));
}

TEST(PacketBuffer, MixedWritesGiveExactBytesAndReadBack)
{
    PacketBuffer p;
    p.Clear();
    p.WriteU8(0x40);
    p.WriteBit(true);
    p.WriteU16(0x1234);
    p.WriteU32(0xDEADBEEF);
    p.WriteFloat(1.5f);
    p.WriteBits(2, 3);
    const uint8_t raw[3] = {1, 2, 3};
    p.WriteBytes(3, raw);
    p.Finish();
    ASSERT_EQ(p.GetSize(), 15);
    // The first byte is aligned; everything after it is shifted by one bit.
    EXPECT_EQ(p.GetData()[0], 0x40);
    EXPECT_EQ(p.GetData()[1], uint8_t((0x34 << 1) | 1));

    PacketBuffer r;
    ASSERT_TRUE(r.SetupReader(p.GetData(), p.GetSize()));
    EXPECT_EQ(r.ReadU8(), 0x40);
    EXPECT_TRUE(r.ReadBit());
    EXPECT_EQ(r.ReadU16(), 0x1234);
    EXPECT_EQ(r.ReadU32(), 0xDEADBEEFu);
    EXPECT_EQ(r.ReadFloat(), 1.5f);
    EXPECT_EQ(r.Read2Bits(), 3);
    uint8_t back[3];
    EXPECT_TRUE(r.ReadBytes(3, back));
    EXPECT_EQ(std::memcmp(back, raw, 3), 0);
    EXPECT_FALSE(r.Overrun());
}

TEST(PacketBuffer, Read2BitsTakesTheFirstBitAsLow)
{
    PacketBuffer p;
    p.Clear();
    p.WriteBit(false);
    p.WriteBit(true);
    p.Finish();
    PacketBuffer r;
    r.SetupReader(p.GetData(), p.GetSize());
    EXPECT_EQ(r.Read2Bits(), 2);
}

TEST(PacketBuffer, RoomTestsNearTheLimit)
{
    PacketBuffer p;
    MoveTo(p, 1398, 0);
    EXPECT_FALSE(p.WriteU16(1));
    EXPECT_EQ(p.GetBytePosition(), 1398);
    EXPECT_TRUE(p.WriteU8(1));
    EXPECT_FALSE(p.WriteU8(1)); // at 1399
    EXPECT_TRUE(p.WriteBit(true));
    EXPECT_EQ(p.GetBitPosition(), 1);

    MoveTo(p, 1396, 0);
    EXPECT_FALSE(p.WriteU32(7));
    EXPECT_FALSE(p.WriteFloat(1.0f));
    uint8_t bytes[4] = {};
    EXPECT_FALSE(p.WriteBytes(4, bytes));
    EXPECT_TRUE(p.WriteBytes(3, bytes));

    // A narrowed limit holds the same way.
    p.Clear();
    p.SetLimit(4);
    EXPECT_FALSE(p.WriteU32(1));
    EXPECT_TRUE(p.WriteU16(1));
    EXPECT_EQ(p.GetBytePosition(), 2);
}

TEST(PacketBuffer, FailedWriteLeavesTheBufferAsItWas)
{
    PacketBuffer p;
    MoveTo(p, 1397, 5);
    std::vector<uint8_t> before(p.GetData(), p.GetData() + PacketBuffer::kCapacity);
    EXPECT_FALSE(p.WriteU32(0xFFFFFFFF));
    EXPECT_FALSE(p.WriteBits(24, 0xFFFFFF));
    EXPECT_EQ(p.GetBytePosition(), 1397);
    EXPECT_EQ(p.GetBitPosition(), 5);
    EXPECT_EQ(std::vector<uint8_t>(p.GetData(), p.GetData() + PacketBuffer::kCapacity), before);
}

TEST(PacketBuffer, RollBackRestoresTheSavedBufferBitForBit)
{
    PacketBuffer p;
    p.Clear();
    p.WriteU8(0x40);
    p.WriteBits(5, 0b10110);
    p.SavePosition();
    p.Finish();
    std::vector<uint8_t> saved(p.GetData(), p.GetData() + PacketBuffer::kCapacity);
    int savedSize = p.GetSize();

    p.WriteU32(0xFFFFFFFF);
    p.WriteU32(0x12345678);
    p.WriteBit(true);
    p.RollBack();
    EXPECT_EQ(p.GetSize(), savedSize);
    EXPECT_EQ(p.GetBytePosition(), 1);
    EXPECT_EQ(p.GetBitPosition(), 5);
    EXPECT_EQ(std::vector<uint8_t>(p.GetData(), p.GetData() + PacketBuffer::kCapacity), saved);

    // Writing again after the roll-back ORs into clean bits.
    p.WriteU8(0x00);
    p.Finish();
    EXPECT_EQ(p.GetData()[2], 0);
}

TEST(PacketBuffer, ReadsNeverPassTheReceivedBytes)
{
    const uint8_t data[3] = {0xFF, 0xFF, 0xFF};
    struct Case {
        const char* name;
        int skipBits;
        int (*read)(PacketBuffer&);
    };
    const Case cases[] = {
        {"u32 of 3 bytes", 0, [](PacketBuffer& r) { return int(r.ReadU32()); }},
        {"u16 from bit 9", 9, [](PacketBuffer& r) { return int(r.ReadU16()); }},
        {"u8 from bit 17", 17, [](PacketBuffer& r) { return int(r.ReadU8()); }},
        {"float of 3 bytes", 0, [](PacketBuffer& r) { return int(r.ReadFloat()); }},
        {"bit past the end", 24, [](PacketBuffer& r) { return int(r.ReadBit()); }},
        {"bytes from bit 1", 1,
         [](PacketBuffer& r) {
             uint8_t out[3];
             return int(r.ReadBytes(3, out));
         }},
    };
    for (const Case& c : cases) {
        PacketBuffer r;
        ASSERT_TRUE(r.SetupReader(data, 3));
        for (int i = 0; i < c.skipBits; ++i)
            r.ReadBit();
        int bitsBefore = r.BitsLeft();
        EXPECT_EQ(c.read(r), 0) << c.name;
        EXPECT_TRUE(r.Overrun()) << c.name;
        EXPECT_EQ(r.BitsLeft(), bitsBefore) << c.name;
    }
}

TEST(PacketBuffer, StaleBytesOfAnEarlierDatagramAreNotRead)
{
    PacketBuffer r;
    const uint8_t big[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    r.SetupReader(big, 8);
    const uint8_t small[1] = {9};
    r.SetupReader(small, 1);
    EXPECT_EQ(r.ReadU8(), 9);
    EXPECT_EQ(r.ReadU8(), 0);
    EXPECT_TRUE(r.Overrun());
}

TEST(PacketBuffer, ReaderRefusesOversizeInput)
{
    std::vector<uint8_t> big(PacketBuffer::kCapacity + 1, 0xFF);
    PacketBuffer r;
    EXPECT_FALSE(r.SetupReader(big.data(), int(big.size())));
    EXPECT_EQ(r.GetSize(), 0);
    EXPECT_FALSE(r.ReadBit());
}

} // namespace
