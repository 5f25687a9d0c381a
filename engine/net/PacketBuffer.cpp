#include "engine/net/PacketBuffer.h"

#include <cstring>

namespace MPAPI {

PacketBuffer::PacketBuffer() { std::memset(data_, 0, sizeof data_); }

void PacketBuffer::Clear()
{
    std::memset(data_, 0, size_t(highWater_));
    size_ = bytePos_ = bitPos_ = savedBytePos_ = savedBitPos_ = 0;
    limit_ = kCapacity;
    highWater_ = 0;
    overrun_ = false;
}

void PacketBuffer::SetLimit(int limit) { limit_ = limit < 0 ? 0 : (limit > kCapacity ? kCapacity : limit); }

// Room tests as the format gives them: they keep one byte spare at the limit.

bool PacketBuffer::WriteU8(uint8_t value)
{
    if (bytePos_ + 1 >= limit_)
        return false;
    WriteValue(8, value);
    return true;
}

bool PacketBuffer::WriteU16(uint16_t value)
{
    if (bytePos_ + 2 >= limit_)
        return false;
    WriteValue(16, value);
    return true;
}

bool PacketBuffer::WriteFloat(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return WriteU32(bits);
}

bool PacketBuffer::WriteBytes(int length, const void* bytes)
{
    if (length < 0 || (length > 0 && !bytes) || int64_t(bytePos_) + length >= limit_)
        return false;
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    for (int i = 0; i < length; ++i)
        WriteValue(8, p[i]);
    return true;
}

void PacketBuffer::RollBack()
{
    bytePos_ = savedBytePos_;
    bitPos_ = savedBitPos_;
    size_ = bytePos_ + (bitPos_ != 0 ? 1 : 0);
    if (bytePos_ < kCapacity)
        data_[bytePos_] = uint8_t(data_[bytePos_] & ((1u << bitPos_) - 1u));
    // Only bytes up to the high-water mark can hold bits written since.
    if (highWater_ > bytePos_ + 1)
        std::memset(data_ + bytePos_ + 1, 0, size_t(highWater_ - bytePos_ - 1));
    highWater_ = bytePos_ + 1 > kCapacity ? kCapacity : bytePos_ + 1;
}

void PacketBuffer::Finish() { size_ = bytePos_ + (bitPos_ != 0 ? 1 : 0); }

bool PacketBuffer::SetupReader(const void* bytes, int size)
{
    Clear();
    if (size < 0 || size > kCapacity || (!bytes && size > 0))
        return false;
    if (size > 0)
        std::memcpy(data_, bytes, size_t(size));
    size_ = size;
    highWater_ = size;
    return true;
}

int PacketBuffer::BitsLeft() const
{
    int left = size_ * 8 - (bytePos_ * 8 + bitPos_);
    return left < 0 ? 0 : left;
}

bool PacketBuffer::HasBits(int count)
{
    if (overrun_ || count > BitsLeft()) {
        overrun_ = true;
        return false;
    }
    return true;
}

uint32_t PacketBuffer::ReadValue(int count)
{
    if (!HasBits(count))
        return 0;
    uint64_t bits = 0;
    int bytes = (bitPos_ + count + 7) / 8;
    for (int k = 0; k < bytes; ++k)
        bits |= uint64_t(data_[bytePos_ + k]) << (8 * k);
    bits >>= bitPos_;
    uint32_t value = count >= 32 ? uint32_t(bits) : uint32_t(bits) & ((1u << count) - 1u);
    bytePos_ += count / 8;
    bitPos_ = (bitPos_ + count % 8);
    if (bitPos_ >= 8) {
        bitPos_ -= 8;
        ++bytePos_;
    }
    return value;
}

bool PacketBuffer::ReadBit() { return ReadValue(1) != 0; }

int PacketBuffer::Read2Bits()
{
    int low = ReadBit() ? 1 : 0;
    int high = ReadBit() ? 1 : 0;
    return low | (high << 1);
}

uint8_t PacketBuffer::ReadU8() { return uint8_t(ReadValue(8)); }
uint16_t PacketBuffer::ReadU16() { return uint16_t(ReadValue(16)); }
uint32_t PacketBuffer::ReadU32() { return ReadValue(32); }

float PacketBuffer::ReadFloat()
{
    uint32_t bits = ReadU32();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

bool PacketBuffer::ReadBytes(int length, void* out)
{
    if (length < 0 || (length > 0 && !out) || int64_t(length) * 8 > BitsLeft() || overrun_) {
        overrun_ = true;
        return false;
    }
    uint8_t* p = static_cast<uint8_t*>(out);
    for (int i = 0; i < length; ++i)
        p[i] = uint8_t(ReadValue(8));
    return true;
}

bool PacketBuffer::SkipBytes(int length)
{
    if (length < 0 || bitPos_ != 0 || int64_t(length) * 8 > BitsLeft() || overrun_) {
        overrun_ = true;
        return false;
    }
    bytePos_ += length;
    return true;
}

} // namespace MPAPI
