#include "engine/net/ReceiveStream.h"

#include "engine/net/Sequence.h"

#include <cstring>

namespace MPAPI {

ReceiveStream::ReceiveStream() { Reset(); }

void ReceiveStream::Reset()
{
    readPos_ = 0;
    unread_ = 0;
    expected_ = kFirstSequence;
    for (Reorder& r : reorder_) {
        r.sequence = 0;
        r.length = 0;
    }
}

int ReceiveStream::GetWaitingChunks() const
{
    int n = 0;
    for (const Reorder& r : reorder_)
        n += r.sequence != 0 ? 1 : 0;
    return n;
}

bool ReceiveStream::Append(const uint8_t* bytes, int length)
{
    if (length < 0 || unread_ + length > kMaxUnread)
        return false;
    // readPos_ stays below kReclaimAt, so kCapacity always has the room.
    std::memcpy(data_ + readPos_ + unread_, bytes, size_t(length));
    unread_ += length;
    return true;
}

void ReceiveStream::Drain()
{
    bool moved = true;
    while (moved) {
        moved = false;
        for (Reorder& r : reorder_) {
            if (r.sequence != 0 && r.sequence == expected_ && Append(r.bytes, r.length)) {
                r.sequence = 0;
                expected_ = NextSequence(expected_);
                moved = true;
            }
        }
    }
}

ReceiveStream::Offer ReceiveStream::OfferChunk(uint16_t sequence, const uint8_t* bytes, int length)
{
    if (!IsRingSequence(sequence) || length < 1 || length > kMaxChunk || !bytes)
        return Offer::Refused;
    Drain();
    int distance = SequenceDistance(expected_, sequence);
    if (distance == 0) {
        if (!Append(bytes, length))
            return Offer::Refused;
        expected_ = NextSequence(expected_);
        Drain();
        return Offer::Taken;
    }
    if (distance > kSequenceRing / 2)
        return Offer::Repeat;
    // The sender has at most a few chunks out; anything beyond the slots
    // ahead of us is not a chunk we could place.
    if (distance > kReorderSlots)
        return Offer::Refused;
    Reorder* free = nullptr;
    for (Reorder& r : reorder_) {
        if (r.sequence == sequence)
            return Offer::Repeat;
        if (r.sequence == 0 && !free)
            free = &r;
    }
    if (!free)
        return Offer::Refused;
    free->sequence = sequence;
    free->length = length;
    std::memcpy(free->bytes, bytes, size_t(length));
    return Offer::Taken;
}

bool ReceiveStream::CopyOut(void* out, int offset, int length) const
{
    if (offset < 0 || length < 0 || int64_t(offset) + length > unread_ || (!out && length > 0))
        return false;
    if (length > 0)
        std::memcpy(out, data_ + readPos_ + offset, size_t(length));
    return true;
}

bool ReceiveStream::Consume(int length)
{
    if (length < 0 || length > unread_)
        return false;
    readPos_ += length;
    unread_ -= length;
    if (readPos_ >= kReclaimAt) {
        std::memmove(data_, data_ + readPos_, size_t(unread_));
        readPos_ = 0;
    }
    // A waiting chunk that did not fit before may fit now; it was already
    // acknowledged, so the sender will not bring it again.
    Drain();
    return true;
}

} // namespace MPAPI
