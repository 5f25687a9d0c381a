#include "engine/net/FieldEncoding.h"

#include "engine/net/PacketBuffer.h"

namespace MPAPI {

bool FieldEncoding::Write(PacketBuffer& p, const FieldLayout& layout, const uint32_t* values, const uint8_t* choices,
                          bool ownPlayer)
{
    const FieldRecord* f = layout.GetFields();
    int n = layout.GetCount();
    for (int i = 0; i < n; ++i) {
        int32_t type = f[i].type;
        if (type >= kFieldByte && type <= kFieldFloat) {
            bool changed = choices[i] != 0;
            if (!p.WriteBit(changed))
                return false;
            if (changed && !p.WriteBits(FieldLayout::WireBits(type), values[i]))
                return false;
            continue;
        }
        if (type != kFieldVector)
            continue;
        uint8_t c = choices[i];
        if (c & kVectorWithheld) {
            if (!p.WriteBits(4, 0))
                return false;
            i += 3;
            continue;
        }
        for (int axis = 0; axis < 2; ++axis) {
            bool with = (c >> axis) & 1;
            if (!p.WriteBit(with))
                return false;
            if (with && (!p.WriteU32(values[i + axis]) || !p.WriteU32(ownPlayer ? 0u : values[i + 2 + axis])))
                return false;
        }
        for (int axis = 0; axis < 2; ++axis) {
            bool alone = (c >> (2 + axis)) & 1;
            if (!p.WriteBit(alone))
                return false;
            if (alone && !p.WriteU32(values[i + axis]))
                return false;
        }
        i += 3;
    }
    return true;
}

bool FieldEncoding::WriteKept(PacketBuffer& p, uint32_t pass, uint64_t key, int keyBits, const FieldLayout& layout,
                              const uint32_t* values, const uint8_t* choices)
{
    if (bits_ >= 0 && pass_ == pass && key_ == key && keyBits_ == keyBits) {
        // Near the end of the room the writes one by one decide where it ends.
        return p.AppendBits(kept_.data(), bits_) || Write(p, layout, values, choices, false);
    }
    int from = p.GetBytePosition() * 8 + p.GetBitPosition();
    if (!Write(p, layout, values, choices, false))
        return false;
    bits_ = p.GetBytePosition() * 8 + p.GetBitPosition() - from;
    kept_.resize(size_t(bits_ + 31) / 32);
    p.CopyBits(from, bits_, kept_.data());
    pass_ = pass;
    key_ = key;
    keyBits_ = keyBits;
    return true;
}

} // namespace MPAPI
