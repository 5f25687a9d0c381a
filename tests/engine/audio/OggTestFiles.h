#pragma once

#include "support/EngineFakes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace AudioTest {

// Sample value of a frame and channel, -1..1.
using Signal = std::function<float(int64_t frame, int channel)>;

float Sine(int64_t frame, int channel, int rate, float hz, float amplitude);

// An Ogg Vorbis stream made by libvorbisenc.
std::vector<uint8_t> EncodeOgg(int channels, int rate, int64_t frames, const Signal& signal, float quality = 0.3f);
std::vector<uint8_t> EncodeSine(int channels, int rate, double seconds, float hz = 440.0f, float amplitude = 0.5f);

// libvorbisfile's own decode: frames of floats per channel, interleaved.
struct Reference {
    int channels = 0;
    int rate = 0;
    std::vector<float> samples;
};
bool DecodeWithVorbisfile(const std::vector<uint8_t>& bytes, Reference& out);

// The sound device of the test process: openal-soft's wave-file writer,
// set up before the first OpenAL call. Each device opened truncates the
// file; closing it completes the header.
const std::string& WaveFilePath();
void UseWaveDevice();

// 16-bit stereo frames of a wave file, and its rate; false when the file is
// not such a file.
bool ReadWave(const std::string& path, std::vector<int16_t>& samples, int& rate);

} // namespace AudioTest
