#ifndef VORNHAL_DEDICATED

#include "engine/audio/AudioEnvironment.h"

AudioEnvironment::AudioEnvironment() : parameters_() {}

void AudioEnvironment::SetParameters(const AudioEnvironmentParameters* parameters)
{
    if (!parameters)
        return;
    parameters_ = *parameters;
    custom_ = true;
}

void AudioEnvironment::SetPreset(int index)
{
    parameters_.environment = index;
    custom_ = false;
}

#endif
