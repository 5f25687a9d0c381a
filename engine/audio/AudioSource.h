#pragma once

#include "engine/audio/IAudioSource.h"

class Audio;

// One voice of the device.
class AudioSource : public IAudioSource {
public:
    // Game units (pixels) per unit of the device's world.
    static constexpr float kUnitsPerAudioUnit = 20.0f;
    // A voice in the world plays at full volume up to the first distance, in
    // game units, and fades to silence at the second, where the game stops
    // sending sounds to a player.
    static constexpr float kFullVolumeDistance = 100.0f;
    static constexpr float kSilentDistance = 1000.0f;

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
