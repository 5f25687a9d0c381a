#pragma once

#include "engine/audio/IAudioBuffer.h"

#include <string>

class Audio;

// One loaded sound in the device's memory.
class AudioBuffer : public IAudioBuffer {
public:
    AudioBuffer(Audio* audio, unsigned int bufferId, const char16_t* name);
    ~AudioBuffer() override;
    AudioBuffer(const AudioBuffer&) = delete;
    AudioBuffer& operator=(const AudioBuffer&) = delete;

    IAudioSource* CreateSource() override;

    unsigned int GetId() const { return id_; }
    const std::u16string& GetName() const { return name_; }
    Audio* GetAudio() const { return audio_; }
    // The audio object is going away and frees the buffer itself.
    void DetachFromAudio() { audio_ = nullptr; }

private:
    unsigned int id_;
    Audio* audio_;
    std::u16string name_;
};
