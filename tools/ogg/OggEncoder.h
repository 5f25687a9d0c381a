#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// Ogg Vorbis through libvorbisenc, for the generated sounds, the tests and
// the benchmarks. The stream serial is fixed, so equal input gives equal
// bytes.
namespace OggEncoder {

// Sample of a frame and channel, -1..1.
using Signal = std::function<float(int64_t frame, int channel)>;

// Empty when the encoder refuses the channel count, rate or quality.
std::vector<uint8_t> Encode(int channels, int rate, int64_t frames, const Signal& signal, float quality,
                            int serial = 0x5eed);

} // namespace OggEncoder
