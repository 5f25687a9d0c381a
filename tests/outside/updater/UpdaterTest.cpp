#include "support/ChildProcess.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using TestSupport::ReadAll;

const std::string kUpdater = std::string(VORNHAL_BUILD_DIR) + "/updater";

// An empty package of that data version: the header, then a directory of
// no entries.
std::vector<uint8_t> Package(uint8_t version)
{
    return {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, version, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0};
}

void WriteScript(const std::string& path, const std::string& text)
{
    TestSupport::WriteAll(path, text.data(), text.size());
    chmod(path.c_str(), 0755);
}

// The exit code of a process this one reaps, or -1 when it did not end
// within 15 s.
int WaitExit(pid_t pid)
{
    int status = 0;
    for (int i = 0; i < 1500; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return -1;
}

struct GameFolder {
    GameFolder()
    {
        TestSupport::WriteAll(dir.File("game.data"), Package(1));
        TestSupport::WriteAll(dir.File("game_new.data"), Package(2));
        // Started again by the updater: where and with how many arguments.
        WriteScript(dir.File("game"), "#!/bin/sh\necho \"$PWD $#\" > restarted.tmp && mv restarted.tmp restarted\n");
    }
    TestSupport::TempDir dir;
};

TEST(Updater, WaitsForTheGameThenInstallsAndStartsItAgain)
{
    // Orphans come to this process, so the updater's exit code can be read
    // after the game that started it is gone.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    GameFolder folder;
    const std::string& path = folder.dir.Path();
    // The game that downloaded the update starts the updater and ends when
    // the test lets it.
    WriteScript(
        folder.dir.File("running-game"),
        "#!/bin/sh\n\"$1\" \"$2\" &\necho $! > updater.pid.tmp && mv updater.pid.tmp updater.pid\nread go || true\n");
    TestSupport::ChildProcess game(folder.dir.File("running-game"), {kUpdater, "/tmp/vnupdate1|" + path}, path);
    const std::string waiting = "updater: waiting for the game (process " + std::to_string(game.Pid()) + ") to end\n";
    ASSERT_TRUE(game.WaitFor(waiting, 15000)) << game.Output();
    EXPECT_EQ(ReadAll(folder.dir.File("game.data")), Package(1)) << "installed while the game still ran";

    game.Type("go\n");
    EXPECT_EQ(game.WaitExit(15000), 0);
    EXPECT_EQ(WaitExit(pid_t(std::stoi(TestSupport::ReadText(folder.dir.File("updater.pid"))))), 0);
    // The game started again writes where it runs; the updater need not wait for it.
    for (int i = 0; i < 1500 && !fs::exists(folder.dir.File("restarted")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(TestSupport::ReadText(folder.dir.File("restarted")), path + " 0\n");
    EXPECT_EQ(ReadAll(folder.dir.File("game.data")), Package(2));
    EXPECT_EQ(ReadAll(folder.dir.File("game.data.bak")), Package(1));
    EXPECT_FALSE(fs::exists(folder.dir.File("game_new.data")));
    game.Drain(1000);
    EXPECT_EQ(game.Output(), waiting);
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

TEST(Updater, FailuresLeaveGameDataAsItWas)
{
    struct Case {
        const char* what;
        int code;
        void (*spoil)(GameFolder&);
        std::string argument; // "|" and the folder follow unless empty
        const char* wait;
    };
    const Case cases[] = {
        {"no folder", 1, [](GameFolder&) {}, "", nullptr},
        {"a cut-off package", 3,
         [](GameFolder& f) {
             std::vector<uint8_t> p = Package(2);
             p[12] = 200; // the directory lies past the end
             TestSupport::WriteAll(f.dir.File("game_new.data"), p);
         },
         "/tmp/vnupdate1", nullptr},
        {"no new package", 3, [](GameFolder& f) { fs::remove(f.dir.File("game_new.data")); }, "/tmp/vnupdate1",
         nullptr},
        {"no game to start", 3, [](GameFolder& f) { fs::remove(f.dir.File("game")); }, "/tmp/vnupdate1", nullptr},
        // This test process, working in the game folder, is the game that
        // never ends.
        {"the game never ends", 2, [](GameFolder&) {}, "/tmp/vnupdate1", "1"},
    };
    for (const Case& c : cases) {
        GameFolder folder;
        c.spoil(folder);
        std::unique_ptr<TestSupport::ScopedChdir> inFolder;
        if (c.wait) {
            setenv("VORNHAL_UPDATER_WAIT", c.wait, 1);
            inFolder = std::make_unique<TestSupport::ScopedChdir>(folder.dir.Path());
        }
        const std::string argument = c.argument.empty() ? folder.dir.Path() : c.argument + "|" + folder.dir.Path();
        TestSupport::ChildProcess updater(kUpdater, {argument}, folder.dir.Path());
        EXPECT_EQ(updater.WaitExit(15000), c.code) << c.what;
        unsetenv("VORNHAL_UPDATER_WAIT");
        EXPECT_EQ(updater.Output().rfind("updater: ", 0), 0u) << c.what;
        EXPECT_EQ(ReadAll(folder.dir.File("game.data")), Package(1)) << c.what;
        EXPECT_FALSE(fs::exists(folder.dir.File("restarted"))) << c.what;
    }
}

} // namespace
