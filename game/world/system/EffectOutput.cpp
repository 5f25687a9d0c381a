#include "game/world/system/EffectOutput.h"

#include "game/world/map/Light.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/objects/SoundSystem.h"
#include "game/world/objects/WorldEffects.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResource.h"
#include "game/world/state/WorldServices.h"

namespace {

// The shared sound whose sample this is; 0 for none.
int SoundIdOf(IAudioBuffer* sample)
{
    CommonMedia* media = Services().media;
    IResource* sound = media && sample ? media->FindSoundBySample(sample) : nullptr;
    return sound ? sound->GetId() : 0;
}

// The pooled source of the sound near (x, y), moved there and triggered.
void TriggerPooled(int soundId, float x, float y, int variant, float hold)
{
    SoundSystem* sounds = Services().sounds;
    SoundSource* source = sounds ? sounds->GetShared(soundId, x, y) : nullptr;
    if (!source)
        return;
    source->x = x;
    source->y = y;
    source->Trigger(variant, hold);
}

} // namespace

void EffectOutput::PlayAt(IAudioBuffer* sound, float x, float y, float volume)
{
    if (SoundSystem* sounds = Services().sounds)
        sounds->PlayAt(SoundIdOf(sound), x, y, volume);
}

void EffectOutput::TriggerShared(IAudioBuffer* sound, float x, float y, int variant, float hold)
{
    TriggerPooled(SoundIdOf(sound), x, y, variant, hold);
}

void EffectOutput::PlayNamed(const char16_t* file, float x, float y, float volume)
{
    CommonMedia* media = Services().media;
    IResource* sound = media ? media->FindSoundByFile(file) : nullptr;
    if (SoundSystem* sounds = Services().sounds; sounds && sound)
        sounds->PlayAt(sound->GetId(), x, y, volume);
}

void EffectOutput::SpawnFireParticle(float x0, float y0, float, float, float, float) { ::SpawnFireParticle(x0, y0); }

void EffectOutput::SpawnDust(float x, float y, float, int type) { ::SpawnDust(x, y, type); }

void EffectOutput::BreakParticles(float x, float y, int type, float blastX, float blastY, float blastAmount)
{
    CreateBreakParticle(x, y, blastX, blastY, blastAmount, type);
}

void EffectOutput::Dust(float x, float y, float direction, int type) { CreateDust(x, y, direction, type); }

void EffectOutput::Flash(float x, float y, float seconds, float size, float power)
{
    CreateTimedLight(x, y, seconds, size, power);
}

void EffectOutput::HitSound(IResource* sound, float x, float y, int variant)
{
    // Hits come fast: a hit of the same shot within a tenth of a second is
    // heard once.
    if (sound)
        TriggerPooled(sound->GetId(), x, y, variant, 0.1f);
}
