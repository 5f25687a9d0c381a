// Bytes as a stream holding a compressed section: the first byte says how
// many plain bytes come before it; read the section to its end, then the
// plain bytes after it.
#include "engine/files/MemoryFile.h"

#include <cstdint>

namespace {

constexpr int kChunk = 65536;
constexpr int kMaxOutput = 16 << 20; // a bound on what one input may inflate to

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > (1u << 24))
        return 0;
    MemoryFile file(static_cast<int>(size));
    file.Write(data + 1, int(size - 1));
    file.Seek(0);
    static uint8_t buffer[kChunk];
    file.Read(buffer, data[0] % 16);
    file.BeginCompression();
    int total = 0;
    while (total < kMaxOutput) {
        int n = file.Read(buffer, data[0] & 0x80 ? 777 : kChunk);
        if (n <= 0)
            break;
        total += n;
    }
    file.EndCompression();
    while (file.Read(buffer, kChunk) > 0) {
    }
    return 0;
}
