#include "OggTestFiles.h"
#include "support/TestSupport.h"

#include "engine/audio/Audio.h"
#include "engine/audio/AudioBuffer.h"
#include "engine/audio/AudioEnvironment.h"
#include "engine/audio/AudioSource.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <set>
#include <thread>

namespace {

using AudioTest::EncodeSine;

class AudioDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        AudioTest::UseWaveDevice();
        files.files[u"sfx\\beep.ogg"] = EncodeSine(1, 44100, 0.3);
        files.files[u"sfx\\stereo22k.ogg"] = EncodeSine(2, 22050, 0.5);
        files.files[u"sfx\\long.ogg"] = EncodeSine(2, 44100, 3.0);
        files.files[u"sfx\\silence.ogg"] = AudioTest::EncodeOgg(1, 44100, 0, [](int64_t, int) { return 0.0f; });
        files.files[u"sfx\\broken.ogg"] =
            std::vector<uint8_t>(files.files[u"sfx\\beep.ogg"].begin(), files.files[u"sfx\\beep.ogg"].begin() + 3000);
        files.files[u"sfx\\empty.ogg"] = {};
        audio = std::make_unique<Audio>(&files);
        ASSERT_TRUE(audio->Init());
    }

    // Plays until the voice ends; a wait, not a measurement.
    static bool WaitUntilStopped(IAudioSource* source)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (source->IsPlaying()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    static ALint SampleOffset(IAudioSource* source)
    {
        ALint offset = 0;
        alGetSourcei(static_cast<AudioSource*>(source)->GetId(), AL_SAMPLE_OFFSET, &offset);
        return offset;
    }

    FakeFileManager files;
    std::unique_ptr<Audio> audio;
};

TEST_F(AudioDevice, LoadsEachFileOnce)
{
    IAudioBuffer* first = audio->LoadSound(u"sfx\\beep.ogg");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(audio->LoadSound(u"sfx\\beep.ogg"), first);
    EXPECT_EQ(files.opens, 1);
    // The name is compared exactly.
    IAudioBuffer* other = audio->LoadSound(u"sfx\\BEEP.ogg");
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(audio->GetBufferCount(), 1);
}

TEST_F(AudioDevice, BufferKeepsTheFilesChannelsAndRate)
{
    struct Case {
        const char16_t* name;
        int channels;
        int rate;
        int frames;
    };
    const Case cases[] = {{u"sfx\\beep.ogg", 1, 44100, 13230}, {u"sfx\\stereo22k.ogg", 2, 22050, 11025}};
    for (const Case& c : cases) {
        auto* buffer = dynamic_cast<AudioBuffer*>(audio->LoadSound(c.name));
        ASSERT_NE(buffer, nullptr);
        ALint bits = 0, channels = 0, rate = 0, size = 0;
        alGetBufferi(buffer->GetId(), AL_BITS, &bits);
        alGetBufferi(buffer->GetId(), AL_CHANNELS, &channels);
        alGetBufferi(buffer->GetId(), AL_FREQUENCY, &rate);
        alGetBufferi(buffer->GetId(), AL_SIZE, &size);
        EXPECT_EQ(bits, 16);
        EXPECT_EQ(channels, c.channels);
        EXPECT_EQ(rate, c.rate);
        EXPECT_EQ(size, c.frames * 2 * c.channels);
    }
}

TEST_F(AudioDevice, BadFilesGiveNoBufferAndLeaveTheDeviceUsable)
{
    EXPECT_EQ(audio->LoadSound(u"sfx\\missing.ogg"), nullptr);
    EXPECT_EQ(audio->LoadSound(u"sfx\\broken.ogg"), nullptr);
    EXPECT_EQ(audio->LoadSound(u"sfx\\empty.ogg"), nullptr);
    EXPECT_EQ(audio->LoadSound(nullptr), nullptr);
    EXPECT_EQ(audio->GetBufferCount(), 0);
    EXPECT_NE(audio->LoadSound(u"sfx\\beep.ogg"), nullptr);
}

TEST_F(AudioDevice, StaleErrorsDoNotFailLaterCalls)
{
    audio->SetListenerPosition(100.0f, 40.0f);
    EXPECT_EQ(alGetError(), AL_NO_ERROR) << "the listener calls themselves are valid";
    alListenerf(AL_GAIN, -1.0f); // an invalid call of someone else's
    IAudioBuffer* buffer = audio->LoadSound(u"sfx\\beep.ogg");
    ASSERT_NE(buffer, nullptr);
    alListenerf(AL_GAIN, -1.0f);
    std::unique_ptr<IAudioSource> source(buffer->CreateSource());
    EXPECT_NE(source, nullptr);
}

TEST_F(AudioDevice, SoundWithoutSamplesMakesNoVoice)
{
    IAudioBuffer* buffer = audio->LoadSound(u"sfx\\silence.ogg");
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->CreateSource(), nullptr);
}

TEST_F(AudioDevice, MasterVolumeSetsTheListenerGain)
{
    const std::pair<float, float> cases[] = {{0.0f, 1.0f}, {3.0f, 1.5f}, {-3.0f, 1.0f}, {-1.5f, 2.0f}, {30.0f, 6.0f}};
    for (auto [volume, gain] : cases) {
        audio->SetMasterVolume(volume);
        ALfloat actual = 0;
        alGetListenerf(AL_GAIN, &actual);
        EXPECT_FLOAT_EQ(actual, gain) << "volume " << volume;
    }
}

TEST_F(AudioDevice, PositionsAreScaledDown)
{
    audio->SetListenerPosition(40.0f, 60.0f);
    float x = 0, y = 0;
    audio->GetListenerPosition(&x, &y);
    EXPECT_EQ(x, 40.0f);
    EXPECT_EQ(y, 60.0f);
    ALfloat lx, ly, lz;
    alGetListener3f(AL_POSITION, &lx, &ly, &lz);
    EXPECT_FLOAT_EQ(lx, 2.0f);
    EXPECT_FLOAT_EQ(ly, 0.0f);
    EXPECT_FLOAT_EQ(lz, 3.0f);

    std::unique_ptr<IAudioSource> source(audio->LoadSound(u"sfx\\beep.ogg")->CreateSource());
    ASSERT_NE(source, nullptr);
    ALuint id = static_cast<AudioSource*>(source.get())->GetId();
    source->SetPosition(100.0f, -200.0f);
    alGetSource3f(id, AL_POSITION, &lx, &ly, &lz);
    EXPECT_FLOAT_EQ(lx, 5.0f);
    EXPECT_FLOAT_EQ(ly, 0.0f);
    EXPECT_FLOAT_EQ(lz, -10.0f);
    source->SetVolume(50.0f);
    ALfloat gain = 0;
    alGetSourcef(id, AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.3f);
}

TEST_F(AudioDevice, PlayAtTheListenerOrInTheWorld)
{
    std::unique_ptr<IAudioSource> source(audio->LoadSound(u"sfx\\long.ogg")->CreateSource());
    ASSERT_NE(source, nullptr);
    ALuint id = static_cast<AudioSource*>(source.get())->GetId();
    source->SetPosition(100.0f, 100.0f);
    source->Play(true, true);
    EXPECT_TRUE(source->IsPlaying());
    EXPECT_TRUE(static_cast<AudioSource*>(source.get())->IsStarted());
    ALint relative = 0, looping = 0;
    ALfloat x, y, z;
    alGetSourcei(id, AL_SOURCE_RELATIVE, &relative);
    alGetSourcei(id, AL_LOOPING, &looping);
    alGetSource3f(id, AL_POSITION, &x, &y, &z);
    EXPECT_EQ(relative, AL_TRUE);
    EXPECT_EQ(looping, AL_TRUE);
    EXPECT_EQ(x + y + z, 0.0f);

    source->Stop();
    EXPECT_FALSE(source->IsPlaying());
    EXPECT_FALSE(static_cast<AudioSource*>(source.get())->IsStarted());
    alGetSourcei(id, AL_LOOPING, &looping);
    EXPECT_EQ(looping, AL_FALSE);

    source->SetPosition(100.0f, 100.0f);
    source->Play(false, false);
    alGetSourcei(id, AL_SOURCE_RELATIVE, &relative);
    alGetSource3f(id, AL_POSITION, &x, &y, &z);
    EXPECT_EQ(relative, AL_FALSE);
    EXPECT_FLOAT_EQ(x, 5.0f);
    EXPECT_TRUE(source->IsPlaying());
}

TEST_F(AudioDevice, PlayingAgainRestartsTheVoice)
{
    std::unique_ptr<IAudioSource> source(audio->LoadSound(u"sfx\\long.ogg")->CreateSource());
    ASSERT_NE(source, nullptr);
    source->Play(false, true);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (SampleOffset(source.get()) < 22050 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ALint before = SampleOffset(source.get());
    ASSERT_GE(before, 22050);
    source->Play(true, true);
    EXPECT_TRUE(source->IsPlaying());
    EXPECT_LT(SampleOffset(source.get()), before);
    ALint looping = 0;
    alGetSourcei(static_cast<AudioSource*>(source.get())->GetId(), AL_LOOPING, &looping);
    EXPECT_EQ(looping, AL_TRUE);
}

TEST_F(AudioDevice, SetBufferStopsAndSwaps)
{
    IAudioBuffer* longSound = audio->LoadSound(u"sfx\\long.ogg");
    auto* beep = dynamic_cast<AudioBuffer*>(audio->LoadSound(u"sfx\\beep.ogg"));
    std::unique_ptr<IAudioSource> source(longSound->CreateSource());
    ASSERT_NE(source, nullptr);
    ALuint id = static_cast<AudioSource*>(source.get())->GetId();
    source->Play(true, true);
    source->SetBuffer(beep);
    EXPECT_FALSE(source->IsPlaying());
    ALint attached = 0;
    alGetSourcei(id, AL_BUFFER, &attached);
    EXPECT_EQ(ALuint(attached), beep->GetId());

    source->SetBuffer(nullptr);
    alGetSourcei(id, AL_BUFFER, &attached);
    EXPECT_EQ(ALuint(attached), beep->GetId());
}

TEST_F(AudioDevice, VoicesAndBuffersMayOutliveOrPrecedeTheAudio)
{
    IAudioBuffer* beep = audio->LoadSound(u"sfx\\beep.ogg");
    IAudioBuffer* other = audio->LoadSound(u"sfx\\stereo22k.ogg");
    IAudioSource* voice = beep->CreateSource();
    ASSERT_NE(voice, nullptr);
    voice->Play(true, true);
    delete other; // the caller frees a buffer itself
    EXPECT_EQ(audio->GetBufferCount(), 1);
    audio.reset();
    EXPECT_FALSE(voice->IsPlaying());
    voice->Play(false, false);
    voice->SetPosition(1, 2);
    delete voice;
}

// Peak levels of the two channels of what the device wrote.
struct Levels {
    double left = -1, right = -1;
    double Peak() const { return std::max(left, right); }
};

// Plays the mono beep once and measures the wave file the device wrote
// (closing the device completes it). atListener false places the voice at
// (x, y) with the listener at (listenerX, listenerY).
Levels PlayAndMeasure(FakeFileManager& files, float masterVolume, bool atListener = true, float x = 0, float y = 0,
                      float listenerX = 0, float listenerY = 0)
{
    Levels levels;
    std::vector<int16_t> samples;
    {
        Audio audio(&files);
        if (!audio.Init())
            return levels;
        audio.SetMasterVolume(masterVolume);
        audio.SetListenerPosition(listenerX, listenerY);
        std::unique_ptr<IAudioSource> source(audio.LoadSound(u"sfx\\beep.ogg")->CreateSource());
        source->SetVolume(50.0f);
        source->SetPosition(x, y);
        source->Play(false, atListener);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (source->IsPlaying() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // A little more of the device's own time, so the last periods are out.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    int rate = 0;
    if (!AudioTest::ReadWave(AudioTest::WaveFilePath(), samples, rate))
        return levels;
    levels.left = levels.right = 0;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        levels.left = std::max(levels.left, std::fabs(double(samples[i])));
        levels.right = std::max(levels.right, std::fabs(double(samples[i + 1])));
    }
    return levels;
}

TEST_F(AudioDevice, PlayedVoicesReachTheDevice)
{
    audio.reset(); // one device at a time writes the wave file
    double normal = PlayAndMeasure(files, 0.0f).Peak();
    double louder = PlayAndMeasure(files, 3.0f).Peak();
    double softer = PlayAndMeasure(files, -6.0f).Peak();
    ASSERT_GT(normal, 1000.0) << "the voice produced samples";
    EXPECT_NEAR(louder / normal, 1.5, 0.08);
    EXPECT_NEAR(softer / normal, 0.5, 0.05);
}

TEST_F(AudioDevice, VoicesInTheWorldArePlacedAndFadeWithDistance)
{
    audio.reset();
    const float lx = 1000.0f, ly = 2000.0f;
    Levels left = PlayAndMeasure(files, 0.0f, false, lx - 300.0f, ly, lx, ly);
    Levels right = PlayAndMeasure(files, 0.0f, false, lx + 300.0f, ly, lx, ly);
    Levels far = PlayAndMeasure(files, 0.0f, false, lx, ly - 800.0f, lx, ly);
    Levels beyond = PlayAndMeasure(files, 0.0f, false, lx + 5000.0f, ly, lx, ly);
    ASSERT_GT(left.Peak(), 1000.0) << "the voice produced samples";
    EXPECT_GT(left.left, 2.0 * left.right);
    EXPECT_GT(right.right, 2.0 * right.left);
    EXPECT_LT(far.left + far.right, 0.5 * (left.left + left.right));
    EXPECT_GT(far.Peak(), 100.0) << "still heard within the fading distance";
    EXPECT_LT(beyond.Peak(), 50.0);
}

TEST(AudioPresets, NamesByIndex)
{
    Audio audio(nullptr);
    const std::pair<int, std::u16string> cases[] = {
        {0, u"Generic"}, {1, u"Paddedcell"},  {7, u"Concert hall"}, {11, u"Carpetted hallway"},
        {15, u"Forest"}, {22, u"Underwater"}, {25, u"Psychotic"},   {26, u""},
        {-1, u""},       {1000, u""},
    };
    for (const auto& [index, name] : cases)
        EXPECT_EQ(std::u16string(audio.GetEnvironmentPresetName(index)), name) << index;
    std::set<std::u16string> names;
    for (int i = 0; i < Audio::kPresetCount; ++i)
        names.insert(audio.GetEnvironmentPresetName(i));
    EXPECT_EQ(names.size(), 26u);
    EXPECT_EQ(names.count(u""), 0u);
}

TEST(AudioPresets, EnvironmentsKeepPresetOrCustomValues)
{
    Audio audio(nullptr);
    std::unique_ptr<IAudioEnvironment> made(audio.CreateEnvironment());
    auto* environment = dynamic_cast<AudioEnvironment*>(made.get());
    ASSERT_NE(environment, nullptr);
    EXPECT_FALSE(environment->IsCustom());
    AudioEnvironmentParameters values{-1000, -100,   0.0f, 1.49f, 0.83f, -2602, 0.007f,
                                      200,   0.011f, 3,    7.5f,  1.0f,  -5.0f};
    environment->SetParameters(&values);
    EXPECT_TRUE(environment->IsCustom());
    EXPECT_EQ(environment->GetParameters().reflections, -2602);
    EXPECT_FLOAT_EQ(environment->GetParameters().environmentSize, 7.5f);
    environment->SetPreset(22);
    EXPECT_FALSE(environment->IsCustom());
    EXPECT_EQ(environment->GetParameters().environment, 22);
    EXPECT_EQ(environment->GetParameters().room, -1000);
    environment->SetParameters(nullptr);
    EXPECT_FALSE(environment->IsCustom());
    audio.SetEnvironment(environment);
    audio.SetEnvironment(nullptr);
    EXPECT_TRUE(audio.Reserved(1, 2));
}

TEST(AudioWithoutDevice, LoadingBeforeInitGivesNothing)
{
    FakeFileManager files;
    files.files[u"a.ogg"] = EncodeSine(1, 44100, 0.1);
    Audio audio(&files);
    EXPECT_EQ(audio.LoadSound(u"a.ogg"), nullptr);
    audio.SetListenerPosition(1, 2);
    audio.SetMasterVolume(3);
    float x = 0, y = 0;
    audio.GetListenerPosition(&x, &y);
    EXPECT_EQ(x, 1.0f);
}

} // namespace
