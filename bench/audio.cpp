// Sound loading against libvorbisfile alone (without it nothing runs).
#include "engine/audio/OggDecoder.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#ifdef VORNHAL_HAVE_VORBISFILE
#include "tools/ogg/OggEncoder.h"

#include <vorbis/vorbisfile.h>

namespace {

// 60 s of stereo at 44,100 Hz, made once.
const std::vector<uint8_t>& MinuteOfStereo()
{
    static std::vector<uint8_t> out = [] {
        const int rate = 44100;
        return OggEncoder::Encode(
            2, rate, int64_t(60) * rate,
            [](int64_t frame, int channel) {
                const double t = double(frame) / rate;
                if (channel == 0)
                    return float(0.5 * std::sin(2 * 3.14159265 * 440 * t) + 0.1 * std::sin(2 * 3.14159265 * 3000 * t));
                return float(0.4 * std::sin(2 * 3.14159265 * 660 * t));
            },
            0.4f, 1);
    }();
    return out;
}

void BM_DecodeMinuteLoader(benchmark::State& state)
{
    const std::vector<uint8_t>& ogg = MinuteOfStereo();
    for (auto _ : state) {
        OggDecoder::Sound sound;
        if (!OggDecoder().DecodeMemory(ogg.data(), ogg.size(), sound))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(sound.samples.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(ogg.size()));
}
BENCHMARK(BM_DecodeMinuteLoader)->Unit(benchmark::kMillisecond);

struct Cursor {
    const std::vector<uint8_t>* bytes;
    size_t pos;
};

size_t ReadCursor(void* ptr, size_t size, size_t count, void* source)
{
    auto* c = static_cast<Cursor*>(source);
    size_t n = std::min(size * count, c->bytes->size() - c->pos);
    std::memcpy(ptr, c->bytes->data() + c->pos, n);
    c->pos += n;
    return size ? n / size : 0;
}

// The yardstick: libvorbisfile's own 16-bit decode of the same bytes, into
// a buffer kept from one run to the next, so it pays for no growth.
void BM_DecodeMinuteVorbisfile(benchmark::State& state)
{
    const std::vector<uint8_t>& ogg = MinuteOfStereo();
    std::vector<int16_t> pcm;
    for (auto _ : state) {
        Cursor cursor{&ogg, 0};
        OggVorbis_File vf;
        ov_callbacks callbacks{&ReadCursor, nullptr, nullptr, nullptr};
        if (ov_open_callbacks(&cursor, &vf, nullptr, 0, callbacks) != 0) {
            state.SkipWithError("open failed");
            break;
        }
        pcm.clear();
        char chunk[16384];
        int section = 0;
        long n;
        while ((n = ov_read(&vf, chunk, sizeof chunk, 0, 2, 1, &section)) > 0) {
            size_t at = pcm.size();
            pcm.resize(at + size_t(n) / 2);
            std::memcpy(pcm.data() + at, chunk, size_t(n));
        }
        ov_clear(&vf);
        benchmark::DoNotOptimize(pcm.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(ogg.size()));
}
BENCHMARK(BM_DecodeMinuteVorbisfile)->Unit(benchmark::kMillisecond);

} // namespace
#endif

BENCHMARK_MAIN();
