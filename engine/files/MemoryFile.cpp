#include "engine/files/MemoryFile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

MemoryFile::MemoryFile(int capacity) : File(u"MemoryFile", 0), capacity_(capacity > 0 ? capacity : kDefaultCapacity) {}

// Writes append wherever the position is, so a move means reading: a
// section begun after it must be a reading one.
void MemoryFile::RawSeek(int position)
{
    position_ = std::clamp(position, 0, length_);
    writing_ = false;
}

int MemoryFile::RawSkip(int delta)
{
    int64_t target = std::clamp<int64_t>(int64_t(position_) + delta, 0, length_);
    int moved = int(target - position_);
    position_ = int(target);
    return moved;
}

int MemoryFile::RawRead(void* buffer, int length)
{
    writing_ = false;
    if (length <= 0)
        return 0;
    int n = std::min(length, length_ - position_);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, data_.get() + position_, size_t(n));
    position_ += n;
    return n;
}

bool MemoryFile::RawWrite(const void* data, int length)
{
    writing_ = true;
    if (length < 0)
        return false;
    int64_t needed = int64_t(length_) + length;
    if (needed > INT_MAX)
        return false;
    if (!data_ || needed > capacity_) {
        int64_t grown = capacity_;
        if (data_ && needed > capacity_)
            grown += std::max<int64_t>(kGrowth, length);
        grown = std::min<int64_t>(std::max(grown, needed), INT_MAX);
        uint8_t* fresh = new (std::nothrow) uint8_t[size_t(grown)];
        if (!fresh)
            return false;
        if (length_ > 0)
            std::memcpy(fresh, data_.get(), size_t(length_));
        data_.reset(fresh);
        capacity_ = int(grown);
    }
    if (length > 0)
        std::memcpy(data_.get() + length_, data, size_t(length));
    length_ += length;
    position_ = length_;
    return true;
}
