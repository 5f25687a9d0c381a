// A whole match as a person plays it: the real game joins the real server
// from the main menu's list, fetches its level, and is played through the
// X server against a headless player, then left and quit.

#include "ClientRig.h"
#include "HeadlessGame.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

using namespace ClientRig;
namespace fs = std::filesystem;

constexpr uint32_t kCrosshairGreen = 0x9CFF7C;

// Where the crosshair's arms meet on the screen: the middle of its green
// (roughly, while the aim is at the screen's edge and arms are cut off).
bool FindCrosshair(const XShot& s, int* x, int* y)
{
    long sx = 0, sy = 0, n = 0;
    for (int j = 0; j < s.height; ++j)
        for (int i = 0; i < s.width; ++i)
            if (s.At(i, j) == kCrosshairGreen)
                sx += i, sy += j, ++n;
    if (n < 4)
        return false;
    *x = int(std::lround(double(sx) / double(n)));
    *y = int(std::lround(double(sy) / double(n)));
    return true;
}

// The headless player's next line about where it and the other player
// stand: "at X Y <weapons> | x y hH", waited for.
bool Positions(TestSupport::ChildProcess& p, int own[2], int other[2])
{
    for (int i = 0; i < 60; ++i) {
        if (!p.WaitFor("\nat ", kWait) || !p.WaitFor("\n", kWait))
            return false;
        const std::string& out = p.Output();
        const size_t start = out.rfind("\nat ", out.size() - 2) + 1;
        const std::string line = out.substr(start, out.size() - start);
        const size_t bar = line.find(" | ");
        if (bar != std::string::npos && std::sscanf(line.c_str(), "at %d %d", &own[0], &own[1]) == 2 &&
            std::sscanf(line.c_str() + bar, " | %d %d", &other[0], &other[1]) == 2)
            return true;
    }
    return false;
}

// The lit pixels of a 13 x 13 digit cell of the status bar: the digits
// are added onto a dark well.
int Lit(const XShot& s, int x, int y)
{
    int n = 0;
    for (int j = y; j < y + 13; ++j)
        for (int i = x; i < x + 13; ++i)
            n += ((s.At(i, j) >> 16) & 0xFF) > 128;
    return n;
}

// The pixels within a little of a colour in the square of 96 about a point.
int Near(const XShot& s, const int at[2], uint32_t rgb)
{
    int n = 0;
    for (int j = at[1] - 48; j < at[1] + 48; ++j)
        for (int i = at[0] - 48; i < at[0] + 48; ++i) {
            bool near = s.Contains(i, j);
            for (int shift = 0; shift <= 16 && near; shift += 8)
                near = std::abs(int((s.At(i, j) >> shift) & 0xFF) - int((rgb >> shift) & 0xFF)) <= 12;
            n += near;
        }
    return n;
}

} // namespace

TEST(Match, JoinedFromTheListPlayedToAFragAndLeft)
{
    TestSupport::TempDir dir;
    Master master(dir.Path(), {"ville", "sisu1939", "Ville", "uid-ville"});
    ASSERT_FALSE(master.Address().empty()) << master.Process().Output();

    // The server plays a level the player's folder lacks; the Russians
    // start a few steps from the Finns.
    const std::string serverFolder = dir.File("server");
    const int port = TestSupport::LayOutGameFolder(serverFolder);
    {
        TestGame::HeadlessGame maker(dir.File("scratch"));
        ASSERT_TRUE(maker.Ok());
        const std::vector<uint8_t> level = maker.StartsFacing("tdm_riotcity.lvl", 0.0f, 224.0f);
        ASSERT_FALSE(level.empty());
        TestSupport::WriteAll(serverFolder + "/levels/tdm_lakeside.lvl", level);
    }
    SetMapCycle(serverFolder, {"levels/tdm_lakeside.lvl"});
    TestSupport::SetGameOption(serverFolder, "masterserver", master.Address());
    TestSupport::ChildProcess server(kBuild + "/server", {}, serverFolder);
    ASSERT_TRUE(server.WaitFor("Playing level levels/tdm_lakeside.lvl.", kWait)) << server.Output();
    ASSERT_TRUE(master.WaitAnnounced(port)) << server.Output();
    TestSupport::ChildProcess ivan(kBuild + "/tests/headless_player",
                                   {"--port", std::to_string(port), "--name", "Ivan", "--team", "2", "--trace"},
                                   dir.File("scratch"));
    ASSERT_TRUE(ivan.WaitFor("joined", kWait)) << ivan.Output();
    // The list shows him as soon as he plays, not at the next minute's
    // announcement.
    ASSERT_TRUE(master.WaitAnnounced(port, 1)) << server.Output();

    const std::string folder = dir.File("player");
    LayOutPlayerFolder(folder);
    fs::copy_file(kBuild + "/game.opt", folder + "/game.opt");
    TestSupport::SetGameOption(folder, "windowed", "true");
    ScreenWatch watch(dir.File("screen.log"));
    std::unique_ptr<TestSupport::ChildProcess> gameProcess = StartGame(folder, master.Address(), "ville:sisu1939");
    TestSupport::ChildProcess& game = *gameProcess;
    XDriver x;
    const XWindow w = FocusGameWindow(x);
    ASSERT_TRUE(w) << game.Output();

    // The list's first row, chosen and joined.
    XShot menu;
    ASSERT_TRUE(x.WaitUntil(
        w, [](const XShot& s) { return s.Contains(700, 235) && s.CountOther(s.At(17, 217), 20, 216, 280, 18) > 20; },
        kWait))
        << game.Output();
    ASSERT_TRUE(x.Capture(w, &menu));
    const int addressField[4] = {400, 717, 180, 20};
    ASSERT_TRUE(Press(x, w, 120, 224, addressField, false));
    // A quick click, the pointer arriving with it, joins all the same.
    x.Click(w, 635, 724);

    // The level comes down with its progress on the loading screen.
    ASSERT_NE(watch.WaitFor("loading: Downloading levels/tdm_lakeside.lvl: "), "") << watch.All() << game.Output();
    // The pointer to the middle while the level loads (play starts with
    // the moves made before it dropped), so that aiming has room all round.
    int pointer[2] = {512, 384};
    x.MoveTo(w, pointer[0], pointer[1]);
    int width = 0, height = 0;
    std::vector<uint32_t> picture;
    ASSERT_TRUE(LoadPng(kBuild + "/gfx/loading.png", &width, &height, &picture) && width > 4);
    EXPECT_TRUE(x.WaitForPixel(w, 4, 4, picture[size_t(width) * 4 + 4] & 0xFFFFFF, kWait));
    Screenshot(x, w, "match", "loading.png");
    ASSERT_NE(watch.WaitFor("playing"), "") << watch.All() << game.Output();
    EXPECT_TRUE(fs::exists(folder + "/levels/tdm_lakeside.lvl"));

    // No team yet: the menu is up; Finland, by a tap.
    ASSERT_NE(watch.WaitFor("overlay: team select"), "") << watch.All();
    ASSERT_TRUE(watch.Tap(x, "1", "overlay: none")) << watch.All();

    // A few steps to the right, seen by the other player.
    int ivanAt[2] = {0, 0}, villeAt[2] = {0, 0};
    ASSERT_TRUE(Positions(ivan, ivanAt, villeAt)) << ivan.Output();
    const int startX = villeAt[0];
    x.Key(XK_d, true);
    for (int i = 0; i < 30 && villeAt[0] < startX + 16; ++i)
        ASSERT_TRUE(Positions(ivan, ivanAt, villeAt)) << ivan.Output();
    x.Key(XK_d, false);
    EXPECT_GE(villeAt[0], startX + 16) << ivan.Output();

    // The crosshair onto Ivan: the aim point is where the pointer's moves
    // took it, measured on the screen.
    XShot shot;
    int cross[2] = {0, 0};
    bool onTarget = false;
    std::string aims;
    for (int i = 0; i < 12 && !onTarget; ++i) {
        ASSERT_TRUE(Positions(ivan, ivanAt, villeAt)) << ivan.Output();
        const int target[2] = {512 + ivanAt[0] - villeAt[0], 384 + ivanAt[1] - villeAt[1] - 27};
        ASSERT_TRUE(x.WaitUntil(
            w, [&](const XShot& s) { return FindCrosshair(s, &cross[0], &cross[1]); }, kWait));
        onTarget = std::abs(cross[0] - target[0]) <= 2 && std::abs(cross[1] - target[1]) <= 2;
        aims += std::to_string(cross[0]) + "," + std::to_string(cross[1]) + " at " + std::to_string(target[0]) + "," +
                std::to_string(target[1]) + "\n";
        pointer[0] += target[0] - cross[0];
        pointer[1] += target[1] - cross[1];
        x.MoveTo(w, pointer[0], pointer[1]);
    }
    ASSERT_TRUE(onTarget) << aims << ivan.Output();
    ASSERT_TRUE(x.Capture(w, &shot));
    Screenshot(x, w, "match", "play.png");
    // Health 100: a lit "1", then two lit cells alike ("0" is the strip's
    // last cell); armour 0 one lit cell, and nothing after it.
    EXPECT_GT(Lit(shot, 41, 732), 6);
    EXPECT_GT(Lit(shot, 54, 732), 12);
    int same = 0;
    for (int j = 0; j < 13; ++j)
        for (int i = 0; i < 13; ++i)
            same += shot.At(54 + i, 732 + j) == shot.At(67 + i, 732 + j);
    EXPECT_EQ(same, 169);
    EXPECT_NE(Lit(shot, 41, 732), Lit(shot, 54, 732));
    EXPECT_EQ(Lit(shot, 80, 732), 0);
    int crossAt[2] = {0, 0};
    ASSERT_TRUE(FindCrosshair(shot, &crossAt[0], &crossAt[1]));
    EXPECT_NEAR(crossAt[0], 512 + ivanAt[0] - villeAt[0], 2);

    // Fire until the server counts the frag.
    x.Button(true);
    bool fragged = false;
    for (int i = 0; i < 40 && !fragged; ++i) {
        server.Type("playerinfo\n");
        fragged = server.WaitFor("Ville, Blue, 1 frags", 1000);
    }
    x.Button(false);
    EXPECT_TRUE(fragged) << server.Output() << ivan.Output();
    // His body where he fell, from the Russians' death picture: its
    // uniform, and the skin of its head that his standing picture lacks.
    const int fell[2] = {512 + ivanAt[0] - villeAt[0], 384 + ivanAt[1] - villeAt[1] - 27};
    EXPECT_TRUE(x.WaitUntil(
        w,
        [&](const XShot& s) {
            return Near(s, fell, 0xD6AA8C) > 60 && Near(s, fell, 0x605A3C) > 150 && Near(s, fell, 0xC8C8C4) < 30;
        },
        kWait))
        << game.Output();
    Screenshot(x, w, "match", "corpse.png");

    // A chat line, on the server's console.
    ASSERT_TRUE(watch.Tap(x, "t", "overlay: chat")) << watch.All();
    x.Type("moro from the lake\n");
    EXPECT_TRUE(server.WaitFor("moro from the lake", kWait)) << server.Output();
    ASSERT_NE(watch.WaitFor("overlay: none"), "") << watch.All();

    // The scoreboard while Tab is held: the teams' flags, blue and red.
    x.Key(XK_Tab, true);
    EXPECT_TRUE(x.WaitUntil(
        w,
        [](const XShot& s) {
            const uint32_t blue = s.At(430, 168), red = s.At(620, 180);
            return (blue & 0xFF) > 110 && (blue >> 16) < 60 && (red >> 16) > 130 && (red & 0xFF) < 60;
        },
        kWait));
    Screenshot(x, w, "match", "scoreboard.png");
    x.Key(XK_Tab, false);
    // The map while M is held: the level's picture in a black frame three
    // pixels wide, the level being wider than high.
    bool mapShown = false;
    for (int i = 0; i < 20 && !mapShown; ++i) {
        x.Key(XK_m, true);
        mapShown = !watch.WaitFor("overlay: map", 1000).empty();
    }
    ASSERT_TRUE(mapShown) << watch.All();
    EXPECT_TRUE(x.WaitUntil(
        w, [](const XShot& s) { return s.At(254, 384) == 0 && s.CountOther(0, 256, 300, 512, 160) > 512 * 160 / 2; },
        kWait));
    Screenshot(x, w, "match", "map.png");
    x.Key(XK_m, false);
    ASSERT_NE(watch.WaitFor("overlay: none"), "") << watch.All();

    // Escape asks and a tap of it again takes the question back; held, it
    // asks again; Y leaves to the main menu, Quit ends the game.
    ASSERT_TRUE(watch.Tap(x, "Escape", "overlay: exit question")) << watch.All();
    ASSERT_TRUE(watch.Tap(x, "Escape", "overlay: none")) << watch.All();
    x.Key(XK_Escape, true);
    ASSERT_NE(watch.WaitFor("overlay: exit question"), "") << watch.All();
    x.Key(XK_Escape, false);
    ASSERT_TRUE(watch.Hold(x, XK_y, "left")) << watch.All();
    ASSERT_TRUE(QuitFromMenu(x, w, menu));
    EXPECT_EQ(game.WaitExit(kWait), 0) << game.Output();
    EXPECT_TRUE(ivan.Running()) << ivan.Output();
}
