#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace Util {

// Bounded little-endian cursor over outside bytes. A read past the end
// fails the whole cursor: every later read returns 0 and Ok() stays false,
// so a parser checks once at the end of a record.
class ByteReader {
public:
    ByteReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(data ? size : 0) {}

    bool Ok() const { return ok_; }
    void Fail() { ok_ = false; }
    size_t Position() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return ok_ ? size_ - pos_ : 0; }
    const uint8_t* Here() const { return data_ + pos_; }

    bool Has(size_t n) const { return ok_ && n <= size_ - pos_; }

    bool Skip(size_t n)
    {
        if (!Has(n))
            return Fail(), false;
        pos_ += n;
        return true;
    }

    bool Seek(size_t pos)
    {
        if (!ok_ || pos > size_)
            return Fail(), false;
        pos_ = pos;
        return true;
    }

    bool Bytes(void* out, size_t n)
    {
        if (!Has(n)) {
            Fail();
            if (out && n)
                std::memset(out, 0, n);
            return false;
        }
        if (n)
            std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }

    uint8_t U8() { return uint8_t(Take(1)); }
    uint16_t U16() { return uint16_t(Take(2)); }
    uint32_t U32() { return uint32_t(Take(4)); }
    uint64_t U64() { return Take(8); }
    int8_t I8() { return int8_t(U8()); }
    int16_t I16() { return int16_t(U16()); }
    int32_t I32() { return int32_t(U32()); }

    float F32()
    {
        uint32_t bits = U32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }

    // A count of items of itemSize bytes each that must fit in what is left.
    bool Count(uint32_t count, size_t itemSize) const
    {
        return ok_ && uint64_t(count) * uint64_t(itemSize) <= uint64_t(size_ - pos_);
    }

    // count UTF-16 units, no terminator.
    std::u16string Utf16(size_t count)
    {
        std::u16string s;
        if (!Has(count * 2))
            return Fail(), s;
        s.resize(count);
        for (size_t i = 0; i < count; ++i)
            s[i] = char16_t(data_[pos_ + 2 * i] | (data_[pos_ + 2 * i + 1] << 8));
        pos_ += count * 2;
        return s;
    }

private:
    uint64_t Take(size_t n)
    {
        if (!Has(n))
            return Fail(), 0;
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i)
            v |= uint64_t(data_[pos_ + i]) << (8 * i);
        pos_ += n;
        return v;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Little-endian writers for the stored and sent formats.
inline void PutU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void PutF32(uint8_t* p, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    PutU32(p, bits);
}
inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline float GetF32(const uint8_t* p)
{
    uint32_t bits = GetU32(p);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

} // namespace Util
