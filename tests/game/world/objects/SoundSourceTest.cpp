// Sound sources on a silent OpenAL device: one-shots expire on the serving
// side, attached sources go with their holder, and none is ever left behind
// for a holder or the handler to touch.
#include "EffectsFixture.h"

#include "game/world/objects/SoundSystem.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/StateFixture.h"

#include <algorithm>
#include <cmath>

using namespace EffectsTest;

namespace {

template <class V, class T> bool Holds(const V& list, T* item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

TEST_F(Effects, OneShotsExpireAfterFourSecondsAndAttachedSourcesGoWithTheirHolder)
{
    RecordingServer server;
    RecordingClient client;
    GameSystem game(engine_, nullptr, resources_, nullptr, audio_);
    game.SetHandlers(&server, &client);
    game.SetActiveHandler(&server);
    SoundSystem& sounds = *Services().sounds;

    SoundSource* shot = sounds.PlayAt(kGlass, 100.0f, 200.0f, 10.0f);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->volume, 100);
    EXPECT_EQ(shot->playCounter, 1);
    EXPECT_TRUE(Holds(server.added, shot));
    sounds.Update(0.01f);
    EXPECT_EQ(shot->CountVoices(), 1) << "the trigger made no voice on the device";

    // A one-shot lives until its age passes 4 s, not at 4 s.
    sounds.ExpireSources(4.0f);
    ASSERT_EQ(sounds.Count(), 1);
    sounds.ExpireSources(0.01f);
    EXPECT_EQ(sounds.Count(), 0);
    EXPECT_TRUE(Holds(server.removed, shot));

    // An attached source outlives any age and goes with its holder.
    {
        SoundSourcePtr held(sounds.CreateAttached(kWood, 7));
        ASSERT_TRUE(held);
        held->x = 50.0f;
        held->Trigger(1, 0.5f);
        held->Trigger(1, 0.5f); // held: ignored
        EXPECT_EQ(held->playCounter, 1);
        for (int i = 0; i < 6; ++i)
            held->Trigger(i % 2, 0.0f);
        sounds.Update(0.01f);
        EXPECT_GE(held->CountVoices(), 1);
        sounds.ExpireSources(100.0f);
        EXPECT_EQ(sounds.Count(), 1);
        server.removed.clear();
    }
    EXPECT_EQ(sounds.Count(), 0);
    EXPECT_EQ(server.removed.size(), 1u);

    // A level load clears the sources under their holders: the holder is
    // left empty, not dangling (a second delete shows under ASan).
    SoundSourcePtr orphan(sounds.CreateAttached(kWood, 0));
    SoundSource* pooled = sounds.GetShared(kGlass, 0.0f, 0.0f);
    EXPECT_EQ(sounds.GetShared(kGlass, 499.0f, -499.0f), pooled);
    EXPECT_NE(sounds.GetShared(kGlass, 500.0f, 0.0f), pooled);
    sounds.Clear();
    EXPECT_FALSE(orphan);
    EXPECT_EQ(sounds.Count(), 0);
    sounds.Update(0.1f);

    // Sounds nobody defined make nothing, here or from the network.
    EXPECT_EQ(sounds.PlayAt(123, 0.0f, 0.0f, 10.0f), nullptr);
    EXPECT_EQ(game.CreateObject(SoundSource::kTypeId, 123), nullptr);
    EXPECT_EQ(sounds.Count(), 0);
    MPAPI::Object* copy = game.CreateObject(SoundSource::kTypeId, kGlass);
    ASSERT_NE(copy, nullptr);
    copy->SetNetPosition(std::nanf(""), 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(std::isfinite(copy->GetX()));
    delete copy;
    EXPECT_EQ(sounds.Count(), 0);
}

TEST_F(Effects, PlayCountersSkipZeroAndTheFarSide)
{
    GameSystem game(engine_, nullptr, resources_, nullptr, audio_);
    SoundSourcePtr source(Services().sounds->CreateAttached(kGlass, 0));
    ASSERT_TRUE(source);
    for (int i = 0; i < 254; ++i)
        source->Trigger(i, 0.0f);
    EXPECT_EQ(source->playCounter, 254);
    source->Trigger(-1, 0.0f);
    EXPECT_EQ(source->playCounter, 1);
    bool far = false;
    EXPECT_TRUE(source->IsNear(999.0f, 0.0f, &far));
    EXPECT_FALSE(source->IsNear(1001.0f, 0.0f, &far));
    EXPECT_TRUE(far);
    EXPECT_FALSE(source->IsNear(std::nanf(""), 0.0f, &far)) << "a bad viewpoint counts as far";
    Services().sounds->ExpireSources(1.0f);
    EXPECT_FALSE(source->IsNear(0.0f, 0.0f, &far));
}
