#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

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

// Started with its output in "log" of the folder and, when given, its input
// from the read end of a pipe.
pid_t Start(const std::vector<std::string>& args, const std::string& folder, int input = -1)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, (folder + "/log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (input >= 0)
        posix_spawn_file_actions_adddup2(&actions, input, 0);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit code, or -1 when it did not end within 15 s.
int WaitExit(pid_t pid)
{
    int status = 0;
    for (int i = 0; i < 1500; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

std::string Text(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

// At most 15 s.
bool WaitForText(const std::string& path, const std::string& text)
{
    for (int i = 0; i < 1500 && Text(path).find(text) == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Text(path).find(text) != std::string::npos;
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
    WriteScript(folder.dir.File("running-game"),
                "#!/bin/sh\n\"$1\" \"$2\" &\necho $! > updater.pid.tmp && mv updater.pid.tmp updater.pid\nread go || true\n");
    int pipe_[2];
    ASSERT_EQ(pipe2(pipe_, O_CLOEXEC), 0);
    const pid_t game = Start({folder.dir.File("running-game"), kUpdater, "/tmp/vnupdate1|" + path}, path, pipe_[0]);
    close(pipe_[0]);
    const std::string waiting = "updater: waiting for the game (process " + std::to_string(game) + ") to end\n";
    ASSERT_TRUE(WaitForText(folder.dir.File("log"), waiting));
    EXPECT_EQ(ReadAll(folder.dir.File("game.data")), Package(1)) << "installed while the game still ran";

    close(pipe_[1]);
    EXPECT_EQ(WaitExit(game), 0);
    ASSERT_TRUE(WaitForText(folder.dir.File("updater.pid"), "\n"));
    EXPECT_EQ(WaitExit(pid_t(std::stoi(Text(folder.dir.File("updater.pid"))))), 0);
    ASSERT_TRUE(WaitForText(folder.dir.File("restarted"), "\n"));
    EXPECT_EQ(Text(folder.dir.File("restarted")), path + " 0\n");
    EXPECT_EQ(ReadAll(folder.dir.File("game.data")), Package(2));
    EXPECT_EQ(ReadAll(folder.dir.File("game.data.bak")), Package(1));
    EXPECT_FALSE(fs::exists(folder.dir.File("game_new.data")));
    EXPECT_EQ(Text(folder.dir.File("log")), waiting);
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
        EXPECT_EQ(WaitExit(Start({kUpdater, argument}, folder.dir.Path())), c.code) << c.what;
        unsetenv("VORNHAL_UPDATER_WAIT");
        EXPECT_EQ(Text(folder.dir.File("log")).rfind("updater: ", 0), 0u) << c.what;
        EXPECT_EQ(ReadAll(folder.dir.File("game.data")), Package(1)) << c.what;
        EXPECT_FALSE(fs::exists(folder.dir.File("restarted"))) << c.what;
    }
}

} // namespace
