#include "engine/png/PngIdatStream.h"

#include <algorithm>
#include <cstring>

PngIdatStream::PngIdatStream(IFile* source, uint32_t length) : File(u"IDAT", 0), source_(source), left_(length)
{
    writing_ = false;
    ownsBackend_ = false;
}

int PngIdatStream::RawRead(void* buffer, int length)
{
    uint8_t* out = static_cast<uint8_t*>(buffer);
    int got = 0;
    while (got < length && !ended_) {
        if (left_ == 0) {
            if (!NextChunk())
                ended_ = true;
            continue;
        }
        const int want = int(std::min<uint32_t>(uint32_t(length - got), left_));
        const int n = source_->Read(out + got, want);
        if (n <= 0 || n > want) {
            ended_ = true; // the file ends inside the chunk
            break;
        }
        got += n;
        left_ -= uint32_t(n);
        position_ += n;
    }
    return got;
}

// Steps over the finished chunk's CRC onto the next chunk; true when that is
// another IDAT chunk.
bool PngIdatStream::NextChunk()
{
    uint8_t frame[12]; // CRC, then the next chunk's length and type
    int got = 0;
    while (got < 12) {
        const int n = source_->Read(frame + got, 12 - got);
        if (n <= 0 || n > 12 - got)
            return false;
        got += n;
    }
    const uint32_t length =
        (uint32_t(frame[4]) << 24) | (uint32_t(frame[5]) << 16) | (uint32_t(frame[6]) << 8) | uint32_t(frame[7]);
    if (length > 0x7FFFFFFFu || std::memcmp(frame + 8, "IDAT", 4) != 0)
        return false;
    left_ = length;
    return true;
}
