#include "OggWriter.h"

#include "tools/ogg/OggEncoder.h"

#include <algorithm>

namespace OggWriter {

std::vector<uint8_t> EncodeMono(const std::vector<float>& samples, int rate, float quality)
{
    return OggEncoder::Encode(
        1, rate, int64_t(samples.size()),
        [&samples](int64_t frame, int) { return std::max(-1.0f, std::min(1.0f, samples[size_t(frame)])); }, quality,
        0x766e68);
}

} // namespace OggWriter
