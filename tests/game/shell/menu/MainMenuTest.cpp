#include "../ScreenGame.h"

#include "engine/web/StandIn.h"
#include "game/shell/menu/MainMenu.h"
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

struct DrivenMainMenu : MainMenu {
    using MainMenu::MainMenu;
    void Frame() override
    {
        MainMenu::Frame();
        if (!script.Frame())
            result = 5;
    }
    Script script;
};

// The server browser in a real window over the stand-in master service: a
// person clicks the second server of the list, sees its address in the
// field and joins it.
TEST(MainMenuScreen, ListsTheMasterServersAndJoinsTheOneClicked)
{
    ScreenGame screen;
    if (!screen.StartDisplay())
        GTEST_SKIP() << "no Xvfb";
    StandIn master({}, [](StandInState& s) {
        const char* names[] = {"Charlie hill", "Bravo base", "Alpha field"};
        for (int i = 0; i < 3; ++i) {
            AnnouncedServer& a = s.ServerAt("10.0.0." + std::to_string(i + 1), 27015 + i);
            a.name = names[i];
            a.level = "Riot city";
            a.mode = i;
            a.players = 3;
            a.maxPlayers = 16;
            a.lastSeen = int64_t(std::time(nullptr));
        }
    });
    ASSERT_TRUE(master.Running());
    ASSERT_NO_FATAL_FAILURE(screen.Open());
    Game& game = screen.GetGame();
    game.GetEngine()->SetMasterServer(master.Host().c_str());
    GameSystem* state = game.GetGameSystem();
    state->Options().SetDefaultAddress(u"");
    XDriver x;
    ASSERT_TRUE(x.Open());

    DrivenMainMenu menu(&game, game.GetScreenContext(), &game.GetScreens().smoke);
    auto pointerAt = [&](int px, int py) {
        return [&screen, px, py] {
            int mx = -1, my = -1;
            screen.renderer->GetMousePosition(&mx, &my);
            return mx == px && my == py;
        };
    };
    auto buttonIs = [&](bool down) { return [&screen, down] { return screen.input->IsMouseButtonDown(0) == down; }; };
    // The second row of the table, sorted by name.
    menu.script.Add([&] { x.MoveTo(100, 240); }, pointerAt(100, 240));
    menu.script.Add([&] { x.Button(true); }, buttonIs(true));
    menu.script.Add([&] { x.Button(false); }, [&] { return menu.address->GetLength() > 0; });
    std::string shot;
    menu.script.Add([&] { screen.TakeScreenshot("menu", "main_menu"); },
                    [&] { return !(shot = screen.TakenScreenshot()).empty(); });
    // A port past the last is refused, the address kept for mending.
    menu.script.Add([&] { menu.address->SetText(u"10.0.0.2:70000"), x.MoveTo(630, 724); }, pointerAt(630, 724));
    menu.script.Add([&] { x.Button(true); }, buttonIs(true));
    menu.script.Add([&] { x.Button(false); }, [&] { return menu.GetRefusal() != nullptr; });
    std::string refused;
    menu.script.Add([&] { screen.TakeScreenshot("menu", "join_refused"); },
                    [&] { return !(refused = screen.TakenScreenshot()).empty(); });
    menu.script.Add([&] { menu.address->SetText(u"10.0.0.2:27016"), x.Button(true); }, buttonIs(true));
    menu.script.Add([&] { x.Button(false); }, [&] { return menu.result != MenuSystem::kRunning; });
    MenuSystem::Run(&menu);

    ASSERT_TRUE(menu.script.Finished()) << "stuck after step " << menu.script.StepsDone();
    EXPECT_EQ(state->runMode, 3);
    EXPECT_EQ(std::u16string(state->connectAddress), u"10.0.0.2");
    EXPECT_EQ(state->connectPort, 27016);
    EXPECT_EQ(std::u16string(state->Options().GetDefaultAddress()), u"10.0.0.2:27016");
    ASSERT_EQ(menu.GetRowCount(), 3);
    EXPECT_EQ(std::u16string(menu.GetCellText(menu.table->GetDataRow(0), 0)), u"Alpha field");
    EXPECT_EQ(std::u16string(menu.GetCellText(menu.table->GetDataRow(1), 3)), u"CTF");

    // The clicked row's band over the background, the row above it bare,
    // and the join button no longer greyed.
    const Picture p = screen.Shot(shot);
    const Picture background = screen.Shipped(u"gfx/menu.png");
    const Picture join = screen.Shipped(u"gfx/join_btn.png");
    ASSERT_EQ(p.width, 1024);
    const uint32_t under = background.At(415, 231);
    const uint32_t band = uint32_t(((Channel(under, 16) + 78) / 2) << 16 | ((Channel(under, 8) + 56) / 2) << 8 |
                                   (Channel(under, 0) + 22) / 2);
    EXPECT_TRUE(Near(p.At(415, 231), band, 3)) << std::hex << p.At(415, 231) << " " << band;
    EXPECT_TRUE(Near(p.At(415, 213), background.At(415, 213), 3));
    EXPECT_TRUE(Near(p.At(590 + 45, 710 + 5), join.At(45, 5), 3));
    EXPECT_FALSE(Near(p.At(590 + 45, 710 + 5), join.At(45, 84 + 5), 3));

    // The refusal's grey line stands above the panel's frame lines, not on them.
    const Picture q = screen.Shot(refused);
    int crossed = 0, letters = 0;
    for (int i = 15; i <= 706; ++i) {
        for (int j : {705, 744})
            crossed += !Near(q.At(i, j), p.At(i, j), 3);
        for (int j = 660; j < 686; ++j)
            letters += Near(q.At(i, j), 0x8C8C8C, 8) && !Near(p.At(i, j), 0x8C8C8C, 8);
    }
    EXPECT_EQ(crossed, 0);
    EXPECT_GT(letters, 50);
}

} // namespace
