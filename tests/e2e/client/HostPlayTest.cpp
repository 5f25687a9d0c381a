// Hosting from the game: the host form filled in through the X server,
// two headless players join the game's own server and play to the frag
// limit, and the host, an operator by account, changes the map from chat.

#include "../../engine/web/StandIn.h"
#include "ClientRig.h"
#include "HeadlessGame.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

namespace {

using namespace ClientRig;
namespace fs = std::filesystem;

const int kVilleAccount = 71;

size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Both players' output read meanwhile, so that neither's pipe fills. A
// fight slowed by a busy machine still scores: each score seen gives the
// wait its full time again.
bool BothShow(TestSupport::ChildProcess& a, TestSupport::ChildProcess& b, const std::string& text)
{
    bool seenA = false, seenB = false;
    size_t scores = 0;
    for (int waited = 0; waited < 2 * kWait && !(seenA && seenB); waited += 200) {
        seenA = seenA || a.WaitFor(text, 100);
        seenB = seenB || b.WaitFor(text, 100);
        const size_t now = CountOf(a.Output(), "score ") + CountOf(b.Output(), "score ");
        if (now != scores)
            scores = now, waited = 0;
    }
    return seenA && seenB;
}

} // namespace

TEST(Host, FromTheFormToTheFragLimitAndAnOperatorsMapChange)
{
    StandIn master({}, [](StandInState& s) {
        StandIn::AddAccount(s, "ville", "pw", "Ville", "uid-ville", kVilleAccount);
        StandIn::AddAccount(s, "aho", "pw", "Aho", "uid-aho", 72);
        StandIn::AddAccount(s, "bob", "pw", "Bob", "uid-bob", 73);
    });
    ASSERT_TRUE(master.Running());
    const std::string masterAddress = "127.0.0.1:" + std::to_string(master.Port());

    // Two levels of the player's own in the cycle; Ville an operator.
    TestSupport::TempDir dir;
    const std::string folder = dir.File("player");
    LayOutPlayerFolder(folder);
    fs::create_directories(folder + "/levels");
    {
        // On the first the teams start in sight of each other: a frag comes
        // soon. The second is the shipped one, its teams far apart: the
        // operator's command ends it long before a frag could.
        TestGame::HeadlessGame maker(dir.File("scratch"));
        ASSERT_TRUE(maker.Ok());
        const std::vector<uint8_t> level = maker.StartsFacing("tdm_riotcity.lvl", 0.0f, 224.0f);
        ASSERT_FALSE(level.empty());
        TestSupport::WriteAll(folder + "/levels/tdm_first.lvl", level);
        const std::vector<uint8_t> shipped = TestSupport::ReadAll(kBuild + "/levels/tdm_riotcity.lvl");
        ASSERT_FALSE(shipped.empty());
        TestSupport::WriteAll(folder + "/levels/tdm_second.lvl", shipped);
    }
    const int port = TestSupport::FreeUdpPort();
    std::ofstream(folder + "/game.opt") << TestSupport::ReadText(kBuild + "/game.opt") << "<operators><name account=\""
                                        << kVilleAccount << "\">Ville</name></operators>\n";
    SetMapCycle(folder, {"levels/tdm_first.lvl", "levels/tdm_second.lvl"});
    TestSupport::SetGameOption(folder, "serverport", std::to_string(port));
    TestSupport::SetGameOption(folder, "serverlevel", "levels/tdm_first.lvl");
    ScreenWatch watch(dir.File("screen.log"));
    std::unique_ptr<TestSupport::ChildProcess> gameProcess = StartGame(folder, masterAddress, "ville:pw");
    TestSupport::ChildProcess& game = *gameProcess;
    XDriver x;
    const XWindow w = FocusGameWindow(x);
    ASSERT_TRUE(w) << game.Output();

    // The host form: its tab, then the frag limit made 1 (the scripted
    // fighter's first frag is by bullets, which never stalls).
    XShot shot;
    // The menu drawn, not the window's first black: its host tab is there.
    ASSERT_TRUE(x.WaitUntil(
        w, [](const XShot& s) { return s.width >= 1024 && s.CountOther(0, 201, 148, 204, 37) > 204 * 37 / 2; }, kWait));
    ASSERT_TRUE(x.Capture(w, &shot));
    const XShot menu = shot;
    const int hostTab[4] = {201, 148, 204, 37}, fragLimit[4] = {175, 325, 80, 17};
    ASSERT_TRUE(Press(x, w, 300, 166, hostTab, true));
    // The form is up once the frag limit's field stands where the list was.
    ASSERT_TRUE(x.WaitForChange(w, shot, 175, 325, 80, 17, kWait)) << game.Output();
    ASSERT_TRUE(Press(x, w, 250, 333, fragLimit, false));
    // Two quick presses back to back, shorter than a menu frame: both count,
    // and the field is left empty.
    for (int i = 0; i < 2; ++i)
        x.Key(XK_BackSpace, true, i * 5), x.Key(XK_BackSpace, false);
    ASSERT_TRUE(x.WaitUntil(
        w, [](const XShot& s) { return s.CountOther(s.At(250, 333), 184, 328, 66, 12) == 0; }, kWait));
    ASSERT_TRUE(x.Capture(w, &shot));
    x.Type("1");
    ASSERT_TRUE(x.WaitForChange(w, shot, 175, 325, 80, 17, kWait));
    Screenshot(x, w, "match", "host_form.png");
    const int startButton[4] = {602, 710, 91, 28};
    ASSERT_TRUE(Press(x, w, 647, 724, startButton, true));
    ASSERT_NE(watch.WaitFor("playing"), "") << watch.All() << game.Output();
    ASSERT_NE(watch.WaitFor("overlay: team select"), "") << watch.All();
    // The host watches, in no team: the match is the two players'.
    ASSERT_TRUE(watch.Hold(x, XK_0, "overlay: none")) << watch.All();

    // Two players join the game's server and fetch its level; Aho fights,
    // Bob chases him (two fighters could trade frags for long).
    auto player = [&](const std::string& user, const std::string& nick, int team, const char* role) {
        fs::create_directories(dir.File(user));
        return std::make_unique<TestSupport::ChildProcess>(
            kBuild + "/tests/headless_player",
            std::vector<std::string>{"--port", std::to_string(port), "--name", nick, "--team", std::to_string(team),
                                     role, "--trace", "--login", user, "pw", masterAddress},
            dir.File(user));
    };
    auto aho = player("aho", "Aho", 1, "--fight");
    auto bob = player("bob", "Bob", 2, "--chase");
    ASSERT_TRUE(BothShow(*aho, *bob, "joined levels/tdm_first.lvl\n")) << aho->Output() << bob->Output();

    // The first frag ends the level; the cycle's next follows.
    ASSERT_TRUE(BothShow(*aho, *bob, "joined levels/tdm_second.lvl\n")) << aho->Output() << bob->Output();
    auto onFirst = [](const std::string& out) { return out.substr(0, out.find("joined levels/tdm_second.lvl")); };
    EXPECT_NE(onFirst(aho->Output()).find("frags 1\n"), std::string::npos) << aho->Output() << bob->Output();
    EXPECT_EQ(onFirst(aho->Output()).find("frags 2\n"), std::string::npos) << aho->Output();
    EXPECT_EQ(onFirst(bob->Output()).find("frags 2\n"), std::string::npos) << bob->Output();

    // The operator's "!changemap": the cycle goes round to the first.
    ASSERT_TRUE(watch.Hold(x, XK_t, "overlay: chat")) << watch.All();
    x.Chord("Shift_L", "1");
    x.Type("changemap\n");
    EXPECT_TRUE(BothShow(*aho, *bob, "joined levels/tdm_first.lvl\n")) << aho->Output() << bob->Output();

    // Out to the menu and quit; the form's frag limit was kept.
    ASSERT_TRUE(watch.Hold(x, XK_Escape, "overlay: exit question")) << watch.All() << game.Output();
    ASSERT_TRUE(watch.Hold(x, XK_y, "left")) << watch.All();
    ASSERT_TRUE(QuitFromMenu(x, w, menu));
    EXPECT_EQ(game.WaitExit(kWait), 0) << game.Output();
    EXPECT_NE(TestSupport::ReadText(folder + "/game.opt").find("<serverfraglimit>1</serverfraglimit>"),
              std::string::npos);
}
