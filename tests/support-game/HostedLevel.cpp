#include "HostedLevel.h"

#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "support/ChildProcess.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>

namespace TestGame {

bool ReadLevelFile(const std::string& path, LevelContents* level)
{
    FileManager files;
    std::unique_ptr<IFile> in(files.Open(Util::Widen(path.c_str()).c_str(), kOpenRead, kOpenFullPath | kOpenNoPackage));
    return in && ReadLevel(in.get(), nullptr, level);
}

void HostAndPlay(const std::string& dir, const std::string& name, const std::vector<uint8_t>& level, int mode,
                 const std::vector<int>& teams)
{
    const std::string host = dir + "/host", file = "levels/" + name, build = VORNHAL_BUILD_DIR;
    const int port = TestSupport::LayOutGameFolder(host);
    TestSupport::WriteAll(host + "/" + file, level);
    TestSupport::SetGameOption(host, "serverlevel", file);
    TestSupport::SetGameOption(host, "servermode", std::to_string(mode));
    const std::string cycle = "<mapcycle mode=\"" + std::to_string(mode) + "\">";
    const std::string options = TestSupport::ReadText(host + "/game.opt");
    std::ofstream(host + "/game.opt") << std::regex_replace(options, std::regex(cycle + "[^]*?</mapcycle>"),
                                                            cycle + "<level>" + file + "</level></mapcycle>");
    TestSupport::ChildProcess server(build + "/server", {}, host);
    ASSERT_TRUE(server.WaitFor("Playing level " + file + ".", 30000)) << server.Output();

    std::vector<std::unique_ptr<TestSupport::ChildProcess>> players;
    for (int team : teams) {
        const std::string home = dir + "/player" + std::to_string(team);
        std::filesystem::create_directories(home + "/levels");
        players.push_back(std::make_unique<TestSupport::ChildProcess>(
            build + "/tests/headless_player",
            std::vector<std::string>{"--port", std::to_string(port), "--name", "P" + std::to_string(team), "--team",
                                     std::to_string(team), "--fight", "--trace"},
            home));
    }
    for (size_t i = 0; i < players.size(); ++i) {
        TestSupport::ChildProcess& p = *players[i];
        ASSERT_TRUE(p.WaitFor("joined " + file + "\n", 60000)) << p.Output();
        // The player walks the map: within its next ten places (a second
        // apart) one differs from where it began.
        ASSERT_TRUE(p.WaitFor("\nat ", 10000)) << p.Output();
        const std::string first = p.Unread().substr(0, p.Unread().find('\n'));
        bool moved = false;
        for (int i = 0; i < 10 && !moved; ++i) {
            ASSERT_TRUE(p.WaitFor("\nat ", 10000)) << p.Output();
            moved = p.Unread().substr(0, p.Unread().find('\n')) != first;
        }
        EXPECT_TRUE(moved) << p.Output();
        EXPECT_EQ(TestSupport::ReadAll(dir + "/player" + std::to_string(teams[i]) + "/" + file), level);
    }
    for (auto& p : players) {
        p->Signal(SIGTERM);
        EXPECT_EQ(p->WaitExit(20000), 0) << p->Output();
    }
    server.Type("quit\n");
    EXPECT_EQ(server.WaitExit(20000), 0) << server.Output();
}

} // namespace TestGame
