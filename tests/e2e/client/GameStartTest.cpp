// The game program's start as a player meets it: the real game, updater,
// server and stand-in master service as programs, on a display of the
// test's own, worked through the X server as a person would.

#include "ClientRig.h"
#include "engine/files/FileManager.h"
#include "platform/os/OsText.h"
#include "support/ChildProcess.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"
#include "support/XDriver.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

using namespace ClientRig;

// A process the test took over (it is the subreaper) when the program that
// started it ended, found by its name; killed unless it ended.
struct Adopted {
    pid_t pid = -1;

    explicit Adopted(const std::string& name)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWait);
        while (pid < 0 && std::chrono::steady_clock::now() < end) {
            for (const auto& e : fs::directory_iterator("/proc")) {
                // "pid (name) state ppid ..."
                std::string line;
                std::getline(std::ifstream(e.path() / "stat"), line);
                const size_t open = line.find('('), close = line.rfind(')');
                if (open != std::string::npos && close != std::string::npos &&
                    line.substr(open + 1, close - open - 1) == name &&
                    std::atoi(line.c_str() + close + 4) == int(getpid()))
                    pid = std::atoi(line.c_str());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~Adopted()
    {
        if (pid > 0 && kill(pid, SIGKILL) == 0)
            waitpid(pid, nullptr, 0);
    }
    int WaitExit()
    {
        int status = 0;
        for (int i = 0; pid > 0 && i < kWait / 20; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20)))
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        return -1;
    }
};

// The dialog is up and drawn: its picture, from the data set, is on the screen.
bool WaitForPicture(XDriver& x, XWindow w, const std::string& picture)
{
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    return w && LoadPng(kBuild + "/" + picture, &width, &height, &pixels) &&
           x.WaitForPixel(w, 4, 4, pixels[size_t(4) * size_t(width) + 4] & 0xFFFFFF, kWait);
}

void Screenshot(XDriver& x, XWindow w, const std::string& name) { ClientRig::Screenshot(x, w, "client", name); }

} // namespace

TEST(GameStart, FromAFreshFolderThroughTheUpdateAndTheLogInToTheServerList)
{
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    TestSupport::TempDir dir;
    const std::string folder = dir.File("player"), offers = dir.File("offers"), stage = dir.File("stage");
    LayOutPlayerFolder(folder);

    // On offer: data version 2, carrying the updater built here.
    fs::create_directories(offers);
    fs::create_directories(stage);
    fs::copy_file(kBuild + "/updater", stage + "/updater.exe");
    {
        TestSupport::ScopedChdir in(stage);
        FileManager files;
        files.BeginPackage(2);
        files.AddFileToPackage(u"updater.exe", 0);
        ASSERT_TRUE(files.SavePackage(Util::FromOs(offers + "/vornhal-2.data").c_str(), nullptr));
    }
    std::ofstream(offers + "/vornhal-2.txt") << "Boats on the lake\n";

    Master master(dir.Path(), {"ville", "sisu1939", "Ville", "uid-ville"}, offers);
    const std::string masterAddress = master.Address();
    ASSERT_FALSE(masterAddress.empty()) << master.Process().Output();

    // A real server, announced to the stand-in before the game asks for the list.
    const std::string serverFolder = dir.File("server");
    const int serverPort = TestSupport::LayOutGameFolder(serverFolder);
    TestSupport::SetGameOption(serverFolder, "masterserver", masterAddress);
    TestSupport::ChildProcess server(kBuild + "/server", {}, serverFolder);
    ASSERT_TRUE(server.WaitFor("Playing level", kWait)) << server.Output();
    ASSERT_TRUE(master.WaitAnnounced(serverPort)) << server.Output();

    // No "game.opt": the options dialog answers, the game saves its settings.
    setenv("VORNHAL_OPTIONS", "start", 1);
    setenv("VORNHAL_OPTIONS_SET", ("windowed=1;masterserver=" + masterAddress).c_str(), 1);
    setenv("VORNHAL_UPDATE_HOST", masterAddress.c_str(), 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    unsetenv("VORNHAL_UI");
    const std::string temporary = dir.File("tmp");
    fs::create_directories(temporary);
    setenv("TMPDIR", temporary.c_str(), 1);
    // Windowed by "game.opt" alone.
    TestSupport::ChildProcess game(folder + "/game", {"Aapo"}, folder);
    XDriver x;
    ASSERT_TRUE(x.Ok());

    const XWindow question = x.WaitForWindow("Update Vornhal", kWait);
    ASSERT_TRUE(WaitForPicture(x, question, "gfx/update1.png")) << game.Output();
    EXPECT_NE(TestSupport::ReadText(folder + "/game.opt").find("<masterserver>" + masterAddress + "</masterserver>"),
              std::string::npos);
    x.Focus(question);
    x.Key("Return"); // Yes is the default
    ASSERT_EQ(game.WaitExit(kWait), 0) << game.Output();

    Adopted updater("vnupd.exe");
    EXPECT_EQ(updater.WaitExit(), 0) << game.Output();
    // Nothing of the download is left in the temporary folder.
    EXPECT_TRUE(fs::is_empty(temporary));
    EXPECT_EQ(TestSupport::PackageVersion(folder + "/game.data"), 2);
    EXPECT_EQ(TestSupport::PackageVersion(folder + "/game.data.bak"), 1);
    Adopted again("game");
    ASSERT_GT(again.pid, 0) << game.Output();
    // Started as the player started it.
    std::string line;
    std::getline(std::ifstream("/proc/" + std::to_string(again.pid) + "/cmdline"), line);
    EXPECT_EQ(line, std::string("game\0Aapo\0", 10));

    // Started again on version 2: no question this time, the log-in.
    const XWindow login = x.WaitForWindow("Login To Vornhal", kWait);
    ASSERT_TRUE(WaitForPicture(x, login, "gfx/login.png")) << game.Output();
    EXPECT_EQ(x.WaitForWindow("Update Vornhal", 0), 0u);
    Screenshot(x, login, "login.png");
    x.Focus(login);
    x.Type("ville");
    x.Key("Tab");
    x.Type("sisu1939\n");
    EXPECT_TRUE(x.WaitGone(login, kWait));

    // The server browser: one row, the server the stand-in lists.
    const XWindow menu = x.WaitForWindow("Vornhal", kWait);
    auto rowHasText = [](const XShot& s, int row) {
        const int top = 185 + 26 + 5 + 18 * row;
        return s.Contains(700, top + 17) && s.CountOther(s.At(17, top + 1), 20, top, 280, 18) > 20;
    };
    ASSERT_TRUE(x.WaitUntil(
        menu, [&](const XShot& s) { return rowHasText(s, 0); }, kWait))
        << game.Output();
    XShot before;
    ASSERT_TRUE(x.Capture(menu, &before));
    EXPECT_EQ(std::make_pair(before.width, before.height), std::make_pair(1024, 768)) << "not the screen's size";
    // Rows are as tall as the font the game got: count the lines of text.
    int textLines = 0;
    for (int y = 185 + 26 + 5, inText = 0; y < 185 + 26 + 5 + 200; ++y) {
        const int now = before.CountOther(before.At(17, 185 + 26 + 6), 20, y, 280, 1) > 0;
        textLines += now && !inText;
        inText = now;
    }
    EXPECT_EQ(textLines, 1);
    Screenshot(x, menu, "main_menu.png");
    // A press on the row puts its address into the field.
    x.MoveTo(menu, 120, 224);
    x.Button(true);
    EXPECT_TRUE(x.WaitForChange(menu, before, 400, 717, 180, 20, kWait));
    x.Button(false);
    // A stop signal to the copy the updater started (in a session of its
    // own): it leaves as Quit does, the address kept, and ends by it.
    ASSERT_EQ(kill(again.pid, SIGTERM), 0);
    ASSERT_EQ(again.WaitExit(), 128 + SIGTERM) << game.Output();
    const std::string options = TestSupport::ReadText(folder + "/game.opt");
    EXPECT_NE(options.find("<defaultaddress>127.0.0.1:" + std::to_string(serverPort) + "</defaultaddress>"),
              std::string::npos)
        << options;
}

TEST(GameStart, WithoutAUsableDisplayItSaysWhyAndEndsNonZero)
{
    TestSupport::TempDir dir;
    LayOutPlayerFolder(dir.File("player"));
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    setenv("DISPLAY", ":65000", 1); // no X server
    TestSupport::ChildProcess game(dir.File("player/game"), {"-windowed"}, dir.File("player"));
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(game.WaitExit(kWait), 5);
    EXPECT_NE(game.Output().find("game: the engine cannot start its video (is there a display?)"), std::string::npos)
        << game.Output();
    // No display named at all: the same, not a renderer that fails later.
    unsetenv("DISPLAY");
    setenv("VORNHAL_OPTIONS", "start", 1);
    TestSupport::ChildProcess undisplayed(dir.File("player/game"), {"-windowed"}, dir.File("player"));
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(undisplayed.WaitExit(kWait), 5) << undisplayed.Output();
    EXPECT_FALSE(fs::exists(dir.File("player/game.opt")));
}

TEST(GameStart, StopSignalsEndTheLogInAtOnceAndAPackageThatCannotBeReadIsNamed)
{
    TestSupport::TempDir dir;
    const std::string folder = dir.File("player");
    LayOutPlayerFolder(folder);
    fs::copy_file(kBuild + "/game.opt", folder + "/game.opt");
    TestSupport::SetGameOption(folder, "windowed", "true");
    Master master(dir.Path(), {"ville", "sisu1939", "Ville", "uid-ville"});
    ASSERT_FALSE(master.Address().empty()) << master.Process().Output();

    // The log-in dialog, a window, ends at once on SIGHUP (as on SIGINT
    // and SIGTERM): there is nothing to save yet.
    TestSupport::SetGameOption(folder, "masterserver", master.Address());
    setenv("VORNHAL_UPDATE_HOST", master.Address().c_str(), 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    unsetenv("VORNHAL_UI");
    unsetenv("VORNHAL_OPTIONS");
    XDriver x;
    ASSERT_TRUE(x.Ok());
    {
        TestSupport::ChildProcess login(folder + "/game", {}, folder);
        ASSERT_NE(x.WaitForWindow("Login To Vornhal", kWait), 0u) << login.Output();
        login.Signal(SIGHUP);
        EXPECT_EQ(login.WaitExit(kWait), 128 + SIGHUP) << login.Output();
    }
    // A crash says which signal, and what the game was at.
    {
        TestSupport::ChildProcess crashed(folder + "/game", {}, folder);
        ASSERT_NE(x.WaitForWindow("Login To Vornhal", kWait), 0u) << crashed.Output();
        crashed.Signal(SIGSEGV);
        EXPECT_EQ(crashed.WaitExit(kWait), 3) << crashed.Output();
        EXPECT_NE(crashed.Output().find("game: the game crashed: segmentation fault (SIGSEGV) while logging in\n"),
                  std::string::npos)
            << crashed.Output();
    }

    // Without a sound device one line says so; a damaged package is named,
    // in a box as well.
    TestSupport::WriteAll(folder + "/game.data", TestSupport::PseudoRandomBytes(4096, 3));
    setenv("ALSOFT_DRIVERS", "alsa", 1);
    TestSupport::ChildProcess damaged(folder + "/game", {}, folder);
    const XWindow login = x.WaitForWindow("Login To Vornhal", kWait);
    ASSERT_NE(login, 0u) << damaged.Output();
    x.Focus(login);
    x.Type("ville");
    x.Key("Tab");
    x.Type("sisu1939\n");
    const XWindow box = x.WaitForWindow("Error!", kWait);
    ASSERT_NE(box, 0u) << damaged.Output();
    Screenshot(x, box, "damaged_package.png");
    x.Focus(box);
    x.Key("Return");
    EXPECT_EQ(damaged.WaitExit(kWait), 255) << damaged.Output();
    EXPECT_NE(damaged.Output().find("The package " + folder + "/game.data could not be read"), std::string::npos)
        << damaged.Output();
    EXPECT_EQ(damaged.Output().find("resource script"), std::string::npos) << damaged.Output();
    if (damaged.Count("Sound is off") > 0) {
        EXPECT_EQ(damaged.Count("Sound is off"), 1);
        EXPECT_EQ(damaged.Output().find("ALSA lib"), std::string::npos) << damaged.Output();
        EXPECT_EQ(damaged.Output().find("AL lib"), std::string::npos) << damaged.Output();
    }
}
