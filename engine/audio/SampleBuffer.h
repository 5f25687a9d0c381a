#pragma once

#include <cstddef>
#include <cstdint>

// 16-bit samples of a decoded sound. It grows in place where the system can
// (a long sound is not copied at each growth), and new room is not cleared:
// the decoder writes every value it keeps.
class SampleBuffer {
public:
    SampleBuffer() = default;
    ~SampleBuffer();
    SampleBuffer(SampleBuffer&& other) noexcept;
    SampleBuffer& operator=(SampleBuffer&& other) noexcept;
    SampleBuffer(const SampleBuffer&) = delete;
    SampleBuffer& operator=(const SampleBuffer&) = delete;

    size_t size() const { return size_; }
    size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    int16_t* data() { return data_; }
    const int16_t* data() const { return data_; }
    int16_t& operator[](size_t i) { return data_[i]; }
    const int16_t& operator[](size_t i) const { return data_[i]; }
    const int16_t* begin() const { return data_; }
    const int16_t* end() const { return data_ + size_; }

    // Room for n values, keeping the present ones; false when there is no
    // memory for it.
    bool Reserve(size_t n);
    // n values; those added are unset. False when there is no memory.
    bool Resize(size_t n);
    // Empty, and the memory given back.
    void Release();

private:
    int16_t* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
