#ifndef VORNHAL_DEDICATED

#include "engine/audio/AudioBuffer.h"

#include "engine/audio/Audio.h"
#include "engine/audio/AudioSource.h"

#include <AL/al.h>

AudioBuffer::AudioBuffer(Audio* audio, unsigned int bufferId, const char16_t* name)
    : id_(bufferId), audio_(audio), name_(name ? name : u"")
{
}

AudioBuffer::~AudioBuffer()
{
    if (audio_)
        audio_->ForgetBuffer(this);
    // A buffer that a voice still plays stays with the device until it
    // closes.
    alGetError();
    alDeleteBuffers(1, &id_);
    alGetError();
}

IAudioSource* AudioBuffer::CreateSource()
{
    if (!audio_)
        return nullptr;
    alGetError();
    ALint size = 0;
    alGetBufferi(id_, AL_SIZE, &size);
    if (alGetError() != AL_NO_ERROR || size <= 0)
        return nullptr;
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR)
        return nullptr;
    alSourcef(source, AL_PITCH, 1.0f);
    alSourcef(source, AL_GAIN, 1.0f);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alSourcef(source, AL_REFERENCE_DISTANCE, AudioSource::kFullVolumeDistance / AudioSource::kUnitsPerAudioUnit);
    alSourcef(source, AL_MAX_DISTANCE, AudioSource::kSilentDistance / AudioSource::kUnitsPerAudioUnit);
    alSourcei(source, AL_BUFFER, ALint(id_));
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &source);
        alGetError();
        return nullptr;
    }
    return new AudioSource(audio_, source);
}

#endif
