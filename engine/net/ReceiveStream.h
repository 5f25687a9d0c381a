#pragma once

#include <cstdint>

namespace MPAPI {

// The incoming half of a connection's reliable byte stream. Chunks enter in
// sequence order; chunks that come early wait in re-order slots. Sequences
// are compared on the wrapping ring, so a late repeat just after the wrap is
// still known as a repeat.
class ReceiveStream {
public:
    static constexpr int kMaxUnread = 13000;
    static constexpr int kReclaimAt = 1300;
    static constexpr int kCapacity = kMaxUnread + kReclaimAt;
    static constexpr int kReorderSlots = 10;
    static constexpr int kMaxChunk = 1300;

    enum class Offer {
        Taken,  // entered the stream, or waits in a re-order slot
        Repeat, // already had it: acknowledge again, take nothing
        Refused // no room, or out of the window: not acknowledged, so resent
    };

    ReceiveStream();
    void Reset();

    Offer OfferChunk(uint16_t sequence, const uint8_t* bytes, int length);

    int GetUnread() const { return unread_; }
    uint16_t GetExpected() const { return expected_; }
    void SetExpected(uint16_t sequence) { expected_ = sequence; }
    int GetWaitingChunks() const;

    // length bytes starting offset bytes into the unread data; false, with
    // nothing copied, when they are not all there.
    bool CopyOut(void* out, int offset, int length) const;
    // Consumes length bytes; false with nothing consumed when fewer wait.
    bool Consume(int length);

private:
    struct Reorder {
        uint16_t sequence; // 0 = free
        int length;
        uint8_t bytes[kMaxChunk];
    };

    bool Append(const uint8_t* bytes, int length);
    void Drain();

    uint8_t data_[kCapacity];
    int readPos_ = 0;
    int unread_ = 0;
    uint16_t expected_;
    Reorder reorder_[kReorderSlots];
};

} // namespace MPAPI
