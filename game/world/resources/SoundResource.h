#pragma once

#include "game/world/resources/ISoundResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/Resource.h"

#include <cstdint>
#include <memory>
#include <vector>

class IAudioBuffer;

// A set of samples played as one sound (class 18), with its delay and
// volume.
class SoundResource : public Resource, public ISoundResource {
public:
    explicit SoundResource(IResourceManager* manager);
    ~SoundResource() override;

    ITexture* GetImage() override;
    void AddItem(ParameterRecord* record) override;
    ParameterRecord* FindItem(const char16_t* name) override;
    // Sounds have no images.
    void AddGraphicsLink(IResource* graphics) override;
    Resource* FindGraphicsByFile(const char16_t* fileName) override;
    Resource* FindGraphicsByName(const char16_t* name) override;
    const uint32_t* CreateThumbnail() override;
    void FreeThumbnail() override;
    ISoundResource* GetSoundInterface() override;

    void SetVolume(float delay) override;
    float GetVolume() override;
    void SetRange(float volume) override;
    float GetRange() override;
    int GetSampleCount() override;
    IAudioBuffer* GetSample(int i) override;

    // Null adds nothing. The buffers belong to the audio object.
    void AddSound(IAudioBuffer* sample);
    void SetFlag(uint8_t flag) { flag_ = flag; }
    uint8_t GetFlag() const { return flag_; }

private:
    ParameterList items_;
    Util::List<IAudioBuffer> samples_;
    uint8_t flag_ = 1;
    float delay_ = 0.0f;
    float volume_ = 50.0f;
};
