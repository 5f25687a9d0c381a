// The real server hosting the default data: a client connecting over
// loopback, console lines arriving while a command is typed, commands, the
// settings written at "quit" and the announcement at the stand-in master.
#include "../../engine/web/StandIn.h"
#include "ServerProcess.h"
#include "support/GameFolder.h"

#include "engine/core/Engine.h"
#include "engine/net/IClient.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

namespace {

TEST(HostedMatch, ConsoleCommandsWhileAClientComesAndGoes)
{
    StandIn master({}, [](StandInState& s) { StandIn::AddAccount(s, "boss", "pw", "Boss", "uid-boss", 77); });
    ASSERT_TRUE(master.Running());
    TestSupport::TempDir dir;
    const int port = TestSupport::LayOutGameFolder(dir.Path());
    TestSupport::SetGameOption(dir.Path(), "masterserver", "127.0.0.1:" + std::to_string(master.Port()));
    std::string options = TestSupport::ReadText(dir.File("game.opt"));
    options = std::regex_replace(options, std::regex("<mapcycle mode=\"1\">[^]*?</mapcycle>"),
                                 "<mapcycle mode=\"1\"><level>levels/missing.lvl</level></mapcycle>");
    std::ofstream(dir.File("game.opt")) << options;

    ServerProcess server(dir.Path());
    ASSERT_TRUE(server.WaitFor("Playing level levels/tdm_riotcity.lvl.\n> ")) << server.Output();
    server.Type("playerinf");
    ASSERT_TRUE(server.WaitFor("playerinf"));

    // A connection that leaves without joining: its line comes on a line of
    // its own, then the prompt with the half-typed command.
    Engine engine;
    MPAPI::IClient* client = engine.CreateClient();
    ASSERT_NE(client->Connect(u"127.0.0.1", port, u""), nullptr);
    for (int i = 0; i < 20; ++i) {
        client->Update(0.05f);
        usleep(50 * 1000);
    }
    // The engine's own line comes the same way, from its receive thread.
    ASSERT_TRUE(server.WaitFor("\rConnection packet from 127.0.0.1\n> playerinf")) << server.Unread();
    client->Disconnect();
    delete client;
    ASSERT_TRUE(server.WaitFor("\rPlayer from 127.0.0.1 disconnected.\n> playerinf")) << server.Unread();

    // Nobody has joined: the list is empty.
    server.Type("o\r");
    ASSERT_TRUE(server.WaitFor("o\n> ")) << server.Unread();
    server.Type("kick nobody\r");
    ASSERT_TRUE(server.WaitFor("kick nobody\nPlayer not found.\n> ")) << server.Unread();
    // While a command runs, its console lines come without the prompt.
    server.Type("changemap\r");
    ASSERT_TRUE(server.WaitFor("changemap\n\rPlaying level levels/tdm_riotcity.lvl.\n> ")) << server.Unread();
    // A level that will not load leaves the one played: the server goes on.
    server.Type("gamemode ctf\rchangemap\r");
    ASSERT_TRUE(server.WaitFor("changemap\n\r[levels/missing.lvl]: Invalid map file\nUnable to load level.\n> "))
        << server.Unread();
    server.Type("timelimit 7\r");
    ASSERT_TRUE(server.WaitFor("Time limit changed to 7\n> "));

    // "op" answers with the account it bound, once the service has confirmed it.
    std::filesystem::create_directories(dir.File("boss"));
    TestSupport::ChildProcess boss(std::string(VORNHAL_BUILD_DIR) + "/tests/headless_player",
                                   {"--port", std::to_string(port), "--name", "Boss", "--levels", "--login", "boss",
                                    "pw", "127.0.0.1:" + std::to_string(master.Port())},
                                   dir.File("boss"));
    ASSERT_TRUE(boss.WaitFor("joined")) << boss.Output();
    bool bound = false;
    for (int i = 0; i < 100 && !bound; ++i) {
        server.Type("op boss\r");
        ASSERT_TRUE(server.WaitFor("op boss\n")) << server.Unread();
        ASSERT_TRUE(server.WaitFor("> ")) << server.Unread();
        const std::string reply = server.Output().substr(server.Output().rfind("op boss\n") + 8);
        bound = reply == "boss is an operator (account 77).\n> ";
        ASSERT_TRUE(bound || reply == "Player has no confirmed account.\n> ") << reply;
        if (!bound)
            boss.Drain(50);
    }
    EXPECT_TRUE(bound) << server.Output();
    server.Type("quit\r");
    EXPECT_EQ(server.WaitExit(), 0);
    EXPECT_NE(server.Output().find("quit\nServer closed.\n"), std::string::npos) << server.Unread();
    EXPECT_NE(TestSupport::ReadText(dir.File("game.opt")).find("<servertimelimit>7</servertimelimit>"),
              std::string::npos);

    StandInState state = master.State();
    ASSERT_EQ(state.Servers().size(), 1u);
    EXPECT_EQ(state.Servers()[0].port, port);
    EXPECT_EQ(state.Servers()[0].level, "Riot City");
    EXPECT_GE(state.Servers()[0].announcements, 1);
}

} // namespace
