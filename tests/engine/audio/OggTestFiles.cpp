#include "OggTestFiles.h"

#include "support/TestSupport.h"
#include "tools/ogg/OggEncoder.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace AudioTest {

float Sine(int64_t frame, int channel, int rate, float hz, float amplitude)
{
    // Channels differ in pitch so that a swap shows.
    double f = hz * (1.0 + 0.5 * channel);
    return float(amplitude * std::sin(2.0 * 3.141592653589793 * f * double(frame) / rate));
}

std::vector<uint8_t> EncodeOgg(int channels, int rate, int64_t frames, const Signal& signal, float quality)
{
    return OggEncoder::Encode(channels, rate, frames, signal, quality);
}

std::vector<uint8_t> EncodeSine(int channels, int rate, double seconds, float hz, float amplitude)
{
    int64_t frames = int64_t(std::llround(seconds * rate));
    return EncodeOgg(channels, rate, frames, [=](int64_t f, int c) { return Sine(f, c, rate, hz, amplitude); });
}

namespace {

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

} // namespace

bool DecodeWithVorbisfile(const std::vector<uint8_t>& bytes, Reference& out)
{
    Cursor cursor{&bytes, 0};
    ov_callbacks callbacks{&ReadCursor, nullptr, nullptr, nullptr};
    OggVorbis_File vf;
    if (ov_open_callbacks(&cursor, &vf, nullptr, 0, callbacks) != 0)
        return false;
    vorbis_info* vi = ov_info(&vf, -1);
    out.channels = vi->channels;
    out.rate = int(vi->rate);
    out.samples.clear();
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n < 0) {
            ov_clear(&vf);
            return false;
        }
        if (n == 0)
            break;
        for (long i = 0; i < n; ++i)
            for (int c = 0; c < out.channels; ++c)
                out.samples.push_back(pcm[c][i]);
    }
    ov_clear(&vf);
    return true;
}

const std::string& WaveFilePath()
{
    static TestSupport::TempDir dir;
    static const std::string path = dir.File("out.wav");
    return path;
}

void UseWaveDevice()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    static TestSupport::TempDir dir;
    std::string conf = dir.File("alsoft.conf");
    std::string text = "[general]\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n"
                       "[wave]\nfile = " +
                       WaveFilePath() + "\n";
    TestSupport::WriteAll(conf, text.data(), text.size());
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    setenv("ALSOFT_LOGLEVEL", "0", 1);
}

namespace {
uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
} // namespace

bool ReadWave(const std::string& path, std::vector<int16_t>& samples, int& rate)
{
    std::vector<uint8_t> b = TestSupport::ReadAll(path);
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return false;
    size_t pos = 12;
    int channels = 0, bits = 0;
    samples.clear();
    while (pos + 8 <= b.size()) {
        uint32_t size = U32(b.data() + pos + 4);
        const uint8_t* body = b.data() + pos + 8;
        size_t avail = std::min<size_t>(size, b.size() - pos - 8);
        if (std::memcmp(b.data() + pos, "fmt ", 4) == 0 && avail >= 16) {
            channels = U16(body + 2);
            rate = int(U32(body + 4));
            bits = U16(body + 14);
        } else if (std::memcmp(b.data() + pos, "data", 4) == 0) {
            if (channels != 2 || bits != 16)
                return false;
            samples.resize(avail / 2);
            for (size_t i = 0; i < samples.size(); ++i)
                samples[i] = int16_t(U16(body + 2 * i));
            return true;
        }
        pos += 8 + size + (size & 1);
    }
    return false;
}

} // namespace AudioTest

// The sound library's own threads hand data over in ways ThreadSanitizer
// cannot see in a library built without it; races inside it are not ours.
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions()
{
    return "race:libopenal.so.1\n";
}
