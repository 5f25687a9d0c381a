#include "game/shell/client/IGame.h"
#include "game/world/settings/GameOptions.h"
#include "outside/options/IOptions.h"

#include <gtest/gtest.h>

#include "support/XDriver.h"

#include <cstdlib>
#include <string>
#include <thread>

namespace {

// The settings and the level catalogue of a game; nothing runs.
class FakeGame : public IGame {
public:
    void Shutdown() override {}
    void Init(IEngine*) override {}
    void SetRenderer(IRenderer*) override {}
    IEditorUI* GetEditorUI() override { return nullptr; }
    bool LoadOptions() override { return false; }
    bool SaveOptions() override { return true; }
    void Run(const char16_t*, const char16_t*, bool) override {}
    IGameOptions* GetGameOptions() override { return &options; }
    const char16_t* GetPlayerName() override { return options.GetPlayerName(); }
    void SetPlayerName(const char16_t* name) override { options.SetPlayerName(name); }
    void ListLevels() override {}
    int CountLevelsOfMode(int mode) override { return mode == 0 ? 1 : 0; }
    int LevelCount() override { return 1; }
    int LevelMode(int) override { return 0; }
    const char16_t* ModeLevelName(int, int) override { return u"Riot city"; }
    const char16_t* LevelName(int) override { return u"Riot city"; }
    const char16_t* ModeLevelFile(int, int) override { return u"levels/tdm_riotcity.lvl"; }
    const char16_t* LevelFile(int) override { return u"levels/tdm_riotcity.lvl"; }
    int GetRunResult(const char16_t**) override { return 0; }

    GameOptions options;
};

struct Answer {
    bool start;
    bool save;
    bool failed;
};

Answer Show(FakeGame& game)
{
    bool save = true;
    const bool start = GetOptions()->ShowOptionsDialog(&game, nullptr, &save);
    return {start, save, GetOptions()->GetFailure() != nullptr};
}

class ScriptedOptions : public testing::Test {
protected:
    void SetUp() override { setenv("VORNHAL_UI", "headless", 1); }
    void TearDown() override
    {
        unsetenv("VORNHAL_UI");
        unsetenv("VORNHAL_OPTIONS");
        unsetenv("VORNHAL_OPTIONS_SET");
    }
    void Script(const char* answer, const char* settings)
    {
        answer ? setenv("VORNHAL_OPTIONS", answer, 1) : unsetenv("VORNHAL_OPTIONS");
        settings ? setenv("VORNHAL_OPTIONS_SET", settings, 1) : unsetenv("VORNHAL_OPTIONS_SET");
    }
    FakeGame game;
};

TEST_F(ScriptedOptions, AnswersAndSettingsComeFromTheEnvironmentAndWhatIsNotUnderstoodChangesNothing)
{
    Script("save", "name=V\xC3\xA4in\xC3\xB6;windowed=1;vsync=false;brightness=0.5;mastervolume=-20;"
                   "masterserver=127.0.0.1:8080;movingmode=relative;servermode=ctf;serverlighting=2;"
                   "serverport=9000;moveupbutton=273;shootbutton=1001;");
    Answer a = Show(game);
    EXPECT_FALSE(a.start);
    EXPECT_TRUE(a.save);
    EXPECT_FALSE(a.failed);
    IGameOptions& o = game.options;
    EXPECT_EQ(std::u16string(game.GetPlayerName()), u"V\u00E4in\u00F6");
    EXPECT_TRUE(o.GetWindowed());
    EXPECT_FALSE(o.GetVSync());
    EXPECT_FLOAT_EQ(o.GetBrightness(), 0.5f);
    EXPECT_FLOAT_EQ(o.GetMasterVolume(), -20.0f);
    EXPECT_EQ(std::u16string(o.GetUpdaterString()), u"127.0.0.1:8080");
    EXPECT_EQ(o.GetMovingMode(), 1);
    EXPECT_EQ(o.GetServerMode(), 1);
    EXPECT_EQ(o.GetServerLighting(), 2);
    EXPECT_EQ(o.GetServerPort(), 9000);
    EXPECT_EQ(o.GetKeyBinding(16), 273);
    EXPECT_EQ(o.GetKeyBinding(3), 1001);

    // Then: the default answer with a setting; a cancel, and whatever is
    // not understood, keep the settings as they were.
    const struct {
        const char *answer, *settings;
        Answer want;
    } rows[] = {
        {nullptr, "windowed=0", {true, true, false}},
        {"cancel", "windowed=1", {false, false, false}},
        {"later", nullptr, {false, false, true}},
        {"start", "windowed=1;nosuchsetting=1", {false, false, true}},
        {"start", "windowed=1;servermaxplayers=40", {false, false, true}},
        {"start", "windowed=1;brightness=nan", {false, false, true}},
        {"start", "windowed=1;serverlighting=dusk", {false, false, true}},
        {"start", "windowed=1;moveupbutton=600", {false, false, true}},
        {"start", "windowed=1;vsync", {false, false, true}},
    };
    for (const auto& row : rows) {
        Script(row.answer, row.settings);
        a = Show(game);
        const std::string what = std::string(row.answer ? row.answer : "-") + " " + (row.settings ? row.settings : "-");
        EXPECT_EQ(a.start, row.want.start) << what;
        EXPECT_EQ(a.save, row.want.save) << what;
        EXPECT_EQ(a.failed, row.want.failed) << what;
        EXPECT_FALSE(o.GetWindowed()) << what;
    }
}

// Types into the options window as a player would, once it shows.
void TypeIntoDialog(const std::string& keys, const char* lastKey)
{
    XDriver x;
    ASSERT_TRUE(x.Ok());
    const XWindow window = x.WaitForWindow("Vornhal Options");
    ASSERT_NE(window, 0u) << "the options window did not show";
    x.Focus(window);
    x.Type(keys);
    x.Key(lastKey);
}

TEST(OptionsWindow, TypedNameStartsTheGameAndEscapeCancels)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display";
    unsetenv("VORNHAL_UI");
    FakeGame game;
    game.options.SetBrightness(0.123f);

    std::thread player(TypeIntoDialog, "Ville", "Return");
    Answer a = Show(game);
    player.join();
    EXPECT_TRUE(a.start && a.save && !a.failed);
    EXPECT_EQ(std::u16string(game.GetPlayerName()), u"Ville");
    // What the player did not touch keeps its exact value.
    EXPECT_EQ(game.options.GetBrightness(), 0.123f);

    player = std::thread(TypeIntoDialog, "Nobody", "Escape");
    a = Show(game);
    player.join();
    EXPECT_FALSE(a.start || a.save || a.failed);
    EXPECT_EQ(std::u16string(game.GetPlayerName()), u"Ville");
}

} // namespace
