#ifndef VORNHAL_DEDICATED

#include "engine/audio/OggDecoder.h"

#include "engine/files/IFile.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The libogg and libvorbis state of one decode, released in reverse order of
// what was set up.
class VorbisStream {
public:
    VorbisStream(OggDecoder::ReadFunction read, void* context) : read_(read), context_(context)
    {
        ogg_sync_init(&sync_);
        vorbis_info_init(&info_);
        vorbis_comment_init(&comment_);
    }
    ~VorbisStream()
    {
        if (blockReady_)
            vorbis_block_clear(&block_);
        if (dspReady_)
            vorbis_dsp_clear(&dsp_);
        if (streamReady_)
            ogg_stream_clear(&stream_);
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
        ogg_sync_clear(&sync_);
    }
    VorbisStream(const VorbisStream&) = delete;
    VorbisStream& operator=(const VorbisStream&) = delete;

    bool ReadHeaders();
    bool DecodeAudio(OggDecoder::Sound& out, int64_t maxFrames);

    long Rate() const { return info_.rate; }
    int Channels() const { return info_.channels; }

private:
    // One block of input into the sync layer: bytes added, 0 at the end,
    // -1 on a read error.
    int Feed();
    // The next page of our stream: 1, 0 at the end of the input, -1 when the
    // data is broken.
    int NextPage();
    bool Emit(OggDecoder::Sound& out, int64_t maxFrames);

    OggDecoder::ReadFunction read_;
    void* context_;
    bool inputEnded_ = false;
    ogg_sync_state sync_;
    ogg_stream_state stream_;
    ogg_page page_;
    vorbis_info info_;
    vorbis_comment comment_;
    vorbis_dsp_state dsp_;
    vorbis_block block_;
    bool streamReady_ = false;
    bool dspReady_ = false;
    bool blockReady_ = false;
    OggDecoder::Scaler scaler_;
};

int VorbisStream::Feed()
{
    if (inputEnded_)
        return 0;
    char* buffer = ogg_sync_buffer(&sync_, OggDecoder::kBlockSize);
    if (!buffer)
        return -1;
    int n = read_(context_, buffer, OggDecoder::kBlockSize);
    if (n < 0 || n > OggDecoder::kBlockSize)
        return -1;
    if (n == 0) {
        inputEnded_ = true;
        return 0;
    }
    ogg_sync_wrote(&sync_, n);
    return n;
}

int VorbisStream::NextPage()
{
    for (;;) {
        int r = ogg_sync_pageout(&sync_, &page_);
        if (r > 0) {
            if (!streamReady_) {
                if (ogg_stream_init(&stream_, ogg_page_serialno(&page_)) != 0)
                    return -1;
                streamReady_ = true;
            }
            // Pages of other logical streams are not ours to decode.
            if (ogg_page_serialno(&page_) != stream_.serialno)
                continue;
            return ogg_stream_pagein(&stream_, &page_) == 0 ? 1 : -1;
        }
        // Lost sync: tolerated before the first page, a break in the stream
        // after it.
        if (r < 0) {
            if (streamReady_)
                return -1;
            continue;
        }
        int fed = Feed();
        if (fed < 0)
            return -1;
        if (fed == 0)
            return 0;
    }
}

bool VorbisStream::ReadHeaders()
{
    int headers = 0;
    while (headers < 3) {
        ogg_packet packet;
        int r = streamReady_ ? ogg_stream_packetout(&stream_, &packet) : 0;
        if (r < 0)
            return false;
        if (r == 0) {
            if (NextPage() <= 0)
                return false;
            continue;
        }
        if (vorbis_synthesis_headerin(&info_, &comment_, &packet) != 0)
            return false;
        ++headers;
    }
    if (info_.channels < 1 || info_.rate < OggDecoder::kMinRate || info_.rate > OggDecoder::kMaxRate)
        return false;
    if (vorbis_synthesis_init(&dsp_, &info_) != 0)
        return false;
    dspReady_ = true;
    if (vorbis_block_init(&dsp_, &block_) != 0)
        return false;
    blockReady_ = true;
    return true;
}

bool VorbisStream::Emit(OggDecoder::Sound& out, int64_t maxFrames)
{
    float** pcm = nullptr;
    int frames;
    const int channels = out.channels;
    while ((frames = vorbis_synthesis_pcmout(&dsp_, &pcm)) > 0) {
        SampleBuffer& samples = out.samples;
        int64_t have = int64_t(samples.size()) / channels;
        int64_t need = have + frames;
        if (need > maxFrames)
            return false;
        // Room doubles: growing by a fixed step moves a long sound over and
        // over.
        if (size_t(need * channels) > samples.capacity()) {
            int64_t room = std::max<int64_t>(int64_t(samples.capacity()) / channels * 2, need + 50000);
            if (!samples.Reserve(size_t(std::min(room, maxFrames) * channels)))
                return false;
        }
        samples.Resize(size_t(need * channels));
        int16_t* dst = samples.data() + have * channels;
        // Channels past the second have no place in the output.
        scaler_.ScaleFrames(pcm[0], channels == 2 ? pcm[1] : nullptr, frames, dst);
        if (vorbis_synthesis_read(&dsp_, frames) != 0)
            return false;
    }
    return true;
}

bool VorbisStream::DecodeAudio(OggDecoder::Sound& out, int64_t maxFrames)
{
    for (;;) {
        ogg_packet packet;
        int r = ogg_stream_packetout(&stream_, &packet);
        if (r < 0)
            return false; // a hole: pages are missing
        if (r > 0) {
            // A packet that does not decode is skipped, as players do; the
            // container around it was intact.
            if (vorbis_synthesis(&block_, &packet) != 0 || vorbis_synthesis_blockin(&dsp_, &block_) != 0)
                continue;
            if (!Emit(out, maxFrames))
                return false;
            continue;
        }
        if (ogg_stream_eos(&stream_))
            return true;
        int page = NextPage();
        if (page <= 0)
            return false; // broken, or cut short before its last page
    }
}

struct MemoryInput {
    const uint8_t* data;
    size_t left;
};

int ReadMemory(void* context, void* buffer, int length)
{
    auto* in = static_cast<MemoryInput*>(context);
    size_t n = std::min(in->left, size_t(length > 0 ? length : 0));
    if (n > 0) {
        std::memcpy(buffer, in->data, n);
        in->data += n;
        in->left -= n;
    }
    return int(n);
}

int ReadFile(void* context, void* buffer, int length) { return static_cast<IFile*>(context)->Read(buffer, length); }

// Frames converted together; a constant count lets the compiler use vectors.
constexpr int kRun = 64;

bool WithinPeak(const float* in, float peak)
{
    int outside = 0;
    for (int k = 0; k < kRun; ++k)
        outside |= std::fabs(in[k]) <= peak ? 0 : 1; // NaN is outside
    return outside == 0;
}

// Within the peak every value stays inside 0.7 of full scale: no checks.
inline int16_t Convert(float sample, float gain) { return int16_t(int32_t(double(sample * gain) * 0.7 * 32767)); }

void ConvertMono(const float* __restrict in, int16_t* __restrict out, float gain)
{
    for (int k = 0; k < kRun; ++k)
        out[k] = Convert(in[k], gain);
}

void ConvertStereo(const float* __restrict left, const float* __restrict right, int16_t* __restrict out, float gain)
{
    for (int k = 0; k < kRun; ++k) {
        out[2 * k] = Convert(left[k], gain);
        out[2 * k + 1] = Convert(right[k], gain);
    }
}

} // namespace

void OggDecoder::Scaler::ScaleFrames(const float* left, const float* right, int frames, int16_t* out)
{
    const int channels = right ? 2 : 1;
    for (int f = 0; f < frames;) {
        if (f + kRun <= frames && WithinPeak(left + f, peak_) && (!right || WithinPeak(right + f, peak_))) {
            if (right)
                ConvertStereo(left + f, right + f, out + 2 * f, gain_);
            else
                ConvertMono(left + f, out + f, gain_);
            f += kRun;
            continue;
        }
        // One value at a time where the peak may rise, and at the end.
        for (int end = std::min(frames, f + kRun); f < end; ++f) {
            out[channels * f] = Scale(left[f]);
            if (right)
                out[2 * f + 1] = Scale(right[f]);
        }
    }
}

bool OggDecoder::Decode(ReadFunction read, void* context, Sound& out) const
{
    out.samples.Release();
    out.channels = 0;
    out.rate = 0;
    bool ok;
    {
        VorbisStream stream(read, context);
        ok = stream.ReadHeaders();
        if (ok) {
            out.channels = stream.Channels() == 1 ? 1 : 2;
            ok = stream.DecodeAudio(out, maxFrames_);
        }
        if (ok)
            out.rate = int(stream.Rate());
    }
    if (!ok)
        out = Sound();
    return ok;
}

bool OggDecoder::DecodeFile(IFile* file, Sound& out) const
{
    if (!file) {
        out = Sound();
        return false;
    }
    return Decode(&ReadFile, file, out);
}

bool OggDecoder::DecodeMemory(const uint8_t* data, size_t size, Sound& out) const
{
    MemoryInput in{data, data ? size : 0};
    return Decode(&ReadMemory, &in, out);
}

#endif
