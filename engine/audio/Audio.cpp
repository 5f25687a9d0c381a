#ifndef VORNHAL_DEDICATED

#include "engine/audio/Audio.h"

#include "engine/audio/AudioBuffer.h"
#include "engine/audio/AudioEnvironment.h"
#include "engine/audio/AudioSource.h"
#include "engine/audio/OggDecoder.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <alsa/asoundlib.h>

#include <cstdlib>

namespace {

// The sound system's own complaints (no card, no default device) belong to
// the engine's log, which keeps nothing; the game says once that it is
// silent.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

void QuietSoundLibraries()
{
    // Read by OpenAL when the first device opens; a player's own choice stays.
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    snd_lib_error_set_handler(QuietAlsa);
}

const char16_t* const kPresetNames[Audio::kPresetCount] = {
    u"Generic",    u"Paddedcell",    u"Room",       u"Bathroom",  u"Livingroom", u"Stoneroom",
    u"Auditorium", u"Concert hall",  u"Cave",       u"Arena",     u"Hangar",     u"Carpetted hallway",
    u"Hallway",    u"Stonecorridor", u"Alley",      u"Forest",    u"City",       u"Mountains",
    u"Quarry",     u"Plain",         u"Parkinglot", u"Sewerpipe", u"Underwater", u"Drugged",
    u"Dizzy",      u"Psychotic",
};

} // namespace

Audio::Audio(IFileManager* fileManager) : fileManager_(fileManager) {}

Audio::~Audio()
{
    // Voices the game still holds go silent; their later deletion frees
    // nothing more.
    while (sources_.GetCount() > 0) {
        AudioSource* source = sources_.Get(sources_.GetCount() - 1);
        sources_.RemoveAt(sources_.GetCount() - 1);
        source->DetachFromAudio();
    }
    if (context_) {
        if (listenerSource_)
            alDeleteSources(1, &listenerSource_);
    }
    for (int i = 0; i < buffers_.GetCount(); ++i) {
        buffers_.Get(i)->DetachFromAudio();
        delete buffers_.Get(i);
    }
    buffers_.Clear();
    if (context_) {
        alDeleteBuffers(2, reservedBuffers_);
        alGetError();
        if (alcGetCurrentContext() == context_)
            alcMakeContextCurrent(nullptr);
        alcDestroyContext(context_);
    }
    if (device_)
        alcCloseDevice(device_);
}

bool Audio::Init()
{
    if (ready_)
        return true;
    if (!device_) {
        // The system's default output: on this platform the other names in
        // the device list are sinks the player did not choose.
        QuietSoundLibraries();
        device_ = alcOpenDevice(nullptr);
        if (!device_)
            return false;
    }
    if (!context_) {
        context_ = alcCreateContext(device_, nullptr);
        if (!context_)
            return false;
    }
    if (!alcMakeContextCurrent(context_))
        return false;
    alGetError();
    // Voices fade out over the distance at which the game stops sending
    // sounds (see AudioBuffer::CreateSource).
    alDistanceModel(AL_LINEAR_DISTANCE_CLAMPED);
    alGenBuffers(2, reservedBuffers_);
    if (alGetError() != AL_NO_ERROR)
        return false;
    alGenSources(1, &listenerSource_);
    if (alGetError() != AL_NO_ERROR) {
        listenerSource_ = 0;
        return false;
    }
    alSource3f(listenerSource_, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(listenerSource_, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alSource3f(listenerSource_, AL_DIRECTION, 0.0f, 0.0f, 0.0f);
    alSourcef(listenerSource_, AL_ROLLOFF_FACTOR, 0.0f);
    alSourcei(listenerSource_, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcei(listenerSource_, AL_LOOPING, AL_FALSE);
    if (alGetError() != AL_NO_ERROR)
        return false;
    ready_ = true;
    return true;
}

IAudioBuffer* Audio::LoadSound(const char16_t* path)
{
    if (!path)
        return nullptr;
    for (int i = 0; i < buffers_.GetCount(); ++i)
        if (buffers_.Get(i)->GetName() == path)
            return buffers_.Get(i);
    if (!ready_ || !fileManager_)
        return nullptr;

    IFile* file = fileManager_->Open(path, kOpenRead, 0);
    if (!file)
        return nullptr;
    OggDecoder::Sound sound;
    bool decoded = OggDecoder().DecodeFile(file, sound);
    delete file;
    if (!decoded)
        return nullptr;

    // A stale error of an earlier unchecked call must not fail this load.
    alGetError();
    ALuint id = 0;
    alGenBuffers(1, &id);
    if (alGetError() != AL_NO_ERROR)
        return nullptr;
    // OpenAL places only mono buffers in the world.
    ALenum format = sound.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    alBufferData(id, format, sound.samples.data(), ALsizei(sound.samples.size() * sizeof(int16_t)),
                 ALsizei(sound.rate));
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &id);
        alGetError();
        return nullptr;
    }
    auto* buffer = new AudioBuffer(this, id, path);
    buffers_.Add(buffer);
    return buffer;
}

void Audio::SetListenerPosition(float x, float y)
{
    listenerX_ = x;
    listenerY_ = y;
    if (!ready_)
        return;
    alListener3f(AL_POSITION, x / AudioSource::kUnitsPerAudioUnit, 0.0f, y / AudioSource::kUnitsPerAudioUnit);
    alListener3f(AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    // Facing -z with +y up puts +x on the right, as on the screen.
    const ALfloat orientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
    alListenerfv(AL_ORIENTATION, orientation);
}

void Audio::GetListenerPosition(float* x, float* y)
{
    if (x)
        *x = listenerX_;
    if (y)
        *y = listenerY_;
}

float Audio::MasterGain(float volume)
{
    float a = volume / 3.0f;
    return a >= 0.0f ? 0.5f * a + 1.0f : 1.0f / -a;
}

void Audio::SetMasterVolume(float volume)
{
    if (ready_)
        alListenerf(AL_GAIN, MasterGain(volume));
}

bool Audio::Reserved(int, int) { return true; }

void Audio::Update() {}

const char16_t* Audio::GetEnvironmentPresetName(int index)
{
    return (index >= 0 && index < kPresetCount) ? kPresetNames[index] : u"";
}

IAudioEnvironment* Audio::CreateEnvironment() { return new AudioEnvironment(); }

void Audio::SetEnvironment(IAudioEnvironment*) {}

void Audio::ForgetBuffer(AudioBuffer* buffer) { buffers_.Remove(buffer); }

void Audio::AddSource(AudioSource* source) { sources_.Add(source); }

void Audio::ForgetSource(AudioSource* source) { sources_.Remove(source); }

#endif
