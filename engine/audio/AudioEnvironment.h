#pragma once

#include "engine/audio/IAudioEnvironment.h"

// A reverb parameter block. It is stored and chosen, never sent to the
// sound device.
class AudioEnvironment : public IAudioEnvironment {
public:
    AudioEnvironment();

    void SetParameters(const AudioEnvironmentParameters* parameters) override;
    void SetPreset(int index) override;

    const AudioEnvironmentParameters& GetParameters() const { return parameters_; }
    bool IsCustom() const { return custom_; }

private:
    AudioEnvironmentParameters parameters_;
    bool custom_ = false;
};
