// The README's walk-through: host.sh's server shows in the list of the game
// that play.sh starts, the player joins it from there, the host makes the
// player an operator and the player's "!" command is obeyed; the server
// that quits leaves the list at once, and the shared master service goes
// with the last of the two commands.

#include "ClientRig.h"
#include "engine/web/MasterServices.h"
#include "engine/web/ServerList.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

namespace {

using namespace ClientRig;

// The shared service, by the folder's pid file; a test that fails leaves
// none running.
struct Service {
    std::string pidFile;
    int Pid() const { return std::atoi(TestSupport::ReadText(pidFile).c_str()); }
    bool Alive(int pid) const
    {
        waitpid(pid, nullptr, WNOHANG); // adopted by the test when its starter ended
        const std::string stat = TestSupport::ReadText("/proc/" + std::to_string(pid) + "/stat");
        return stat.find("(masterserver) ") != std::string::npos && stat.find(") Z") == std::string::npos;
    }
    ~Service()
    {
        if (Pid() > 0 && Alive(Pid()))
            kill(Pid(), SIGTERM);
    }
};

} // namespace

TEST(WalkThrough, HostThenPlayFromTheListToAnOperatorsCommand)
{
    TestSupport::TempDir dir;
    Service service{dir.File("master/pid")};
    const int port = TestSupport::FreeUdpPort();
    setenv("VORNHAL_BUILD", kBuild.c_str(), 1);
    setenv("VORNHAL_MASTER_DIR", dir.File("master").c_str(), 1);
    setenv("VORNHAL_HOST_DIR", dir.File("host").c_str(), 1);
    setenv("VORNHAL_PLAY_DIR", dir.File("play").c_str(), 1);
    setenv("VORNHAL_PORT", std::to_string(port).c_str(), 1);
    const std::string scripts = std::string(VORNHAL_SOURCE_DIR) + "/scripts/";
    TestSupport::ChildProcess host("/bin/bash", {scripts + "host.sh"}, dir.Path(), TestSupport::ChildProcess::Terminal);
    ASSERT_TRUE(host.WaitFor("Playing level levels/tdm_riotcity.lvl.\n> ", 5 * kWait)) << host.Output();
    // Whether the service lists the server with that many players, waited for.
    auto listed = [&](int players, int ms) {
        for (int i = 0; i < ms / 50; ++i, usleep(50 * 1000)) {
            StandInState state(dir.File("master/state"));
            if (state.Load() && !state.Servers().empty() && state.Servers()[0].port == port &&
                state.Servers()[0].players == players)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(listed(0, kWait)) << host.Output();

    // play.sh logs in as the README says, finds the running service and
    // lists the server.
    setenv("VORNHAL_UI", "headless", 1);
    setenv("VORNHAL_UI_LOGIN", "player:vornhal", 1);
    setenv("VORNHAL_UI_UPDATE", "no", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    unsetenv("VORNHAL_OPTIONS");
    unsetenv("VORNHAL_OPTIONS_SET");
    ScreenWatch watch(dir.File("screen.log"));
    TestSupport::ChildProcess play("/bin/bash", {scripts + "play.sh", "-windowed"}, dir.Path());
    XDriver x;
    const XWindow w = FocusGameWindow(x);
    ASSERT_TRUE(w) << play.Output();
    XShot menu;
    ASSERT_TRUE(JoinFirstListed(x, w, &menu)) << play.Output();
    ASSERT_NE(watch.WaitFor("playing"), "") << watch.All() << play.Output();
    ASSERT_NE(watch.WaitFor("overlay: team select"), "") << watch.All();
    ASSERT_TRUE(watch.Hold(x, XK_1, "overlay: none")) << watch.All();
    // The list follows the players at once, not at the next minute's announcement.
    EXPECT_TRUE(listed(1, 10000));

    // The host makes the player an operator; the player changes the map.
    host.Type("op player\r");
    ASSERT_TRUE(host.WaitFor("op player\nplayer is an operator (account ")) << host.Unread();
    ASSERT_TRUE(watch.Hold(x, XK_t, "overlay: chat")) << watch.All();
    x.Type("!changemap\n");
    EXPECT_TRUE(host.WaitFor("Playing level levels/tdm_riotcity.lvl.", kWait)) << host.Unread();
    ASSERT_NE(watch.WaitFor("playing"), "") << watch.All();
    ASSERT_NE(watch.WaitFor("overlay: team select"), "") << watch.All();
    ASSERT_TRUE(watch.Hold(x, XK_1, "overlay: none")) << watch.All();

    // Back to the menu; the server quits and is listed no more.
    ASSERT_TRUE(watch.Hold(x, XK_Escape, "overlay: exit question")) << watch.All();
    ASSERT_TRUE(watch.Hold(x, XK_y, "left")) << watch.All();
    host.Type("quit\r");
    EXPECT_EQ(host.WaitExit(kWait), 0) << host.Output();
    const std::string out = TestSupport::ReadText(dir.File("master/out"));
    const std::string master = "127.0.0.1:" + std::to_string(std::atoi(out.c_str() + out.find("port ") + 5));
    std::unique_ptr<ServerList> list(MasterServices::GetServerList(std::u16string(master.begin(), master.end())));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->GetCount(), 0);

    // The game quits; play.sh, the last of the two, stops the service.
    const int pid = service.Pid();
    ASSERT_TRUE(QuitFromMenu(x, w, menu));
    EXPECT_EQ(play.WaitExit(kWait), 0) << play.Output();
    EXPECT_FALSE(service.Alive(pid));
}
