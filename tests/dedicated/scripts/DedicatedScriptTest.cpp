// The dedicated server's compilation of the script reader.
#include "../../game/world/resources/ScriptCases.h"
#include "../../game/world/resources/ScriptFixture.h"

#include "game/world/resources/ResourceClass.h"

using namespace ScriptTest;

namespace {

class DedicatedScript : public ScriptFixture {
protected:
    // Loads and returns what went to the console.
    std::string LoadQuietly(const std::string& text, bool* ok, RecordingManager* m = nullptr, bool editMode = false)
    {
        testing::internal::CaptureStdout();
        *ok = Load(text, editMode, "test.cfg", m);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(DedicatedScript, ErrorsArePrintedOnTheConsole)
{
    for (const ErrorCase& c : ErrorCases()) {
        SCOPED_TRACE(c.script);
        RecordingManager m;
        Stock(m);
        bool ok;
        std::string out = LoadQuietly(c.script, &ok, &m);
        if (c.gameOnly) {
            EXPECT_TRUE(ok);
            EXPECT_EQ(out, "");
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(out, Failure("test.cfg", c.line, c.message) + "\n");
        }
    }
    EXPECT_TRUE(Messages().empty()); // never a message box
}

TEST_F(DedicatedScript, MissingSheetsAreNoError)
{
    bool ok;
    EXPECT_EQ(LoadQuietly(FullScript(), &ok), "");
    ASSERT_TRUE(ok);
    ObjectResource* grass = Block(300);
    ASSERT_NE(grass, nullptr);
    auto* tile = dynamic_cast<BlockResource*>(grass->GetMainGraphics());
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->GetSheet(), nullptr);
    EXPECT_EQ(tile->GetId(), 301);
    EXPECT_EQ(tile->GetRow(), 2);
    EXPECT_EQ(manager_.floors, (std::vector<IResource*>{grass, grass}));
    EXPECT_EQ(manager_.walls.size(), 1u);
    ASSERT_NE(Block(100), nullptr);
    EXPECT_EQ(Block(100)->GetHealth(), 3);
}

TEST_F(DedicatedScript, ObjectSfxTakesVolumeAndIgnoresDelayAndWords)
{
    manager_.AddSample("a.ogg");
    bool ok;
    EXPECT_EQ(LoadQuietly("vehicle 1 \"v\" ( objectsfx(2, \"a.ogg\", \"engine\", delay(1.5), quiet, volume(7)) )", &ok),
              "");
    ASSERT_TRUE(ok);
    auto* engine = dynamic_cast<SoundResource*>(Block(1)->FindGraphicsByName(u"engine"));
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->GetId(), 2);
    EXPECT_EQ(engine->GetSampleCount(), 1);
    EXPECT_EQ(engine->GetRange(), 7.0f);
    EXPECT_EQ(engine->GetVolume(), 0.0f); // the delay is not kept

    const char* others[] = {"row(1)", "co(1, 2)", "loop", "color(1, 2, 3)", "\"text\"", "3", "direction(1)"};
    for (const char* value : others) {
        SCOPED_TRACE(value);
        RecordingManager m;
        std::string out =
            LoadQuietly(std::string("vehicle \"v\" (\n objectsfx(\"a.ogg\", \"e\", ") + value + "))", &ok, &m);
        EXPECT_FALSE(ok);
        EXPECT_EQ(out, Failure("test.cfg", 2, "unknown parameter") + "\n");
    }
}

TEST_F(DedicatedScript, ThereIsNoEditMode)
{
    ResourceScript probe(&manager_, files_.get());
    probe.SetEditMode(true);
    EXPECT_FALSE(probe.GetEditMode());

    const std::string text = "floor \"Plain\" ( floorgfx(\"tiles.png\", \"t\", main, row(0)) )\nweapon \"Gun\" ()\n";
    bool ok;
    EXPECT_EQ(LoadQuietly(text, &ok, nullptr, true), "");
    ASSERT_TRUE(ok);
    EXPECT_EQ(Named(u"Plain")->GetId(), kNoId);
    EXPECT_EQ(Named(u"Plain")->GetMainGraphics()->GetId(), kNoId);
    EXPECT_EQ(Named(u"Gun")->GetId(), kNoId);
    EXPECT_EQ(script_->GetPendingCount(), 0);
    script_->AssignPendingIds();
    Named(u"Gun")->SetName(u"Renamed"); // no name token either
    EXPECT_FALSE(script_->GetTokenizer().IsModified());
    EXPECT_TRUE(script_->SaveBack());
    EXPECT_EQ(ReadText(dir_.File("test.cfg")), text);
    EXPECT_FALSE(files_->FileExists(Util::Widen(dir_.File("test.cfg.tmp").c_str()).c_str()));
}

} // namespace
