#pragma once

#include <cstdint>

// The 13 values of an environment, in the layout of the EAX 2.0 listener
// properties.
struct AudioEnvironmentParameters {
    int32_t room;
    int32_t roomHF;
    float roomRolloffFactor;
    float decayTime;
    float decayHFRatio;
    int32_t reflections;
    float reflectionsDelay;
    int32_t reverb;
    float reverbDelay;
    int32_t environment; // the preset index
    float environmentSize;
    float environmentDiffusion;
    float airAbsorptionHF;
};

// A reverb setting: a preset or custom values.
class IAudioEnvironment {
public:
    virtual ~IAudioEnvironment() {}
    virtual void SetParameters(const AudioEnvironmentParameters* parameters) = 0;
    virtual void SetPreset(int index) = 0;
};
