#pragma once

#include "game/world/objects/ObjectContacts.h"

// The world objects' sounds and particles, played through the sound system
// and the particle system the game state publishes.
class EffectOutput : public IObjectOutput {
public:
    void PlayAt(IAudioBuffer* sound, float x, float y, float volume) override;
    void TriggerShared(IAudioBuffer* sound, float x, float y, int variant, float hold) override;
    void PlayNamed(const char16_t* file, float x, float y, float volume) override;
    void SpawnFireParticle(float x0, float y0, float x1, float y1, float size, float lifetime) override;
    void SpawnDust(float x, float y, float angle, int type) override;
};
