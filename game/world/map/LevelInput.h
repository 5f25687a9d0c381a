#pragma once

#include "engine/files/IFile.h"

#include <cmath>
#include <cstdint>
#include <cstring>

// Checked reads of a level from any source: the first short read fails the
// cursor, and every later read gives 0. Counts are checked against the bytes
// the file has left, so a hostile count cannot force a huge allocation.
class LevelInput {
public:
    explicit LevelInput(IFile* file) : file_(file), ok_(file != nullptr) {}

    bool Ok() const { return ok_; }
    void Fail() { ok_ = false; }
    IFile* File() const { return file_; }

    bool Bytes(void* out, int n)
    {
        if (!ok_ || n < 0 || file_->Read(out, n) != n) {
            ok_ = false;
            if (out && n > 0)
                std::memset(out, 0, size_t(n));
            return false;
        }
        return true;
    }
    int32_t Int()
    {
        uint8_t b[4];
        Bytes(b, 4);
        return int32_t(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24));
    }
    uint8_t Byte()
    {
        uint8_t b = 0;
        Bytes(&b, 1);
        return b;
    }
    // A float that must be finite; anything else fails the read.
    float Float()
    {
        const uint32_t bits = uint32_t(Int());
        float f;
        std::memcpy(&f, &bits, 4);
        if (!std::isfinite(f))
            ok_ = false;
        return ok_ ? f : 0.0f;
    }
    // Bytes left in the plain stream (outside compressed sections).
    int64_t Remaining() const
    {
        if (!ok_)
            return 0;
        const int64_t left = int64_t(file_->GetSize()) - int64_t(file_->Tell());
        return left > 0 ? left : 0;
    }
    // A count of records of recordSize bytes that the rest of the file can hold.
    bool Count(int32_t count, int recordSize)
    {
        if (!ok_ || count < 0 || int64_t(count) * recordSize > Remaining())
            ok_ = false;
        return ok_;
    }

private:
    IFile* file_;
    bool ok_;
};
