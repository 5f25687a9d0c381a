#pragma once

#include <cstdint>
#include <cstring>

namespace MPAPI {

// Bit-packed body of one datagram. Values go into one continuous bit stream,
// least significant bit first: stream bit i is bit (i mod 8) of byte (i div 8).
// Writers OR bits in, so a buffer is cleared before it is written.
//
// Every write tests its room first and, when the value does not fit, writes
// nothing and returns false. Every read is bounded by the bytes received: a
// read past them yields 0 (false), moves nothing and sets a sticky overrun
// flag that a parser checks to drop the rest.
class PacketBuffer {
public:
    static constexpr int kCapacity = 1400;
    // Room behind the body for the whole words written past its end.
    static constexpr int kSpill = 16;

    PacketBuffer();

    // Zeroes the body and starts writing at bit 0 with the full limit.
    void Clear();

    bool WriteBit(bool value)
    {
        if (bytePos_ >= limit_)
            return false;
        data_[bytePos_] = uint8_t(data_[bytePos_] | (value ? 1u << bitPos_ : 0u));
        if (bytePos_ + 1 > highWater_)
            highWater_ = bytePos_ + 1;
        if (++bitPos_ == 8) {
            bitPos_ = 0;
            ++bytePos_;
        }
        return true;
    }
    bool WriteBits(int count, uint32_t value)
    {
        if (count < 0 || count > 32 || (count + bitPos_) / 8 + bytePos_ >= limit_)
            return false;
        if (count > 0)
            WriteValue(count, value);
        return true;
    }
    bool WriteU8(uint8_t value);
    bool WriteU16(uint16_t value);
    bool WriteU32(uint32_t value)
    {
        if (bytePos_ + 4 >= limit_)
            return false;
        WriteValue(32, value);
        return true;
    }
    bool WriteFloat(float value);
    bool WriteBytes(int length, const void* bytes);
    // Whether AppendBits would take count bits.
    bool HasRoomFor(int count) const { return count >= 0 && (bytePos_ * 8 + bitPos_ + count) / 8 < limit_; }
    // Appends count bits held in whole 64-bit words (least significant
    // first, the bits past count 0), only when every single write of them
    // would have found room: that is when the last bit ends before the
    // limit's byte. False, writing nothing, otherwise.
    bool AppendBits(const uint64_t* words, int count)
    {
        if (!HasRoomFor(count))
            return false;
        const int end = bytePos_ * 8 + bitPos_ + count;
        // Nothing is written past the position yet: the first byte's bits
        // are carried in, and each word is stored once, never read back.
        uint8_t* at = data_ + bytePos_;
        const int shift = bitPos_;
        const int n = (count + 63) / 64;
        uint64_t carry = *at;
        for (int i = 0; i < n; ++i) {
            const uint64_t word = words[i];
            const uint64_t out = carry | word << shift;
            std::memcpy(at + 8 * i, &out, 8);
            carry = shift ? word >> (64 - shift) : 0;
        }
        at[8 * n] = uint8_t(carry);
        bytePos_ = end / 8;
        bitPos_ = end % 8;
        const int touched = (end + 7) / 8;
        if (touched > highWater_)
            highWater_ = touched > kCapacity ? kCapacity : touched;
        return true;
    }

    void SavePosition()
    {
        savedBytePos_ = bytePos_;
        savedBitPos_ = bitPos_;
    }
    // Back to the saved position; everything written after it is cleared.
    void RollBack();
    void Finish();

    // Reader over a copy of size bytes (at most kCapacity); false when the
    // size is out of range, which leaves an empty reader.
    bool SetupReader(const void* bytes, int size);
    bool ReadBit();
    int Read2Bits();
    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    float ReadFloat();
    bool ReadBytes(int length, void* out);
    // Moves the reader over whole bytes, at a byte boundary.
    bool SkipBytes(int length);

    bool Overrun() const { return overrun_; }
    int BitsLeft() const;

    const uint8_t* GetData() const { return data_; }
    int GetSize() const { return size_; }
    int GetBytePosition() const { return bytePos_; }
    int GetBitPosition() const { return bitPos_; }
    int GetLimit() const { return limit_; }
    // Narrows the room of the writers (never past kCapacity).
    void SetLimit(int limit);

private:
    bool HasBits(int count);
    uint32_t ReadValue(int count);
    // A whole value at once, ORed into eight bytes from the byte position:
    // the spill room behind the body takes what runs past it.
    void WriteValue(int count, uint32_t value)
    {
        uint64_t bits = uint64_t(count >= 32 ? value : value & ((1u << count) - 1u)) << bitPos_;
        uint64_t word;
        std::memcpy(&word, data_ + bytePos_, 8);
        word |= bits;
        std::memcpy(data_ + bytePos_, &word, 8);
        int end = bitPos_ + count;
        int touched = bytePos_ + (end + 7) / 8;
        if (touched > highWater_)
            highWater_ = touched > kCapacity ? kCapacity : touched;
        bytePos_ += end / 8;
        bitPos_ = end % 8;
    }

    uint8_t data_[kCapacity + kSpill];
    int size_ = 0;
    int bytePos_ = 0;
    int bitPos_ = 0;
    int savedBytePos_ = 0;
    int savedBitPos_ = 0;
    int limit_ = kCapacity;
    int highWater_ = 0; // bytes that may hold written bits
    bool overrun_ = false;
};

} // namespace MPAPI
