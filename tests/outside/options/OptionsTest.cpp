#include "game/shell/client/IGame.h"
#include "game/world/settings/GameOptions.h"
#include "outside/options/IOptions.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
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

TEST_F(ScriptedOptions, AnswersAndSettingsComeFromTheEnvironment)
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

    Script(nullptr, "windowed=0");
    a = Show(game);
    EXPECT_TRUE(a.start && a.save && !a.failed);
    EXPECT_FALSE(o.GetWindowed());

    // Cancelling keeps the settings as they were.
    Script("cancel", "windowed=1");
    a = Show(game);
    EXPECT_FALSE(a.start || a.save || a.failed);
    EXPECT_FALSE(o.GetWindowed());
}

TEST_F(ScriptedOptions, WhatIsNotUnderstoodChangesNothing)
{
    const char* const bad[][2] = {
        {"later", nullptr},
        {"start", "windowed=1;nosuchsetting=1"},
        {"start", "windowed=1;servermaxplayers=40"},
        {"start", "windowed=1;brightness=nan"},
        {"start", "windowed=1;serverlighting=dusk"},
        {"start", "windowed=1;moveupbutton=600"},
        {"start", "windowed=1;vsync"},
    };
    for (const auto& b : bad) {
        Script(b[0], b[1]);
        const Answer a = Show(game);
        EXPECT_FALSE(a.start || a.save) << b[1];
        EXPECT_TRUE(a.failed) << b[1];
        EXPECT_FALSE(game.options.GetWindowed()) << b[1];
    }
}

// Finds the top-level window of that title, once it is on the screen.
Window FindWindow(Display* display, Window under, const char* title)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, under, &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name && std::string(name) == title &&
            XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            found = children[i];
        if (name)
            XFree(name);
        if (!found)
            found = FindWindow(display, children[i], title);
    }
    if (children)
        XFree(children);
    return found;
}

// Types into the options window as a player would, once it shows.
void TypeIntoDialog(const std::string& keys)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    Window window = 0;
    for (int i = 0; i < 2000 && !window; ++i) {
        window = FindWindow(display, DefaultRootWindow(display), "Vornhal Options");
        if (!window)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(window, 0u) << "the options window did not show";
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    for (char c : keys) {
        const KeySym symbol = c == '\n' ? XK_Return : c == '\x1b' ? XK_Escape : KeySym(c);
        const KeyCode code = XKeysymToKeycode(display, symbol);
        const bool upper = XkbKeycodeToKeysym(display, code, 0, 0) != symbol;
        if (upper)
            XTestFakeKeyEvent(display, shift, True, CurrentTime);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        if (upper)
            XTestFakeKeyEvent(display, shift, False, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
}

TEST(OptionsWindow, TypedNameStartsTheGameAndEscapeCancels)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display";
    XInitThreads();
    unsetenv("VORNHAL_UI");
    FakeGame game;
    game.options.SetBrightness(0.123f);

    std::thread player(TypeIntoDialog, "Ville\n");
    Answer a = Show(game);
    player.join();
    EXPECT_TRUE(a.start && a.save && !a.failed);
    EXPECT_EQ(std::u16string(game.GetPlayerName()), u"Ville");
    // What the player did not touch keeps its exact value.
    EXPECT_EQ(game.options.GetBrightness(), 0.123f);

    player = std::thread(TypeIntoDialog, "Nobody\x1b");
    a = Show(game);
    player.join();
    EXPECT_FALSE(a.start || a.save || a.failed);
    EXPECT_EQ(std::u16string(game.GetPlayerName()), u"Ville");
}

} // namespace
