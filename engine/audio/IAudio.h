#pragma once

class IAudioBuffer;
class IAudioEnvironment;

// Sound output. Positions are game units (pixels); the sound world is 20
// times smaller. Made by the engine, destroyed by its caller.
class IAudio {
public:
    virtual ~IAudio() {}
    virtual bool Init() = 0;
    // The buffer of a whole Ogg Vorbis file, the audio object's, shared by
    // file name; null when the file cannot be read or decoded.
    virtual IAudioBuffer* LoadSound(const char16_t* path) = 0;
    virtual void SetListenerPosition(float x, float y) = 0;
    virtual void GetListenerPosition(float* x, float* y) = 0;
    virtual void SetMasterVolume(float volume) = 0;
    // Kept for the slot order; has no effect.
    virtual bool Reserved(int a, int b) = 0;
    virtual void Update() = 0;
    // Name of an environment preset, empty for an index out of range.
    virtual const char16_t* GetEnvironmentPresetName(int index) = 0;
    // A new environment that the caller owns.
    virtual IAudioEnvironment* CreateEnvironment() = 0;
    virtual void SetEnvironment(IAudioEnvironment* environment) = 0;
};
