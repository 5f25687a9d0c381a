#include "game/world/resources/SoundResource.h"

#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"

SoundResource::SoundResource(IResourceManager* manager) : Resource(manager, ResourceClass::Sound) {}

SoundResource::~SoundResource() {}

ITexture* SoundResource::GetImage() { return nullptr; }

void SoundResource::AddItem(ParameterRecord* record) { items_.Add(record); }

ParameterRecord* SoundResource::FindItem(const char16_t* name) { return items_.Find(name); }

void SoundResource::AddGraphicsLink(IResource*) {}

Resource* SoundResource::FindGraphicsByFile(const char16_t*) { return nullptr; }

Resource* SoundResource::FindGraphicsByName(const char16_t*) { return nullptr; }

const uint32_t* SoundResource::CreateThumbnail() { return nullptr; }

void SoundResource::FreeThumbnail() {}

ISoundResource* SoundResource::GetSoundInterface() { return this; }

void SoundResource::SetVolume(float delay) { delay_ = delay; }

float SoundResource::GetVolume() { return delay_; }

void SoundResource::SetRange(float volume) { volume_ = volume; }

float SoundResource::GetRange() { return volume_; }

int SoundResource::GetSampleCount() { return samples_.GetCount(); }

IAudioBuffer* SoundResource::GetSample(int i) { return samples_.Get(i); }

void SoundResource::AddSound(IAudioBuffer* sample)
{
    if (sample)
        samples_.Add(sample);
}
