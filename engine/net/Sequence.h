#pragma once

#include <cstdint>

namespace MPAPI {

// Packet and stream-chunk sequences run 2..0xFFFE and wrap to 2; 0 and 1
// mean "none" and "not acknowledged", 0xFFFF is never used.
constexpr uint16_t kFirstSequence = 2;
constexpr uint16_t kLastSequence = 0xFFFE;
constexpr int kSequenceRing = kLastSequence - kFirstSequence + 1; // 65533 values

inline bool IsRingSequence(uint32_t s) { return s >= kFirstSequence && s <= kLastSequence; }

inline uint16_t NextSequence(uint16_t s)
{
    return s >= kLastSequence || s < kFirstSequence ? kFirstSequence : uint16_t(s + 1);
}

// Steps from 'from' forward to 'to' on the ring, 0..kSequenceRing-1; both
// must be ring sequences. Distances past half the ring mean 'to' is behind.
inline int SequenceDistance(uint16_t from, uint16_t to)
{
    int d = int(to) - int(from);
    return d < 0 ? d + kSequenceRing : d;
}

inline bool IsSequenceBehind(uint16_t expected, uint16_t s)
{
    return SequenceDistance(expected, s) > kSequenceRing / 2;
}

} // namespace MPAPI
