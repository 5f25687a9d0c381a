#include "game/world/system/EffectOutput.h"

#include "game/world/objects/ParticleSystem.h"
#include "game/world/objects/SoundSystem.h"
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
} // namespace

void EffectOutput::PlayAt(IAudioBuffer* sound, float x, float y, float volume)
{
    if (SoundSystem* sounds = Services().sounds)
        sounds->PlayAt(SoundIdOf(sound), x, y, volume);
}

void EffectOutput::TriggerShared(IAudioBuffer* sound, float x, float y, int variant, float hold)
{
    SoundSystem* sounds = Services().sounds;
    SoundSource* source = sounds ? sounds->GetShared(SoundIdOf(sound), x, y) : nullptr;
    if (!source)
        return;
    source->x = x;
    source->y = y;
    source->Trigger(variant, hold);
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
