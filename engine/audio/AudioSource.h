#pragma once

#include "engine/audio/IAudioSource.h"

class Audio;

// One voice of the device.
class AudioSource : public IAudioSource {
public:
    AudioSource(Audio* audio, unsigned int sourceId);
    ~AudioSource() override;
    AudioSource(const AudioSource&) = delete;
    AudioSource& operator=(const AudioSource&) = delete;

    void SetPosition(float x, float y) override;
    void SetVolume(float volume) override;
    void Play(bool loop, bool atListener) override;
    void Stop() override;
    bool IsPlaying() override;
    void SetBuffer(IAudioBuffer* buffer) override;

    unsigned int GetId() const { return id_; }
    bool IsStarted() const { return started_; }
    // The audio object closes its device: the voice goes silent for good.
    void DetachFromAudio();

private:
    bool Alive() const { return audio_ != nullptr; }

    unsigned int id_;
    Audio* audio_;
    bool started_ = false;
};
