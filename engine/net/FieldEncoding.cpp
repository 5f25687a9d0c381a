#include "engine/net/FieldEncoding.h"

#include "engine/net/PacketBuffer.h"

namespace MPAPI {

namespace {

// Writes through the packet's own writes, each with its room test.
struct PacketSink {
    PacketBuffer& p;
    bool Bit(bool b) { return p.WriteBit(b); }
    bool Bits(int count, uint32_t v) { return p.WriteBits(count, v); }
    bool U32(uint32_t v) { return p.WriteU32(v); }
};

// Gathers the bits into whole words, as AppendBits takes them.
struct WordSink {
    uint64_t* out;
    uint64_t pending = 0;
    int held = 0; // bits in pending, below 64
    int total = 0;
    bool Bits(int count, uint32_t v)
    {
        uint64_t value = count >= 32 ? v : v & ((1u << count) - 1u);
        pending |= value << held;
        total += count;
        held += count;
        if (held >= 64) {
            *out++ = pending;
            held -= 64;
            // What did not fit; count <= 32 puts the start past bit 31.
            pending = held ? value >> (count - held) : 0;
        }
        return true;
    }
    bool Bit(bool b) { return Bits(1, b); }
    bool U32(uint32_t v) { return Bits(32, v); }
    void Finish()
    {
        if (held > 0)
            *out = pending;
    }
};

template <class Sink> bool Emit(Sink& sink, const FieldLayout& layout, const uint32_t* values, const uint8_t* choices,
                                bool ownPlayer, const int32_t* updateOf)
{
    if (updateOf && (!sink.U32(uint32_t(*updateOf)) || !sink.Bits(2, 0)))
        return false;
    const FieldRecord* f = layout.GetFields();
    int n = layout.GetCount();
    for (int i = 0; i < n; ++i) {
        int32_t type = f[i].type;
        if (type >= kFieldByte && type <= kFieldFloat) {
            bool changed = choices[i] != 0;
            if (!sink.Bit(changed))
                return false;
            if (changed && !sink.Bits(FieldLayout::WireBits(type), values[i]))
                return false;
            continue;
        }
        if (type != kFieldVector)
            continue;
        uint8_t c = choices[i];
        if (c & FieldEncoding::kVectorWithheld) {
            if (!sink.Bits(4, 0))
                return false;
            i += 3;
            continue;
        }
        for (int axis = 0; axis < 2; ++axis) {
            bool with = (c >> axis) & 1;
            if (!sink.Bit(with))
                return false;
            if (with && (!sink.U32(values[i + axis]) || !sink.U32(ownPlayer ? 0u : values[i + 2 + axis])))
                return false;
        }
        for (int axis = 0; axis < 2; ++axis) {
            bool alone = (c >> (2 + axis)) & 1;
            if (!sink.Bit(alone))
                return false;
            if (alone && !sink.U32(values[i + axis]))
                return false;
        }
        i += 3;
    }
    return true;
}

} // namespace

bool FieldEncoding::Write(PacketBuffer& p, const FieldLayout& layout, const uint32_t* values, const uint8_t* choices,
                          bool ownPlayer, const int32_t* updateOf)
{
    PacketSink sink{p};
    return Emit(sink, layout, values, choices, ownPlayer, updateOf);
}

namespace {

// The choices whose wire bits key holds.
void ChoicesOf(const FieldLayout& layout, uint64_t key, uint8_t* choices)
{
    const FieldRecord* f = layout.GetFields();
    int n = layout.GetCount();
    int bit = 0;
    for (int i = 0; i < n; ++i) {
        choices[i] = 0;
        int32_t type = f[i].type;
        if (type >= kFieldByte && type <= kFieldFloat) {
            choices[i] = uint8_t((key >> (bit++ & 63)) & 1);
        } else if (type == kFieldVector) {
            choices[i] = uint8_t((key >> (bit & 63)) & 0xF);
            bit += 4;
            for (int k = 1; k < 4 && i + 1 < n; ++k)
                choices[++i] = 0;
        }
    }
}

} // namespace

bool FieldEncoding::WriteKept(PacketBuffer& p, uint64_t pass, uint64_t key, int keyBits, const FieldLayout& layout,
                              const uint32_t* values, const uint8_t* choices, const int32_t* updateOf)
{
    bool head = updateOf != nullptr;
    int32_t id = head ? *updateOf : 0;
    uint8_t read[FieldLayout::kMaxRecords];
    bool fresh = !Kept(pass, key, keyBits, head, id);
    if (!choices && fresh) {
        ChoicesOf(layout, key, read);
        choices = read;
    }
    if (fresh) {
        // A vector group's four records take at most 196 bits, any other
        // record 33, the head 34.
        kept_.resize(size_t(layout.GetCount()) * 49 / 64 + 2);
        WordSink sink{kept_.data()};
        Emit(sink, layout, values, choices, false, updateOf);
        sink.Finish();
        Keep(pass, key, keyBits, head, id, sink.total);
    }
    // Near the end of the room the writes one by one decide where it ends.
    if (p.AppendBits(kept_.data(), bits_))
        return true;
    if (!choices) {
        ChoicesOf(layout, key, read);
        choices = read;
    }
    return Write(p, layout, values, choices, false, updateOf);
}

void FieldEncoding::Keep(uint64_t pass, uint64_t key, int keyBits, bool head, int32_t id, int bits)
{
    pass_ = pass;
    key_ = key;
    keyBits_ = keyBits;
    head_ = head;
    id_ = id;
    bits_ = bits;
}

bool FieldEncoding::EncodeVectors(PacketBuffer& p, uint64_t pass, uint64_t key, const FieldLayout& layout,
                                  const uint32_t* values, int32_t id)
{
    const int vectors = layout.GetVectorCount();
    const int keyBits = layout.GetScalarCount() + 4 * vectors;
    if (!Kept(pass, key, keyBits, true, id)) {
        // The head, the change bits (the scalars' all clear) and the values
        // after the bits of their vector, each bit where Emit puts it.
        const size_t words = size_t(34 + keyBits + 128 * vectors) / 64 + 2;
        kept_.assign(words, 0);
        uint64_t* out = kept_.data();
        auto put = [out](int at, uint32_t value, int count) {
            uint64_t bits = count >= 32 ? value : value & ((1u << count) - 1u);
            int offset = at & 63;
            out[at >> 6] |= bits << offset;
            if (offset + count > 64)
                out[(at >> 6) + 1] |= bits >> (64 - offset);
        };
        put(0, uint32_t(id), 32);
        int carried = 0;
        for (int k = 0; k < vectors; ++k) {
            const int i = layout.GetVectorAt(k);
            const unsigned c = unsigned(key >> (layout.GetVectorBitAt(k) & 63)) & 0xF;
            int at = 34 + layout.GetVectorBitAt(k) + carried;
            for (int axis = 0; axis < 2; ++axis) {
                if (!(c & (1u << axis))) {
                    ++at;
                    continue;
                }
                put(at++, 1, 1);
                put(at, values[i + axis], 32);
                put(at + 32, values[i + 2 + axis], 32);
                at += 64;
                carried += 64;
            }
            for (int axis = 0; axis < 2; ++axis) {
                if (!(c & (4u << axis))) {
                    ++at;
                    continue;
                }
                put(at++, 1, 1);
                put(at, values[i + axis], 32);
                at += 32;
                carried += 32;
            }
        }
        Keep(pass, key, keyBits, true, id, 34 + keyBits + carried);
    }
    if (p.AppendBits(kept_.data(), bits_))
        return true;
    uint8_t choices[FieldLayout::kMaxRecords];
    ChoicesOf(layout, key, choices);
    return Write(p, layout, values, choices, false, &id);
}

} // namespace MPAPI
