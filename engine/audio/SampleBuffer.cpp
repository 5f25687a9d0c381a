#include "engine/audio/SampleBuffer.h"

#include <cstdlib>
#include <utility>

SampleBuffer::~SampleBuffer() { std::free(data_); }

SampleBuffer::SampleBuffer(SampleBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0))
{
}

SampleBuffer& SampleBuffer::operator=(SampleBuffer&& other) noexcept
{
    if (this != &other) {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

bool SampleBuffer::Reserve(size_t n)
{
    if (n <= capacity_)
        return true;
    if (n > SIZE_MAX / sizeof(int16_t))
        return false;
    // realloc moves large blocks by remapping their pages, not by copying.
    void* grown = std::realloc(data_, n * sizeof(int16_t));
    if (!grown)
        return false;
    data_ = static_cast<int16_t*>(grown);
    capacity_ = n;
    return true;
}

bool SampleBuffer::Resize(size_t n)
{
    if (!Reserve(n))
        return false;
    size_ = n;
    return true;
}

void SampleBuffer::Release()
{
    std::free(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
}
