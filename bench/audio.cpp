// Sound loading against libvorbisfile alone, and physics steps: 1,000 bodies
// in a small room, and 500 to 4,000 over a whole level.
#include "engine/audio/OggDecoder.h"
#include "engine/physics/Physics.h"

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
        return OggEncoder::Encode(2, rate, int64_t(60) * rate, [](int64_t frame, int channel) {
            const double t = double(frame) / rate;
            if (channel == 0)
                return float(0.5 * std::sin(2 * 3.14159265 * 440 * t) + 0.1 * std::sin(2 * 3.14159265 * 3000 * t));
            return float(0.4 * std::sin(2 * 3.14159265 * 660 * t));
        }, 0.4f, 1);
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

namespace {

// 200 static walls and 800 moving balls among them.
void BM_PhysicsStep1000Bodies(benchmark::State& state)
{
    PhysicsSW::Physics world;
    const float edges[4] = {32, 0, 0, 32};
    const float radius = 10.0f;
    for (int i = 0; i < 200; ++i)
        world.AddStaticBox(edges)->SetPosition(float(i % 20) * 64.0f, float(i / 20) * 64.0f);
    std::vector<IPhysObject*> balls;
    for (int i = 0; i < 800; ++i) {
        IPhysObject* ball = world.AddCircleBody(&radius);
        ball->SetRestitution(0.4f);
        balls.push_back(ball);
    }
    auto scatter = [&] {
        for (size_t i = 0; i < balls.size(); ++i) {
            balls[i]->SetPosition(float(i % 40) * 32.0f + 40.0f, float(i / 40) * 32.0f + 40.0f);
            balls[i]->ApplyFriction(1e9f);
            float angle = float(i) * 0.7f;
            balls[i]->ApplyImpulse(0, 0, std::cos(angle) * 3000.0f, std::sin(angle) * 3000.0f);
        }
    };
    scatter();
    int64_t steps = 0;
    for (auto _ : state) {
        world.StepOnce(PhysicsSW::Physics::kNominalStep);
        if (++steps % 100 == 0) {
            state.PauseTiming();
            scatter();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_PhysicsStep1000Bodies)->Unit(benchmark::kMicrosecond);

// A 100 x 100-tile level (3,200 px square): a quarter of the bodies are
// 32 x 32 walls on pseudo-random tiles, the rest balls running among them.
// Time per body should stay about the same from row to row.
void BM_PhysicsStepLevel(benchmark::State& state)
{
    const int total = int(state.range(0));
    const int walls = total / 4;
    PhysicsSW::Physics world;
    const float edges[4] = {32, 0, 0, 32};
    const float radius = 10.0f;
    uint32_t seed = 12345;
    auto next = [&seed](int below) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % uint32_t(below));
    };
    for (int i = 0; i < walls; ++i)
        world.AddStaticBox(edges)->SetPosition(float(next(100)) * 32.0f, float(next(100)) * 32.0f);
    std::vector<IPhysObject*> balls;
    for (int i = walls; i < total; ++i) {
        IPhysObject* ball = world.AddCircleBody(&radius);
        ball->SetRestitution(0.4f);
        balls.push_back(ball);
    }
    auto scatter = [&] {
        for (size_t i = 0; i < balls.size(); ++i) {
            balls[i]->SetPosition(float(next(3200)), float(next(3200)));
            balls[i]->ApplyFriction(1e9f);
            float angle = float(next(628)) * 0.01f;
            balls[i]->ApplyImpulse(0, 0, std::cos(angle) * 3000.0f, std::sin(angle) * 3000.0f);
        }
    };
    scatter();
    int64_t steps = 0;
    for (auto _ : state) {
        world.StepOnce(PhysicsSW::Physics::kNominalStep);
        if (++steps % 100 == 0) {
            state.PauseTiming();
            scatter();
            state.ResumeTiming();
        }
    }
    state.counters["per_body"] =
        benchmark::Counter(double(total) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PhysicsStepLevel)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
