#pragma once

#include <cstdint>
#include <vector>

// Encodes mono float samples (-1..1) as an Ogg Vorbis stream with
// libvorbisenc. The stream serial is fixed, so equal input gives equal bytes.
namespace OggWriter {

std::vector<uint8_t> EncodeMono(const std::vector<float>& samples, int rate, float quality = 0.4f);

} // namespace OggWriter
