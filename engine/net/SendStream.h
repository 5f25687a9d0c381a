#pragma once

#include <cstdint>

namespace MPAPI {

// The outgoing half of a connection's reliable byte stream: bytes queue at
// the back and leave from the front in stream chunks.
class SendStream {
public:
    static constexpr int kCapacity = 13000;

    // Appends all bytes, or none when they do not fit.
    bool Append(const void* data, int length);
    // Moves up to length bytes from the front into out; returns how many.
    int TakeFront(void* out, int length);
    void Clear() { size_ = 0; }

    int GetSize() const { return size_; }
    int GetSpace() const { return kCapacity - size_; }

private:
    uint8_t data_[kCapacity];
    int size_ = 0;
};

} // namespace MPAPI
