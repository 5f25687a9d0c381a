#pragma once

#include <cstdint>

namespace MPAPI {

class PacketBuffer;

// The small unreliable block a client sends with its packets: nine 32-bit
// fields (block sequence, flags, value, x, y, int A, int B, point u, v).
class ClientStateBlock {
public:
    static constexpr int kBits = 9 * 32;

    int flags = 0;
    float value = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    int intA = 0;
    int intB = 0;
    float u = 0.0f;
    float v = 0.0f;

    void Clear() { *this = ClientStateBlock(); }

    // Writes the whole block or, when it does not fit, nothing at all: a
    // block cut short would hand the server stale fields.
    bool Write(PacketBuffer& packet, uint32_t sequence) const;
    // Reads a whole block; false, leaving out unchanged, when fewer than
    // kBits remain or a float is not finite.
    static bool Read(PacketBuffer& packet, uint32_t* sequence, ClientStateBlock* out);

    // Block sequences run 1..0xFFFF, then 1.
    static uint32_t NextSequence(uint32_t sequence) { return sequence >= 0xFFFF ? 1 : sequence + 1; }
    // A block older than the last one by less than 32,000 is stale; past
    // that distance the sequence has wrapped and counts as newer. Older is
    // counted back round the ring, so a late block from just before the wrap
    // is stale after one from just after it.
    static bool IsStale(uint32_t sequence, uint32_t last)
    {
        if (sequence < 1 || sequence > 0xFFFF || last < 1 || last > 0xFFFF)
            return sequence < last && last - sequence < 32000;
        uint32_t behind = (last + 0xFFFF - sequence) % 0xFFFF;
        return behind != 0 && behind < 32000;
    }
};

} // namespace MPAPI
