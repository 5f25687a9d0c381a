#ifndef VORNHAL_DEDICATED

#include "engine/audio/AudioSource.h"

#include "engine/audio/Audio.h"
#include "engine/audio/AudioBuffer.h"

#include <AL/al.h>

AudioSource::AudioSource(Audio* audio, unsigned int sourceId) : id_(sourceId), audio_(audio)
{
    if (audio_)
        audio_->AddSource(this);
}

AudioSource::~AudioSource()
{
    if (!audio_)
        return;
    audio_->ForgetSource(this);
    alDeleteSources(1, &id_);
    alGetError();
}

void AudioSource::DetachFromAudio()
{
    if (!audio_)
        return;
    alSourceStop(id_);
    alDeleteSources(1, &id_);
    alGetError();
    audio_ = nullptr;
    started_ = false;
}

void AudioSource::SetPosition(float x, float y)
{
    if (Alive())
        alSource3f(id_, AL_POSITION, x / kUnitsPerAudioUnit, 0.0f, y / kUnitsPerAudioUnit);
}

void AudioSource::SetVolume(float volume)
{
    if (Alive())
        alSourcef(id_, AL_GAIN, volume * 0.006f);
}

void AudioSource::Play(bool loop, bool atListener)
{
    if (!Alive())
        return;
    if (IsPlaying()) {
        // Rewinding alone would leave the voice stopped at its start.
        alSourcei(id_, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
        alSourceRewind(id_);
        alSourcePlay(id_);
    } else {
        if (atListener)
            alSource3f(id_, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcei(id_, AL_SOURCE_RELATIVE, atListener ? AL_TRUE : AL_FALSE);
        alSourcei(id_, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
        alSourcePlay(id_);
    }
    started_ = true;
}

void AudioSource::Stop()
{
    started_ = false;
    if (!Alive())
        return;
    alSourcei(id_, AL_LOOPING, AL_FALSE);
    alSourceStop(id_);
}

bool AudioSource::IsPlaying()
{
    if (!Alive())
        return false;
    ALint state = AL_STOPPED;
    alGetSourcei(id_, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void AudioSource::SetBuffer(IAudioBuffer* buffer)
{
    auto* own = dynamic_cast<AudioBuffer*>(buffer);
    if (!own || !Alive() || own->GetAudio() != audio_)
        return;
    if (IsPlaying()) {
        alSourcei(id_, AL_LOOPING, AL_FALSE);
        alSourceStop(id_);
    }
    alSourcei(id_, AL_BUFFER, ALint(own->GetId()));
}

#endif
