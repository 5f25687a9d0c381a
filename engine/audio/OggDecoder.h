#pragma once

#include "engine/audio/SampleBuffer.h"

#include <cstddef>
#include <cstdint>

class IFile;

// Whole-stream Ogg Vorbis decoding into 16-bit interleaved samples, apart
// from any sound device so that it can be checked and fuzzed alone. Mono
// stays mono, so that the device can place it; anything else keeps its first
// two channels.
class OggDecoder {
public:
    struct Sound {
        SampleBuffer samples; // frames of `channels` values each
        int channels = 0;     // 1 or 2
        int rate = 0;         // frames per second of the stream
        int64_t Frames() const { return channels > 0 ? int64_t(samples.size() / size_t(channels)) : 0; }
    };

    // Bytes into buffer; 0 at the end, negative on a read error.
    using ReadFunction = int (*)(void* context, void* buffer, int length);

    // The running-peak scaling applied to every decoded value: the gain is
    // one over the largest magnitude seen so far (never above 1), and the
    // output keeps 0.7 of the 16-bit range.
    class Scaler {
    public:
        int16_t Scale(float sample)
        {
            float magnitude = sample < 0 ? -sample : sample;
            if (magnitude > peak_) {
                peak_ = magnitude;
                gain_ = 1.0f / peak_;
            }
            double v = sample * gain_ * 0.7 * 32767;
            if (!(v >= -32768.0 && v <= 32767.0))
                return 0; // NaN; the gain keeps every finite value in range
            return int16_t(v);
        }
        // The same for frames of one channel (right null) or two, in frame
        // order, into interleaved output.
        void ScaleFrames(const float* left, const float* right, int frames, int16_t* out);
        float Peak() const { return peak_; }

    private:
        float peak_ = 1.0f;
        float gain_ = 1.0f;
    };

    static constexpr int kBlockSize = 4096;
    // A file may not decode to more than this; a few bytes of Vorbis can
    // stand for thousands of frames.
    static constexpr int64_t kDefaultMaxFrames = int64_t(1) << 24;
    static constexpr long kMinRate = 1000;
    static constexpr long kMaxRate = 384000;

    explicit OggDecoder(int64_t maxFrames = kDefaultMaxFrames) : maxFrames_(maxFrames) {}

    // False, with out emptied, for anything but one whole, intact stream.
    bool Decode(ReadFunction read, void* context, Sound& out) const;
    bool DecodeFile(IFile* file, Sound& out) const;
    bool DecodeMemory(const uint8_t* data, size_t size, Sound& out) const;

private:
    int64_t maxFrames_;
};
