#pragma once

// The engine over the build tree's data set with a silent OpenAL device and
// a resource manager holding two sounds of our own.

#include "engine/audio/IAudio.h"
#include "engine/core/Engine.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/SoundResource.h"
#include "support/DisplayCheck.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace EffectsTest {

constexpr int kGlass = 0x4000001;
constexpr int kWood = 0x4000002;

inline SoundResource* AddSound(ResourceManager* resources, int id, const char16_t* file)
{
    SoundResource* sound = resources->CreateSoundResource();
    sound->SetId(id);
    sound->AddSound(resources->LoadSound(file));
    return sound;
}

class Effects : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!HaveDisplay())
            return;
        setenv("ALSOFT_DRIVERS", "null", 1);
        setenv("ALSOFT_LOGLEVEL", "0", 1);
        {
            TestSupport::ScopedChdir in(VORNHAL_BUILD_DIR);
            engine_ = new Engine();
        }
        ASSERT_TRUE(engine_->Init());
        audio_ = engine_->CreateAudio();
        ASSERT_NE(audio_, nullptr);
        ASSERT_TRUE(audio_->Init()) << "the silent OpenAL device did not open";
        resources_ = new ResourceManager(nullptr, engine_, audio_);
        AddSound(resources_, kGlass, u"weapons/hit_glass.ogg");
        AddSound(resources_, kWood, u"weapons/hit_wood.ogg");
    }
    static void TearDownTestSuite()
    {
        delete resources_;
        delete audio_;
        if (engine_) {
            engine_->Shutdown();
            delete engine_;
        }
        resources_ = nullptr;
        audio_ = nullptr;
        engine_ = nullptr;
    }
    void SetUp() override
    {
        if (!engine_)
            GTEST_SKIP() << "no X display: run under xvfb-run -a -s \"-screen 0 1280x1024x24\"";
    }

    static inline Engine* engine_ = nullptr;
    static inline IAudio* audio_ = nullptr;
    static inline ResourceManager* resources_ = nullptr;
};

} // namespace EffectsTest
