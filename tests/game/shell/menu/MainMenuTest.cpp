#include "../ScreenGame.h"

#include "engine/web/StandIn.h"
#include "game/shell/menu/MainMenu.h"
#include "game/shell/menu/MenuButton.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/shell/menu/MenuList.h"
#include "game/world/system/GameSystem.h"

#include <ctime>

namespace {

TEST(JoinAddress, HostPortAndRefusals)
{
    const std::u16string longHost(256, u'h');
    struct Case {
        std::u16string text;
        JoinAddress::Verdict verdict;
        std::u16string host;
        int port;
    } cases[] = {
        {u"example.org:9000", JoinAddress::Verdict::Join, u"example.org", 9000},
        {u"example.org", JoinAddress::Verdict::Join, u"example.org", 8887},
        {u"example.org:", JoinAddress::Verdict::Join, u"example.org", 0},
        {u"10.0.0.1:12:34", JoinAddress::Verdict::Join, u"10.0.0.1", 12},
        {u"10.0.0.1:65535x", JoinAddress::Verdict::Join, u"10.0.0.1", 65535},
        {u"", JoinAddress::Verdict::Empty, u"", 0},
        // Ports the socket layer would wrap into another one.
        {u"10.0.0.1:65536", JoinAddress::Verdict::PortTooLarge, u"10.0.0.1", 65536},
        {u"10.0.0.1:4294967297", JoinAddress::Verdict::PortTooLarge, u"10.0.0.1", 2147483647},
        {longHost.substr(0, 255) + u":1", JoinAddress::Verdict::Join, longHost.substr(0, 255), 1},
        {longHost + u":1", JoinAddress::Verdict::HostTooLong, longHost, 1},
    };
    for (const Case& c : cases) {
        const JoinAddress a = ParseJoinAddress(c.text.c_str());
        EXPECT_EQ(a.verdict, c.verdict) << Util::Narrow(c.text);
        EXPECT_EQ(a.host, c.host) << Util::Narrow(c.text);
        EXPECT_EQ(a.port, c.port) << Util::Narrow(c.text);
        const bool refused = c.verdict != JoinAddress::Verdict::Join && c.verdict != JoinAddress::Verdict::Empty;
        EXPECT_EQ(a.Refusal() != nullptr, refused);
    }
}

// The server browser in a real window over the stand-in master service,
// worked through the window's events: thirty servers sorted by mode both
// ways, both thumbs dragged, a row clicked; the picture then against a
// golden one. A port past the last is refused; Return in the field joins.
TEST(MainMenuScreen, ListsTheMasterServersAndJoinsTheOneClicked)
{
    ScreenGame screen;
    if (!screen.StartDisplay())
        GTEST_SKIP() << "no Xvfb";
    StandIn master({}, [](StandInState& s) {
        for (int i = 0; i < 30; ++i) {
            AnnouncedServer& a = s.ServerAt("10.0.0." + std::to_string(i + 1), 27015 + i);
            a.name = "Server " + std::string(1, char('A' + (i * 7) % 26)) + std::to_string(i);
            a.level = i % 2 ? "Riot city" : "Harbour";
            a.mode = i % 4;
            a.players = i % 9;
            a.maxPlayers = 16;
            a.lastSeen = int64_t(std::time(nullptr));
        }
    });
    ASSERT_TRUE(master.Running());
    ASSERT_NO_FATAL_FAILURE(screen.Open());
    screen.GetEngine().heldFrameTime = 0.0f;
    Game& game = screen.GetGame();
    game.GetEngine()->SetMasterServer(master.Host().c_str());
    GameSystem* state = game.GetGameSystem();
    state->Options().SetDefaultAddress(u"");

    Driven<MainMenu> menu(&game, game.GetScreenContext(), &game.GetScreens().smoke);
    IRenderer* r = screen.renderer;
    IInput* in = screen.input;
    Script& s = menu.script;
    auto drag = [&](int x0, int y0, int x1, int y1, std::function<bool()> done) {
        s.Add([=] { WindowInput::MoveTo(x0, y0); },
              [=] {
                  int mx = -1, my = -1;
                  r->GetMousePosition(&mx, &my);
                  return mx == x0 && my == y0;
              });
        s.Add([] { WindowInput::Button(1, true); }, [in] { return in->IsMouseButtonDown(0); });
        s.Add([=] { WindowInput::MoveTo(x1, y1); }, std::move(done));
        s.Add([] { WindowInput::Button(1, false); }, [in] { return !in->IsMouseButtonDown(0); });
    };
    std::vector<Picture> shots;
    auto shoot = [&] {
        s.Add([&] { screen.TakeScreenshot("menu", "main_menu"); },
              [&] {
                  const std::string taken = screen.TakenScreenshot();
                  if (!taken.empty())
                      shots.push_back(screen.Shot(taken));
                  return !taken.empty();
              });
    };
    shoot(); // sorted by name as it opens
    const int modeHeader = 15 + 300 + 70 + 40 + 20;
    s.Click(r, in, modeHeader, 195, [&] { return menu.table->columns.Get(3)->sort == 2; });
    s.Click(r, in, modeHeader, 195, [&] { return menu.table->columns.Get(3)->sort == 1; });
    drag(697, 230, 697, 330, [&] { return menu.table->vbar.scroll > 0; });
    drag(60, 695, 160, 695, [&] { return menu.table->hbar.scroll > 0; });
    s.Click(r, in, 300, 211 + 5 + 18 * 2 + 9, [&] { return menu.address->GetLength() > 0; });
    s.Add([] { WindowInput::MoveTo(80, 724); }, [&] { return menu.refresh->hovered; });
    shoot();
    // A port past the last is refused, the address kept for mending.
    s.Add([&] { menu.address->SetText(u"10.0.0.2:70000"); }, [&] { return menu.address->GetLength() == 14; });
    s.Click(r, in, 630, 724, [&] { return menu.GetRefusal() != nullptr; });
    shoot();
    // Pressed, each button shows its pressed face; let go off it, it does
    // nothing.
    for (MenuButton* MainMenu::*which : {&MainMenu::quit, &MainMenu::hostTab, &MainMenu::refresh}) {
        auto b = [&menu, which] { return menu.*which; };
        s.Add([b] { WindowInput::MoveTo(b()->x + 20, b()->y + 10); }, [b] { return b()->hovered; });
        s.Add([] { WindowInput::Button(1, true); }, [b] { return b()->pressed; });
        shoot();
        s.Add([] { WindowInput::MoveTo(800, 400); }, [b] { return !b()->hovered; });
        s.Add([] { WindowInput::Button(1, false); }, [b] { return !b()->pressed; });
    }
    s.Add([&] { menu.address->SetText(u"10.0.0.2:27016"); }, [&] { return menu.address->GetLength() == 14; });
    s.Click(r, in, 500, 727, [&] { return menu.address->focused; });
    s.Add([] { WindowInput::Key(SDLK_RETURN, true); }, [&] { return menu.result != MenuSystem::kRunning; });
    MenuSystem::Run(&menu);
    WindowInput::Key(SDLK_RETURN, false);

    ASSERT_TRUE(menu.script.Finished()) << "stuck after step " << menu.script.StepsDone();
    EXPECT_EQ(state->runMode, 3);
    EXPECT_EQ(std::u16string(state->connectAddress), u"10.0.0.2");
    EXPECT_EQ(state->connectPort, 27016);
    EXPECT_EQ(std::u16string(state->Options().GetDefaultAddress()), u"10.0.0.2:27016");
    ASSERT_EQ(menu.GetRowCount(), 30);
    // Mode descending, the name ascending among equal modes.
    EXPECT_EQ(std::u16string(menu.GetCellText(menu.table->GetDataRow(0), 3)), u"Unknown");
    EXPECT_EQ(std::u16string(menu.GetCellText(menu.table->GetDataRow(0), 0)), u"Server B15");
    EXPECT_EQ(std::u16string(menu.GetCellText(menu.table->GetDataRow(29), 3)), u"TDM");
    ASSERT_EQ(shots.size(), 6u);
    // The refusal stands on the panel's own colour, over whatever rows.
    EXPECT_TRUE(NearAround(shots[2], 685, 670, 0x181612, 0));
    Sheet sheet;
    sheet.Add(shots[0], 15, 185, 692, 80);
    sheet.Add(shots[1], 10, 140, 702, 610);
    sheet.Add(shots[1], 880, 15, 135, 47);
    sheet.Add(shots[2], 15, 655, 692, 50);
    sheet.Add(shots[3], 880, 15, 135, 47);
    sheet.Add(shots[4], 195, 140, 215, 50);
    sheet.Add(shots[5], 20, 700, 125, 45);
    sheet.ExpectGolden("game/shell/menu/golden", "main_menu");
}

} // namespace
