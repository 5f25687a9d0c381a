#pragma once

#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectEffects.h"

// The world objects' sounds and particles, played through the sound system
// and the particle system the game state publishes, and what a hit or a
// blast on an object sets off: fragments and dust as effect objects, which a
// server announces to its clients, a flash, and the object's pooled sound,
// which reaches the clients in range.
class EffectOutput : public IObjectOutput, public IObjectEffects {
public:
    void PlayAt(IAudioBuffer* sound, float x, float y, float volume) override;
    void TriggerShared(IAudioBuffer* sound, float x, float y, int variant, float hold) override;
    void PlayNamed(const char16_t* file, float x, float y, float volume) override;
    void SpawnFireParticle(float x0, float y0, float x1, float y1, float size, float lifetime) override;
    void SpawnDust(float x, float y, float angle, int type) override;

    void BreakParticles(float x, float y, int type, float blastX, float blastY, float blastAmount) override;
    void Dust(float x, float y, float direction, int type) override;
    void Flash(float x, float y, float seconds, float size, float power) override;
    void HitSound(IResource* sound, float x, float y, int variant) override;
};
