// The bits a pass keeps for an object are copied into other packets at any
// bit position: the copy must give the bytes, and run out of room at the
// same place, as writing the fields one by one.
#include "engine/net/FieldEncoding.h"
#include "MpapiTestObjects.h"
#include "engine/net/PacketBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

using MPAPI::FieldEncoding;
using MPAPI::FieldLayout;
using MPAPI::PacketBuffer;

namespace {

void StartAt(PacketBuffer& p, int bits, int limit)
{
    p.Clear();
    for (int i = 0; i < bits; ++i)
        p.WriteBit(i % 3 == 0);
    p.SetLimit(limit);
}

// The same start in two buffers, one written field by field and the other
// by `kept`: both agree on whether it fitted and on every byte.
template <class Kept> void ExpectSameAsFieldByField(const FieldLayout& layout, const uint32_t* values,
                                                    const uint8_t* choices, const int32_t* head, int startBits,
                                                    int limit, Kept kept)
{
    PacketBuffer one, copy;
    StartAt(one, startBits, limit);
    StartAt(copy, startBits, limit);
    const bool wrote = FieldEncoding::Write(one, layout, values, choices, false, head);
    ASSERT_EQ(wrote, kept(copy)) << startBits << " " << limit;
    one.Finish();
    copy.Finish();
    ASSERT_EQ(one.GetSize(), copy.GetSize());
    ASSERT_EQ(0, std::memcmp(one.GetData(), copy.GetData(), size_t(one.GetSize())));
}

TEST(FieldEncoding, KeptBitsMatchFieldByFieldWritesAtEveryOffsetAndRoomEdge)
{
    NetTest::Thing thing;
    FieldLayout layout;
    ASSERT_TRUE(layout.Parse(thing.GetFieldTable()));
    const int n = layout.GetCount();
    std::vector<uint32_t> values(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        values[size_t(i)] = 0x9E3779B9u * uint32_t(i + 1);
    // Every scalar goes, and the vector as x and y with velocities, then
    // only the byte and the vector's x alone.
    std::vector<uint8_t> all(size_t(n), 1), some(size_t(n), 0);
    all[6] = 0x3;
    some[0] = 1;
    some[6] = 0x4;
    const int32_t id = -0x7654321;
    std::vector<std::pair<const std::vector<uint8_t>*, const int32_t*>> cases;
    for (const std::vector<uint8_t>* choices : {&all, &some})
        for (const int32_t* head : {static_cast<const int32_t*>(nullptr), &id})
            cases.emplace_back(choices, head);
    for (auto [choices, head] : cases) {
        const uint64_t key = choices == &all ? 1 : 2;
        FieldEncoding kept;
        PacketBuffer first;
        StartAt(first, 5, PacketBuffer::kCapacity);
        ASSERT_TRUE(kept.WriteKept(first, 7, key, n, layout, values.data(), choices->data(), head));
        int bytes = (5 + first.GetBytePosition() * 8 + first.GetBitPosition()) / 8;
        for (int offset = 0; offset < 16; ++offset) {
            for (int limit = bytes - 4; limit < bytes + 8; ++limit)
                ASSERT_NO_FATAL_FAILURE(ExpectSameAsFieldByField(
                    layout, values.data(), choices->data(), head, 64 + offset, limit + 8, [&](PacketBuffer& copy) {
                        return kept.WriteKept(copy, 7, key, n, layout, values.data(), choices->data(), head);
                    }));
        }
    }
}

// An update of only the vector, its bits placed straight from the key, as
// a pass writes most entries.
TEST(FieldEncoding, VectorOnlyUpdatesMatchFieldByFieldWrites)
{
    NetTest::Thing thing;
    FieldLayout layout;
    ASSERT_TRUE(layout.Parse(thing.GetFieldTable()));
    const int n = layout.GetCount();
    std::vector<uint32_t> values(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        values[size_t(i)] = 0x85EBCA6Bu * uint32_t(i + 3);
    const int32_t id = 0x1234567;
    for (unsigned c = 1; c < 16; ++c) {
        std::vector<uint8_t> choices(size_t(n), 0);
        choices[size_t(layout.GetVectorAt(0))] = uint8_t(c);
        const uint64_t key = uint64_t(c) << layout.GetVectorBitAt(0);
        FieldEncoding kept;
        for (int offset = 0; offset < 70; offset += 3) {
            for (int limit = 20; limit < 40; ++limit)
                ASSERT_NO_FATAL_FAILURE(ExpectSameAsFieldByField(
                    layout, values.data(), choices.data(), &id, offset, limit,
                    [&](PacketBuffer& copy) { return kept.WriteVectorsKept(copy, 3, key, layout, values.data(), id); }))
                    << c;
        }
    }
}

} // namespace
