#pragma once

#include "engine/net/FieldLayout.h"
#include "engine/net/PacketBuffer.h"

#include <cstdint>
#include <vector>

namespace MPAPI {

// The fields of one object in an update entry, as bits. Which fields go is
// each connection's own choice, but two connections due the same fields of
// the same values get the same bits: a pass encodes them once per object
// and copies them into every packet that wants them.
class FieldEncoding {
public:
    // One choice per field record: a scalar's change bit (0 or 1); at the
    // first record of a vector its four bits (x with its velocity, y with
    // its velocity, x alone, y alone, lowest first) or kVectorWithheld.
    static constexpr uint8_t kVectorWithheld = 0x10;

    // Writes the fields as chosen, with the values of the records (a vector
    // of the own player goes with zero velocities), after the head of an
    // update entry (its id and operation 0) when updateOf names the id;
    // false when it runs out of room, at the same write as writing them one
    // by one would.
    static bool Write(PacketBuffer& packet, const FieldLayout& layout, const uint32_t* values, const uint8_t* choices,
                      bool ownPlayer, const int32_t* updateOf = nullptr);

    // The same, copying the bits kept for pass and key (the choices packed
    // as the bits that say so on the wire; the values belong to the pass),
    // made by the first call for them. Null choices are read from the key,
    // which then holds no withheld vector.
    bool WriteKept(PacketBuffer& packet, uint64_t pass, uint64_t key, int keyBits, const FieldLayout& layout,
                   const uint32_t* values, const uint8_t* choices, const int32_t* updateOf = nullptr);

    // The same for an update of the entry id where only vectors go (each
    // vector's four bits at its place among the layout's change bits in
    // key, none withheld, the layout's change bits 64 at most).
    bool WriteVectorsKept(PacketBuffer& packet, uint64_t pass, uint64_t key, const FieldLayout& layout,
                          const uint32_t* values, int32_t id)
    {
        if (Kept(pass, key, layout.GetScalarCount() + 4 * layout.GetVectorCount(), true, id) &&
            packet.AppendBits(kept_.data(), bits_))
            return true;
        return EncodeVectors(packet, pass, key, layout, values, id);
    }

    void Forget() { bits_ = -1; }

private:
    bool Kept(uint64_t pass, uint64_t key, int keyBits, bool head, int32_t id) const
    {
        return bits_ >= 0 && pass_ == pass && key_ == key && keyBits_ == keyBits && head_ == head && id_ == id;
    }
    void Keep(uint64_t pass, uint64_t key, int keyBits, bool head, int32_t id, int bits);
    // WriteVectorsKept's encoding, and its writes one by one near the end
    // of the room.
    bool EncodeVectors(PacketBuffer& packet, uint64_t pass, uint64_t key, const FieldLayout& layout,
                       const uint32_t* values, int32_t id);

    uint64_t pass_ = 0;
    uint64_t key_ = 0;
    int keyBits_ = -1;
    bool head_ = false;
    int32_t id_ = 0;
    int bits_ = -1; // -1: nothing kept
    std::vector<uint64_t> kept_;
};

} // namespace MPAPI
