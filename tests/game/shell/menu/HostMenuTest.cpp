#include "../ScreenGame.h"
#include "MenuFakes.h"

#include "engine/core/Engine.h"
#include "engine/core/StringKit.h"
#include "game/shell/client/Game.h"
#include "game/shell/menu/HostMenu.h"
#include "game/shell/menu/MenuButton.h"
#include "game/shell/menu/MenuDropdown.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/world/system/GameSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Form {
    std::u16string name, players, frags, teamFrags, time;
    int mode;
    bool locked;
    std::u16string password;
    // Null: the form passes and is written.
    const char16_t* refusal;
};

// Every check of the host form, with what reaches the settings: a refused
// form writes nothing, a passing one writes its numbers.
TEST(HostForm, ChecksNumbersAndTextsBeforeWriting)
{
    setenv("VORNHAL_UI", "headless", 1);
    std::unique_ptr<Engine> engine;
    {
        TestSupport::ScopedChdir in(VORNHAL_BUILD_DIR);
        engine.reset(new Engine());
    }
    Game game;
    game.Init(engine.get());
    IGameOptions& options = game.GetGameSystem()->Options();
    // The form opens on the configured level's mode: here the first listed.
    options.SetServerLevel(u"levels/ctf_harbour.lvl");
    {
        MenuHost host;
        HostMenu menu(&host, game.GetScreenContext());
        menu.Build();
        EXPECT_EQ(menu.gameMode->selected, 1);
    }
    const std::u16string n64(64, u'n'), n65(65, u'n');
    const Form forms[] = {
        {u"abc", u"8", u"10", u"20", u"15", 0, false, u"", u"Server name must be at least 4 characters"},
        {n65, u"8", u"10", u"20", u"15", 0, false, u"", u"Server name can't be over 64 characters"},
        {n64, u"1", u"0", u"0", u"0", 0, false, u"", nullptr},
        {u"abcd", u"32", u"9999", u"9999", u"9999", 1, false, u"", nullptr},
        {u"abcd", u"0", u"10", u"20", u"15", 0, false, u"", u"Max players must be between 1 and 32"},
        {u"abcd", u"33", u"10", u"20", u"15", 0, false, u"", u"Max players must be between 1 and 32"},
        {u"abcd", u"x12", u"10", u"20", u"15", 0, false, u"", u"Max players must be between 1 and 32"},
        {u"abcd", u"4294967298", u"10", u"20", u"15", 0, false, u"", u"Max players must be between 1 and 32"},
        {u"abcd", u"12abc", u"10", u"20", u"15", 0, false, u"", nullptr},
        {u"abcd", u"8", u"", u"20", u"15", 0, false, u"", u"Frag limit must be between 0 and 9999"},
        {u"abcd", u"8", u"-5", u"20", u"15", 0, false, u"", u"Frag limit must be between 0 and 9999"},
        {u"abcd", u"8", u"10000", u"20", u"15", 0, false, u"", u"Frag limit must be between 0 and 9999"},
        {u"abcd", u"8", u"4294967306", u"20", u"15", 0, false, u"", u"Frag limit must be between 0 and 9999"},
        {u"abcd", u"8", u"10", u"abc", u"15", 0, false, u"", u"Team frag limit must be between 0 and 9999"},
        {u"abcd", u"8", u"10", u"20", u"100000", 0, false, u"", u"Time limit must be between 0 and 9999"},
        // King of the hill greys the frag limits: a bad one there keeps the setting.
        {u"abcd", u"8", u"oops", u"5", u"15", 2, false, u"", nullptr},
        {u"abcd", u"8", u"10", u"20", u"15", 0, true, u"", u"Password must be entered"},
        {u"abcd", u"8", u"10", u"20", u"15", 0, true, n65, u"Password can't be over 64 characters"},
        {u"abcd", u"8", u"10", u"20", u"15", 0, true, u"pw", nullptr},
    };
    for (const Form& form : forms) {
        const std::string what = Util::Narrow(form.name.substr(0, 8) + u"/" + form.players + u"/" + form.frags + u"/" +
                                              form.teamFrags + u"/" + form.time + u"/" + form.password.substr(0, 8));
        options.SetServerName(u"Sentinel");
        options.SetServerMaxPlayers(7);
        options.SetServerFragLimit(11);
        options.SetServerTeamFragLimit(22);
        options.SetServerTimeLimit(33);
        options.SetServerLocked(false);
        MenuHost host;
        HostMenu menu(&host, game.GetScreenContext());
        menu.Build();
        menu.name->SetText(form.name.c_str());
        menu.maxPlayers->SetText(form.players.c_str());
        menu.fragLimit->SetText(form.frags.c_str());
        menu.teamFragLimit->SetText(form.teamFrags.c_str());
        menu.timeLimit->SetText(form.time.c_str());
        menu.gameMode->selected = form.mode;
        menu.FillLevels();
        menu.passwordOn->checked = form.locked;
        menu.password->SetText(form.password.c_str());

        EXPECT_EQ(menu.Apply(), form.refusal == nullptr) << what;
        if (form.refusal) {
            ASSERT_NE(menu.GetMessage(), nullptr) << what;
            EXPECT_EQ(std::u16string(menu.GetMessage()), form.refusal) << what;
            EXPECT_EQ(std::u16string(options.GetServerName()), u"Sentinel") << what;
            EXPECT_EQ(options.GetServerMaxPlayers(), 7) << what;
            EXPECT_EQ(options.GetServerFragLimit(), 11) << what;
            continue;
        }
        EXPECT_EQ(std::u16string(options.GetServerName()), form.name) << what;
        EXPECT_EQ(options.GetServerMaxPlayers(), Util::AtoI(form.players.c_str())) << what;
        EXPECT_EQ(options.GetServerFragLimit(), form.mode == 2 ? 11 : Util::AtoI(form.frags.c_str())) << what;
        EXPECT_EQ(options.GetServerTeamFragLimit(), Util::AtoI(form.teamFrags.c_str())) << what;
        EXPECT_EQ(options.GetServerTimeLimit(), Util::AtoI(form.time.c_str())) << what;
        EXPECT_EQ(options.GetServerMode(), form.mode) << what;
        EXPECT_EQ(options.GetServerLocked(), form.locked) << what;
        if (form.locked) {
            EXPECT_EQ(std::u16string(options.GetServerPassword()), form.password) << what;
        }
    }
    game.Shutdown();
}

// The form worked in a real window through its events: King of the Hill
// chosen greys the frag limits and lists its levels, a password typed, a
// short name refused; the form's picture then, with the level list open over
// it and the pointer on the quit button, against a golden one; the name
// mended, the start writes the form.
TEST(HostFormScreen, ChoosesAModeTypesAPasswordIsRefusedAndStarts)
{
    ScreenGame screen;
    if (!screen.StartDisplay())
        GTEST_SKIP() << "no Xvfb";
    ASSERT_NO_FATAL_FAILURE(screen.Open());
    screen.GetEngine().heldFrameTime = 0.0f;
    Game& game = screen.GetGame();
    IGameOptions& options = game.GetGameSystem()->Options();
    options.SetServerName(u"Riverside");
    options.SetServerLevel(u"levels/tdm_riotcity.lvl");
    options.SetServerLocked(false);
    options.SetServerBalanced(true);
    options.SetServerLighting(1);
    Driven<HostMenu> menu(&game, game.GetScreenContext());
    IRenderer* r = screen.renderer;
    IInput* in = screen.input;
    Script& s = menu.script;
    s.Click(r, in, 415, 233, [&] { return menu.gameMode->open; });
    s.Click(r, in, 250, 242 + 36 + 9, [&] { return menu.gameMode->selected == 2 && !menu.fragLimit->enabled; });
    s.Click(r, in, 118, 410, [&] { return menu.passwordOn->checked && menu.password->enabled; });
    s.Click(r, in, 300, 408, [&] { return menu.password->focused; });
    s.Type(u"sesame", [&] { return menu.password->GetLength() == 6; });
    // The whole name selected by a drag to its start, and typed over.
    auto rename = [&](const std::u16string& name) {
        s.Add([] { WindowInput::MoveTo(420, 208), WindowInput::Button(1, true); }, [&] { return menu.name->focused; });
        s.Add([] { WindowInput::MoveTo(178, 208); }, [&] { return menu.name->anchor == 0; });
        s.Add([] { WindowInput::Button(1, false); }, [in] { return !in->IsMouseButtonDown(0); });
        s.Type(name, [&, name] { return menu.name->GetText() == name; });
    };
    rename(u"abc");
    s.Click(r, in, 647, 724, [&] { return menu.GetMessage() != nullptr; });
    std::vector<Picture> shots;
    auto shoot = [&] {
        s.Add([&] { screen.TakeScreenshot("menu", "host_form"); },
              [&] {
                  const std::string taken = screen.TakenScreenshot();
                  if (!taken.empty())
                      shots.push_back(screen.Shot(taken));
                  return !taken.empty();
              });
    };
    s.Add([&] { WindowInput::MoveTo(950, 40); }, [&] { return menu.quit->hovered; });
    shoot();
    s.Click(r, in, 415, 258, [&] { return menu.level->open; });
    s.Add([&] { WindowInput::MoveTo(100, 165); }, [&] { return menu.joinTab->hovered; });
    shoot();
    s.Click(r, in, 800, 500, [&] { return !menu.level->open; });
    rename(u"Pekka game");
    s.Add([] { WindowInput::MoveTo(647, 724); }, [&] { return menu.start->hovered; });
    shoot();
    s.Add([] { WindowInput::Button(1, true); }, [&] { return menu.start->pressed; });
    shoot();
    s.Add([] { WindowInput::Button(1, false); }, [&] { return menu.result != MenuSystem::kRunning; });
    MenuSystem::Run(&menu);

    ASSERT_TRUE(menu.script.Finished()) << "stuck after step " << menu.script.StepsDone();
    EXPECT_EQ(game.GetGameSystem()->runMode, 4);
    EXPECT_EQ(std::u16string(options.GetServerName()), u"Pekka game");
    EXPECT_EQ(options.GetServerMode(), 2);
    EXPECT_EQ(std::u16string(options.GetServerLevel()), u"levels/koh_quarry.lvl");
    EXPECT_EQ(options.GetServerLighting(), 1);
    EXPECT_TRUE(options.GetServerBalanced());
    EXPECT_TRUE(options.GetServerLocked());
    EXPECT_EQ(std::u16string(options.GetServerPassword()), u"sesame");
    ASSERT_EQ(shots.size(), 4u);
    Sheet sheet;
    sheet.Add(shots[0], 15, 140, 625, 310);
    sheet.Add(shots[0], 590, 700, 110, 45);
    sheet.Add(shots[0], 880, 15, 135, 47);
    // The level list open over the form.
    sheet.Add(shots[1], 170, 240, 260, 235);
    sheet.Add(shots[1], 10, 145, 195, 42);
    sheet.Add(shots[2], 590, 700, 110, 45);
    sheet.Add(shots[3], 590, 700, 110, 45);
    sheet.ExpectGolden("game/shell/menu/golden", "host_form");
}

} // namespace
