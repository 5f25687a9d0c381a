#include "OggTestFiles.h"
#include "support/TestSupport.h"

#include "engine/audio/Audio.h"
#include "engine/audio/AudioBuffer.h"
#include "engine/files/FileManager.h"

#include <AL/al.h>
#include <gtest/gtest.h>

namespace {

// Sounds come from the game directory through the engine's file manager,
// with the system's "\\" separators and a name of different case.
TEST(AudioWithFileManager, LoadsSoundsFromTheGameDirectory)
{
    AudioTest::UseWaveDevice();
    TestSupport::TempDir dir;
    TestSupport::MakeDirs(dir.File("sfx/weapons"));
    TestSupport::WriteAll(dir.File("sfx/weapons/explosive1.ogg"), AudioTest::EncodeSine(2, 44100, 0.2));
    TestSupport::WriteAll(dir.File("sfx/Broken.ogg"), std::vector<uint8_t>(100, 'O'));
    TestSupport::ScopedChdir inside(dir.Path());
    FileManager files;
    Audio audio(&files);
    ASSERT_TRUE(audio.Init());

    auto* buffer = dynamic_cast<AudioBuffer*>(audio.LoadSound(u"sfx\\weapons\\explosive1.ogg"));
    ASSERT_NE(buffer, nullptr);
    ALint size = 0;
    alGetBufferi(buffer->GetId(), AL_SIZE, &size);
    EXPECT_EQ(size, 8820 * 4);
    EXPECT_NE(audio.LoadSound(u"SFX\\Weapons\\EXPLOSIVE1.OGG"), nullptr);
    EXPECT_EQ(audio.LoadSound(u"sfx\\broken.ogg"), nullptr);
    EXPECT_EQ(audio.LoadSound(u"sfx\\none.ogg"), nullptr);
    EXPECT_EQ(audio.GetBufferCount(), 2);
}

} // namespace
