// The real "server" program: its start-up failures with their messages and
// exit codes, and its console line editor, on a pseudo-terminal.
#include "ServerProcess.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <regex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

class ServerProgram : public testing::Test {
protected:
    void SetUp() override { TestSupport::LayOutGameFolder(dir_.Path()); }
    TestSupport::TempDir dir_;
};

TEST_F(ServerProgram, MissingScriptWaitsForAKeyAndEndsWithMinusOne)
{
    std::filesystem::remove(dir_.File("game.data"));
    ServerProcess server(dir_.Path());
    ASSERT_TRUE(server.WaitFor("Unable to load blocks.cfg resources.\n")) << server.Output();
    usleep(200 * 1000);
    EXPECT_TRUE(server.Running()) << "ended without waiting for a key";
    server.Type("x");
    EXPECT_EQ(server.WaitExit(), 255);
}

TEST_F(ServerProgram, MissingOrEmptySettingsFileEndsWithMinusOneAtOnce)
{
    {
        ServerProcess server(dir_.Path(), {"other.opt"});
        EXPECT_EQ(server.WaitExit(), 255);
        EXPECT_NE(server.Output().find("Resources loaded.\nLoading other.opt failed.\n"), std::string::npos)
            << server.Output();
    }
    std::ofstream(dir_.File("game.opt"), std::ios::trunc).close();
    ServerProcess server(dir_.Path());
    EXPECT_EQ(server.WaitExit(), 255);
    EXPECT_NE(server.Output().find("Loading game.opt failed.\n"), std::string::npos) << server.Output();
}

TEST_F(ServerProgram, DamagedSettingsAreShownWhereAndNeverWrittenOver)
{
    const std::string whole = TestSupport::ReadText(dir_.File("game.opt"));
    const size_t port = whole.find("<serverport>");
    const std::string cut = whole.substr(0, port + 15); // the port's value half written
    const int line = int(std::count(cut.begin(), cut.end(), '\n')) + 1;
    auto withPort = [&](const std::string& value) {
        return whole.substr(0, port) + "<serverport>" + value + whole.substr(whole.find("</serverport>"));
    };
    const std::string portRange = "game.opt, line " + std::to_string(line) + ": <serverport> must be 1 to 65535.\n";
    std::vector<std::pair<std::string, std::string>> cases = {
        {cut, "game.opt, line " + std::to_string(line) + ": <serverport> is not closed.\n"},
        {"This is no settings file.\n", "game.opt, line 1: text outside any element.\n"},
        {whole + "</bans>\n", "game.opt, line " + std::to_string(std::count(whole.begin(), whole.end(), '\n') + 1) +
                                  ": </bans> closes no element.\n"},
    };
    // A port no socket can have is no port to be changed into another.
    for (const char* value : {"99999", "-1", "eight", "0"})
        cases.emplace_back(withPort(value), portRange);
    for (const auto& [text, says] : cases) {
        std::ofstream(dir_.File("game.opt"), std::ios::trunc) << text;
        ServerProcess server(dir_.Path());
        server.Type("quit\r");
        EXPECT_EQ(server.WaitExit(), 255);
        EXPECT_NE(server.Output().find(says + "Loading game.opt failed.\n"), std::string::npos) << server.Output();
        EXPECT_EQ(TestSupport::ReadText(dir_.File("game.opt")), text);
    }
}

TEST_F(ServerProgram, SettingsThatCannotBeSavedFailTheExitAndStayWhole)
{
    // A read-only file at "quit".
    const std::string before = TestSupport::ReadText(dir_.File("game.opt"));
    ASSERT_EQ(chmod(dir_.File("game.opt").c_str(), 0444), 0);
    {
        ServerProcess server(dir_.Path());
        ASSERT_TRUE(server.WaitFor("> ")) << server.Output();
        server.Type("timelimit 9\rquit\r");
        EXPECT_EQ(server.WaitExit(), 255);
        EXPECT_NE(server.Output().find("quit\ncould not write game.opt: Permission denied\nServer closed.\n"),
                  std::string::npos)
            << server.Output();
    }
    EXPECT_EQ(TestSupport::ReadText(dir_.File("game.opt")), before);
    // A full disk (the file size limit stands in) at Ctrl+C.
    ASSERT_EQ(chmod(dir_.File("game.opt").c_str(), 0644), 0);
    TestSupport::ChildProcess server(
        "/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 1; exec " + std::string(VORNHAL_BUILD_DIR) + "/server"}, dir_.Path(),
        TestSupport::ChildProcess::Terminal);
    ASSERT_TRUE(server.WaitFor("> ")) << server.Output();
    server.Type("timelimit 9\r\x03");
    EXPECT_EQ(server.WaitExit(), 255);
    EXPECT_NE(server.Output().find("could not write game.opt: File too large\nServer closed.\n"), std::string::npos)
        << server.Output();
    EXPECT_EQ(TestSupport::ReadText(dir_.File("game.opt")), before);
}

TEST_F(ServerProgram, AMissingServerLevelIsSaidAndTheCycleIsPlayed)
{
    TestSupport::SetGameOption(dir_.Path(), "serverlevel", "levels/gone.lvl");
    ServerProcess server(dir_.Path());
    EXPECT_TRUE(server.WaitFor("The server level levels/gone.lvl was not found; the map cycle's first level is "
                               "played.\n"))
        << server.Output();
    EXPECT_TRUE(server.WaitFor("Playing level levels/tdm_riotcity.lvl.\n")) << server.Output();
}

TEST_F(ServerProgram, ThePackagesLevelIsUploadedWhenTheOneOnDiskIsDamaged)
{
    const std::vector<uint8_t> good = TestSupport::ReadAll(dir_.File("levels/tdm_riotcity.lvl"));
    std::vector<uint8_t> damaged(good.begin(), good.begin() + long(good.size() / 2));
    TestSupport::WriteAll(dir_.File("levels/tdm_riotcity.lvl"), damaged);
    const std::string port = std::regex_replace(TestSupport::ReadText(dir_.File("game.opt")),
                                                std::regex("[^]*<serverport>([0-9]+)</serverport>[^]*"), "$1");
    ServerProcess server(dir_.Path());
    ASSERT_TRUE(server.WaitFor("levels/tdm_riotcity.lvl in the game folder does not read whole; the package's copy "
                               "is played and sent.\n\rPlaying level levels/tdm_riotcity.lvl.\n"))
        << server.Output();
    std::filesystem::create_directories(dir_.File("player"));
    TestSupport::ChildProcess player(std::string(VORNHAL_BUILD_DIR) + "/tests/headless_player", {"--port", port},
                                     dir_.File("player"));
    ASSERT_TRUE(player.WaitFor("joined levels/tdm_riotcity.lvl")) << player.Output() << server.Output();
    EXPECT_EQ(TestSupport::ReadAll(dir_.File("player/levels/tdm_riotcity.lvl")), good);
}

TEST_F(ServerProgram, PortInUseEndsWithMinusOne)
{
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    int port = ntohs(a.sin_port);
    TestSupport::SetGameOption(dir_.Path(), "serverport", std::to_string(port));
    ServerProcess server(dir_.Path());
    EXPECT_EQ(server.WaitExit(), 255);
    EXPECT_NE(server.Output().find("Unable to listen UDP port " + std::to_string(port) + ".\n"), std::string::npos);
    close(s);
}

TEST_F(ServerProgram, MissingFirstLevelWaitsForAKeyAndEndsWithMinusOne)
{
    std::string text = std::regex_replace(TestSupport::ReadText(dir_.File("game.opt")),
                                          std::regex("levels/[a-z_]+\\.lvl"), "levels/missing.lvl");
    std::ofstream(dir_.File("game.opt")) << text;
    ServerProcess server(dir_.Path());
    ASSERT_TRUE(server.WaitFor("Unable to load level.\n")) << server.Output();
    usleep(200 * 1000);
    EXPECT_TRUE(server.Running());
    server.Type("\r");
    EXPECT_EQ(server.WaitExit(), 255);
}

TEST_F(ServerProgram, LineEditorOnTheTerminal)
{
    ServerProcess server(dir_.Path());
    ASSERT_TRUE(server.WaitFor("> ")) << server.Output();
    // Backspace on an empty line shows and changes nothing; Enter on an
    // empty line runs nothing and shows no new prompt.
    server.Type("\x7f\r");
    server.Type("gamemode kohx\x7f\r");
    ASSERT_TRUE(server.WaitFor("Game mode changed.\n> ")) << server.Output();
    EXPECT_EQ(server.Output().substr(server.Output().rfind("> ", server.Output().size() - 3)),
              "> gamemode kohx\b \b\nGame mode changed.\n> ");
    // The 1001st character is shown but not kept: after it, 1000 Backspaces
    // empty the line and the next one shows nothing. (One key per pass.)
    std::string keys = std::string(1000, 'a') + "X" + std::string(1001, '\x7f') + "lighting evening\r";
    server.Type(keys);
    ASSERT_TRUE(server.WaitFor("Lighting changed.\n> ", 60000)) << server.Unread().size();
    std::string erased;
    for (int i = 0; i < 1000; ++i)
        erased += "\b \b";
    EXPECT_NE(server.Output().find("\n> " + std::string(1000, 'a') + "X" + erased + "lighting evening\nLighting"),
              std::string::npos);
    server.Type("quit\r");
    EXPECT_EQ(server.WaitExit(), 0);
    EXPECT_NE(server.Output().find("quit\nServer closed.\n"), std::string::npos) << server.Unread();
    std::string opt = TestSupport::ReadText(dir_.File("game.opt"));
    EXPECT_NE(opt.find("<servermode>2</servermode>"), std::string::npos);
    EXPECT_NE(opt.find("<serverlighting>evening</serverlighting>"), std::string::npos);
}

TEST_F(ServerProgram, InterruptShutsDownOnTheMainThreadWithZero)
{
    ServerProcess server(dir_.Path());
    ASSERT_TRUE(server.WaitFor("> ")) << server.Output();
    server.Type("lighting night\r");
    ASSERT_TRUE(server.WaitFor("Lighting changed.\n> "));
    server.Type("\x03");
    EXPECT_EQ(server.WaitExit(), 0);
    EXPECT_NE(server.Output().find("Server closed.\n"), std::string::npos) << server.Output();
    EXPECT_NE(TestSupport::ReadText(dir_.File("game.opt")).find("<serverlighting>night</serverlighting>"),
              std::string::npos);
}

} // namespace
