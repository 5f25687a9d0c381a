#include "engine/net/SendStream.h"

#include <cstring>

namespace MPAPI {

bool SendStream::Append(const void* data, int length)
{
    if (length < 0 || length > GetSpace() || (!data && length > 0))
        return false;
    if (length > 0)
        std::memcpy(data_ + size_, data, size_t(length));
    size_ += length;
    return true;
}

int SendStream::TakeFront(void* out, int length)
{
    if (length > size_)
        length = size_;
    if (length <= 0)
        return 0;
    std::memcpy(out, data_, size_t(length));
    size_ -= length;
    std::memmove(data_, data_ + length, size_t(size_));
    return length;
}

} // namespace MPAPI
