#include "engine/net/FieldLayout.h"

namespace MPAPI {

bool FieldLayout::Parse(const FieldRecord* table)
{
    effect_ = false;
    fields_ = nullptr;
    count_ = scalars_ = vectors_ = 0;
    if (!table)
        return false;
    int start = 0;
    if (table[0].type == kHeaderReplicated || table[0].type == kHeaderEffect) {
        effect_ = table[0].type == kHeaderEffect;
        start = 1;
    }
    int n = 0;
    while (table[start + n].type != kFieldEnd) {
        if (table[start + n].type == kFieldVector) {
            for (int k = 1; k < 4; ++k)
                if (start + n + k >= kMaxRecords || table[start + n + k].type == kFieldEnd)
                    return false;
            n += 4;
        } else {
            ++n;
        }
        if (start + n >= kMaxRecords)
            return false;
    }
    fields_ = table + start;
    count_ = n;
    scalars_ = vectors_ = 0;
    int bits = 0;
    for (int i = 0; i < n; ++i) {
        int32_t type = fields_[i].type;
        if (type >= kFieldByte && type <= kFieldFloat) {
            ++scalars_;
            ++bits;
        } else if (type == kFieldVector) {
            if (vectors_ < kMaxVectors) {
                vectorAt_[vectors_] = uint8_t(i);
                vectorBit_[vectors_] = uint16_t(bits);
            }
            ++vectors_;
            bits += 4;
            i += 3;
        }
    }
    return true;
}

void FieldLayout::WriteMember(Object* object, const FieldRecord& record, uint32_t value)
{
    uint8_t* p = object->MemberAt(record.member);
    switch (record.type) {
    case kFieldByte:
        *p = uint8_t(value);
        break;
    case kFieldInt16: {
        uint16_t v = uint16_t(value);
        std::memcpy(p, &v, 2);
        break;
    }
    case kFieldBool: {
        bool b = value == 1;
        std::memcpy(p, &b, 1);
        break;
    }
    case kFieldInt32:
    case kFieldWord:
    case kFieldFloat:
    case kFieldVector:
        std::memcpy(p, &value, 4);
        break;
    default:
        break;
    }
}

int FieldLayout::WireBits(int32_t type)
{
    switch (type) {
    case kFieldByte:
        return 8;
    case kFieldInt16:
        return 16;
    case kFieldBool:
        return 1;
    case kFieldInt32:
    case kFieldWord:
    case kFieldFloat:
        return 32;
    default:
        return 0;
    }
}

} // namespace MPAPI
