#pragma once

#include "engine/net/Object.h"

#include <cstdint>

namespace MPAPI {

// What the replication layer needs of a field table: its kind and its field
// records past the header. Tables come from game code; a malformed one (no
// end within kMaxRecords, a vector group cut short) is refused.
class FieldLayout {
public:
    static constexpr int kMaxRecords = 256;

    // False for a missing or malformed table.
    bool Parse(const FieldRecord* table);

    bool IsEffect() const { return effect_; }
    const FieldRecord* GetFields() const { return fields_; }
    int GetCount() const { return count_; }
    // The fields that carry a change bit of their own (types 3 to 8), and
    // the vector groups: the record each starts at, and where its four
    // change bits sit among all of an entry's, in table order. Only the
    // first kMaxVectors groups are listed.
    static constexpr int kMaxVectors = 8;
    int GetScalarCount() const { return scalars_; }
    int GetVectorCount() const { return vectors_; }
    int GetVectorAt(int k) const { return vectorAt_[k]; }
    int GetVectorBitAt(int k) const { return vectorBit_[k]; }

    // The value of field record i of object as 32 bits (a bool as 0 or 1,
    // a float as its bits).
    static uint32_t ReadMember(Object* object, const FieldRecord& record); // inline below
    static void WriteMember(Object* object, const FieldRecord& record, uint32_t value);
    // Bits of a value of this type on the wire, 0 for types that carry none.
    static int WireBits(int32_t type);

private:
    bool effect_ = false;
    const FieldRecord* fields_ = nullptr;
    int count_ = 0;
    int scalars_ = 0;
    int vectors_ = 0;
    uint8_t vectorAt_[kMaxVectors] = {};
    uint16_t vectorBit_[kMaxVectors] = {};
};

inline uint32_t FieldLayout::ReadMember(Object* object, const FieldRecord& record)
{
    const uint8_t* p = object->MemberAt(record.member);
    switch (record.type) {
    case kFieldByte:
        return *p;
    case kFieldInt16: {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    case kFieldBool:
        return *p == 1 ? 1 : 0;
    case kFieldInt32:
    case kFieldWord:
    case kFieldFloat:
    case kFieldVector: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    default:
        return 0;
    }
}

} // namespace MPAPI
