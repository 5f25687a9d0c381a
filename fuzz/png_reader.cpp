// Arbitrary bytes as a PNG in a memory file: the header read, then the full
// decode.
#include "engine/files/MemoryFile.h"
#include "engine/png/PngImage.h"

#include <climits>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > size_t(INT_MAX) / 2)
        return 0;
    MemoryFile file(int(size) + 1);
    if (!file.Write(data, int(size)))
        return 0;

    file.Seek(0);
    PngImage header(&file);
    header.Read(false);

    file.Seek(0);
    PngImage image(&file);
    if (image.Read(true)) {
        // Touch every pixel so that a short allocation shows.
        const uint32_t* pixels = image.GetPixels();
        uint32_t sum = 0;
        for (size_t i = 0; i < size_t(image.GetWidth()) * size_t(image.GetHeight()); ++i)
            sum += pixels[i];
        volatile uint32_t sink = sum;
        (void)sink;
    }
    return 0;
}
