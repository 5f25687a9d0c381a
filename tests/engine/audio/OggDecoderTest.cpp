#include "OggTestFiles.h"
#include "support/TestSupport.h"

#include "engine/audio/OggDecoder.h"

#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <cmath>
#include <cstring>
#include <limits>

using AudioTest::EncodeSine;

namespace {

// What the loader must give for libvorbisfile's floats: a running peak that
// never falls, 0.7 of full scale, mono as mono and at most two channels.
std::vector<int16_t> ExpectedFromReference(const AudioTest::Reference& ref)
{
    std::vector<int16_t> out;
    float peak = 1.0f, gain = 1.0f;
    auto scale = [&](float s) {
        if (std::fabs(s) > peak) {
            peak = std::fabs(s);
            gain = 1.0f / peak;
        }
        return int16_t(s * gain * 0.7 * 32767);
    };
    size_t frames = ref.samples.size() / size_t(ref.channels);
    for (size_t f = 0; f < frames; ++f) {
        const float* frame = &ref.samples[f * size_t(ref.channels)];
        out.push_back(scale(frame[0]));
        if (ref.channels > 1)
            out.push_back(scale(frame[1]));
    }
    return out;
}

struct Stream {
    const char* seed;
    int channels;
    int rate;
    double seconds;
};

class DecodeMatchesVorbisfile : public ::testing::TestWithParam<Stream> {};

TEST_P(DecodeMatchesVorbisfile, SampleForSample)
{
    const Stream& s = GetParam();
    std::vector<uint8_t> ogg = EncodeSine(s.channels, s.rate, s.seconds, 440.0f, 0.9f);
    ASSERT_FALSE(ogg.empty());
    TestSupport::WriteFuzzSeed("ogg_loader", s.seed, ogg);

    AudioTest::Reference ref;
    ASSERT_TRUE(AudioTest::DecodeWithVorbisfile(ogg, ref));
    OggDecoder::Sound sound;
    ASSERT_TRUE(OggDecoder().DecodeMemory(ogg.data(), ogg.size(), sound));

    EXPECT_EQ(sound.rate, s.rate);
    EXPECT_EQ(sound.channels, std::min(s.channels, 2));
    EXPECT_EQ(sound.Frames(), int64_t(std::llround(s.seconds * s.rate)));
    std::vector<int16_t> expected = ExpectedFromReference(ref);
    ASSERT_EQ(sound.samples.size(), expected.size());
    size_t firstDifference = expected.size();
    for (size_t i = 0; i < expected.size() && firstDifference == expected.size(); ++i)
        if (sound.samples[i] != expected[i])
            firstDifference = i;
    EXPECT_EQ(firstDifference, expected.size()) << "first differing value at " << firstDifference;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, DecodeMatchesVorbisfile,
    ::testing::Values(Stream{"mono44k.ogg", 1, 44100, 3.0}, Stream{"stereo44k.ogg", 2, 44100, 1.0},
                      Stream{"mono22k.ogg", 1, 22050, 0.5}, Stream{"stereo48k.ogg", 2, 48000, 0.25},
                      Stream{"stereo8k.ogg", 2, 8000, 2.0}, Stream{"tiny.ogg", 1, 44100, 10.0 / 44100},
                      Stream{"short-stereo.ogg", 2, 44100, 0.01}, Stream{"three-channels.ogg", 3, 44100, 0.5}));

TEST(OggDecoder, ThreeSecondsOfMonoStayMono)
{
    std::vector<uint8_t> ogg = EncodeSine(1, 44100, 3.0);
    OggDecoder::Sound sound;
    ASSERT_TRUE(OggDecoder().DecodeMemory(ogg.data(), ogg.size(), sound));
    EXPECT_EQ(sound.channels, 1);
    ASSERT_EQ(sound.Frames(), 132300);
    ASSERT_EQ(sound.samples.size(), 132300u);
    int nonzero = 0;
    for (int16_t v : sound.samples)
        nonzero += v != 0;
    EXPECT_GT(nonzero, 100000);
}

TEST(OggDecoder, StereoKeepsItsChannelsApart)
{
    // Left loud, right silent.
    std::vector<uint8_t> ogg = AudioTest::EncodeOgg(
        2, 44100, 22050, [](int64_t f, int c) { return c == 0 ? AudioTest::Sine(f, 0, 44100, 300.0f, 0.8f) : 0.0f; });
    OggDecoder::Sound sound;
    ASSERT_TRUE(OggDecoder().DecodeMemory(ogg.data(), ogg.size(), sound));
    int64_t left = 0, right = 0;
    for (int64_t f = 0; f < sound.Frames(); ++f) {
        left += std::abs(sound.samples[2 * f]);
        right += std::abs(sound.samples[2 * f + 1]);
    }
    EXPECT_GT(left, 50 * right + 1);
}

TEST(OggDecoder, ShortFilesAreRead)
{
    std::vector<uint8_t> ogg = EncodeSine(1, 8000, 0.01);
    ASSERT_LT(ogg.size(), size_t(OggDecoder::kBlockSize)) << "the file is meant to be shorter than one read";
    TestSupport::WriteFuzzSeed("ogg_loader", "short8k.ogg", ogg);
    OggDecoder::Sound sound;
    ASSERT_TRUE(OggDecoder().DecodeMemory(ogg.data(), ogg.size(), sound));
    EXPECT_EQ(sound.Frames(), 80);
    EXPECT_EQ(sound.rate, 8000);
}

TEST(OggDecoder, ReadsFilesInBlocks)
{
    std::vector<uint8_t> ogg = EncodeSine(2, 44100, 0.5);
    BytesFile::largestRead = 0;
    BytesFile file(u"x.ogg", ogg);
    OggDecoder::Sound sound;
    ASSERT_TRUE(OggDecoder().DecodeFile(&file, sound));
    EXPECT_EQ(sound.Frames(), 22050);
    EXPECT_EQ(BytesFile::largestRead, OggDecoder::kBlockSize);
    EXPECT_FALSE(OggDecoder().DecodeFile(nullptr, sound));
}

TEST(OggDecoderScaler, PeakNeverFallsBack)
{
    struct Step {
        float in;
        int16_t out;
    };
    // 0.7 x 32767 = 22936.9
    const Step steps[] = {
        {0.5f, 11468}, {1.0f, 22936},   {1.5f, 22936}, {0.75f, 11468}, {-1.5f, -22936},
        {0.3f, 4587},  {-3.0f, -22936}, {0.75f, 5734}, {0.0f, 0},
    };
    OggDecoder::Scaler scaler;
    for (const Step& s : steps)
        EXPECT_EQ(scaler.Scale(s.in), s.out) << "input " << s.in;
    EXPECT_FLOAT_EQ(scaler.Peak(), 3.0f);
}

TEST(OggDecoderScaler, FramesScaleAsValuesOneByOneInFrameOrder)
{
    // Quiet runs, a rise of the peak on either channel, NaN, and lengths
    // that are not whole runs.
    std::vector<float> left(1000), right(1000);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = 0.9f * std::sin(float(i) * 0.05f);
        right[i] = 0.8f * std::cos(float(i) * 0.07f);
    }
    right[300] = 1.25f;
    left[301] = -1.5f;
    left[700] = std::numeric_limits<float>::quiet_NaN();
    right[900] = 2.0f;
    for (bool stereo : {false, true}) {
        for (int frames : {0, 5, 64, 130, 1000}) {
            OggDecoder::Scaler one, run;
            std::vector<int16_t> expected, actual(size_t(frames) * (stereo ? 2 : 1), 12345);
            for (int f = 0; f < frames; ++f) {
                expected.push_back(one.Scale(left[size_t(f)]));
                if (stereo)
                    expected.push_back(one.Scale(right[size_t(f)]));
            }
            run.ScaleFrames(left.data(), stereo ? right.data() : nullptr, frames, actual.data());
            EXPECT_EQ(actual, expected) << (stereo ? "stereo, " : "mono, ") << frames << " frames";
            EXPECT_EQ(run.Peak(), one.Peak());
        }
    }
}

TEST(OggDecoderScaler, NonFiniteValuesGiveSilence)
{
    OggDecoder::Scaler scaler;
    EXPECT_EQ(scaler.Scale(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(scaler.Scale(0.5f), 11468);
    EXPECT_EQ(scaler.Scale(std::numeric_limits<float>::infinity()), 0);
}

// The first page holds the identification header; change a byte of it and
// make the page's checksum right again, so only the header is wrong.
std::vector<uint8_t> WithHeaderByte(std::vector<uint8_t> ogg, size_t offset, std::vector<uint8_t> bytes)
{
    ogg_page page;
    size_t segments = ogg[26];
    size_t headerLen = 27 + segments;
    size_t bodyLen = 0;
    for (size_t i = 0; i < segments; ++i)
        bodyLen += ogg[27 + i];
    for (size_t i = 0; i < bytes.size(); ++i)
        ogg[headerLen + offset + i] = bytes[i];
    page.header = ogg.data();
    page.header_len = long(headerLen);
    page.body = ogg.data() + headerLen;
    page.body_len = long(bodyLen);
    ogg_page_checksum_set(&page);
    return ogg;
}

TEST(OggDecoder, BrokenInputFailsCleanly)
{
    std::vector<uint8_t> good = EncodeSine(2, 44100, 3.0);
    ASSERT_GT(good.size(), 8000u);
    std::vector<uint8_t> flipped = good;
    flipped[good.size() / 2] ^= 0x40;
    std::vector<uint8_t> garbage = TestSupport::PseudoRandomBytes(20000, 7);
    std::vector<uint8_t> garbageAfterCapture = good;
    garbageAfterCapture.resize(200);
    garbageAfterCapture.insert(garbageAfterCapture.end(), garbage.begin(), garbage.end());

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"text", std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}},
        {"random bytes", garbage},
        {"first page only", std::vector<uint8_t>(good.begin(), good.begin() + 58)},
        {"cut in the headers", std::vector<uint8_t>(good.begin(), good.begin() + 1000)},
        {"cut in the audio", std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2))},
        {"last page cut", std::vector<uint8_t>(good.begin(), good.end() - 10)},
        {"flipped byte", flipped},
        {"garbage after the capture pattern", garbageAfterCapture},
        {"no channels", WithHeaderByte(good, 11, {0})},
        {"rate 0", WithHeaderByte(good, 12, {0, 0, 0, 0})},
        {"rate 2^31 - 1", WithHeaderByte(good, 12, {0xff, 0xff, 0xff, 0x7f})},
        {"rate 10 MHz", WithHeaderByte(good, 12, {0x80, 0x96, 0x98, 0x00})},
        {"block sizes", WithHeaderByte(good, 28, {0xff})},
        {"not vorbis", WithHeaderByte(good, 1, {'x'})},
    };
    for (const Case& c : cases) {
        OggDecoder::Sound sound;
        ASSERT_TRUE(sound.samples.Resize(10));
        sound.rate = 5;
        EXPECT_FALSE(OggDecoder().DecodeMemory(c.bytes.data(), c.bytes.size(), sound)) << c.name;
        EXPECT_TRUE(sound.samples.empty()) << c.name;
        EXPECT_EQ(sound.rate, 0) << c.name;
    }
    // The patched header itself is accepted when the value is sound.
    std::vector<uint8_t> rate22k = WithHeaderByte(good, 12, {0x22, 0x56, 0x00, 0x00});
    OggDecoder::Sound sound;
    EXPECT_TRUE(OggDecoder().DecodeMemory(rate22k.data(), rate22k.size(), sound));
    EXPECT_EQ(sound.rate, 22050);
}

TEST(OggDecoder, OutputIsBounded)
{
    std::vector<uint8_t> ogg = EncodeSine(1, 44100, 1.0);
    OggDecoder::Sound sound;
    EXPECT_FALSE(OggDecoder(40000).DecodeMemory(ogg.data(), ogg.size(), sound));
    EXPECT_TRUE(sound.samples.empty());
    EXPECT_TRUE(OggDecoder(44100).DecodeMemory(ogg.data(), ogg.size(), sound));
}

} // namespace
