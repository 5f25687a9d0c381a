#pragma once

#include "engine/audio/IAudio.h"
#include "engine/core/List.h"

#include <AL/alc.h>

class IFileManager;
class AudioBuffer;
class AudioSource;

// Sound output through OpenAL: the device and its context, the loaded
// sounds, the listener.
class Audio : public IAudio {
public:
    explicit Audio(IFileManager* fileManager);
    ~Audio() override;
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    bool Init() override;
    IAudioBuffer* LoadSound(const char16_t* path) override;
    void SetListenerPosition(float x, float y) override;
    void GetListenerPosition(float* x, float* y) override;
    void SetMasterVolume(float volume) override;
    bool Reserved(int a, int b) override;
    void Update() override;
    const char16_t* GetEnvironmentPresetName(int index) override;
    IAudioEnvironment* CreateEnvironment() override;
    void SetEnvironment(IAudioEnvironment* environment) override;

    // Listener gain for a master volume.
    static float MasterGain(float volume);
    static constexpr int kPresetCount = 26;

    int GetBufferCount() const { return buffers_.GetCount(); }

    // Bookkeeping of the buffers and voices made on this device, so that
    // each can be freed in either order.
    void ForgetBuffer(AudioBuffer* buffer);
    void AddSource(AudioSource* source);
    void ForgetSource(AudioSource* source);

private:
    IFileManager* fileManager_;
    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    bool ready_ = false;
    Util::List<AudioBuffer> buffers_;
    Util::List<AudioSource> sources_;
    float listenerX_ = 0.0f;
    float listenerY_ = 0.0f;
    unsigned int reservedBuffers_[2] = {0, 0};
    unsigned int listenerSource_ = 0;
};
