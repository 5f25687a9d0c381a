#pragma once

class IAudioBuffer;

// One playing voice.
class IAudioSource {
public:
    virtual ~IAudioSource() {}
    virtual void SetPosition(float x, float y) = 0;
    virtual void SetVolume(float volume) = 0;
    virtual void Play(bool loop, bool atListener) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    virtual void SetBuffer(IAudioBuffer* buffer) = 0;
};
