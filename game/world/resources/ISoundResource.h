#pragma once

class IAudioBuffer;

// The sound side of a sound resource. The names are historical: the
// "volume" pair holds the delay in seconds, the "range" pair the volume
// 0..255 (50 by default).
class ISoundResource {
public:
    virtual ~ISoundResource() {}
    virtual void SetVolume(float delay) = 0;
    virtual float GetVolume() = 0;
    virtual void SetRange(float volume) = 0;
    virtual float GetRange() = 0;
    virtual int GetSampleCount() = 0;
    // The audio object's buffer; null past the end.
    virtual IAudioBuffer* GetSample(int i) = 0;
};
