// The real server's terminal stopped with Ctrl+S, then never read, while
// four players chat: the match goes on, a fifth player joins, and the lines
// the terminal could not take are counted once it takes text again.
#include "ServerProcess.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using TestSupport::ChildProcess;

// The player's count of datagrams received (it says it once a second),
// waited for until it is above the one seen before; -1 when it stays.
long ReceivedAbove(ChildProcess& p, long seen)
{
    for (int i = 0; i < 50; ++i) {
        p.Drain(100);
        const size_t at = p.Output().rfind("received ");
        const long now = at == std::string::npos ? -1 : std::atol(p.Output().c_str() + at + 9);
        if (now > seen)
            return now;
    }
    return -1;
}

TEST(ConsoleStall, AStoppedOrUnreadTerminalHoldsUpNoOne)
{
    TestSupport::TempDir dir;
    const int port = TestSupport::LayOutGameFolder(dir.File("server"));
    ServerProcess server(dir.File("server"));
    ASSERT_TRUE(server.WaitFor("Playing level levels/tdm_riotcity.lvl.\n> ")) << server.Output();
    std::vector<std::unique_ptr<ChildProcess>> players;
    auto join = [&](const std::string& name) -> ChildProcess& {
        std::filesystem::create_directories(dir.File(name));
        players.push_back(std::make_unique<ChildProcess>(
            std::string(VORNHAL_BUILD_DIR) + "/tests/headless_player",
            std::vector<std::string>{"--port", std::to_string(port), "--name", name, "--team",
                                     std::to_string(players.size() % 2 + 1), "--levels", "--trace", "--chat", "500"},
            dir.File(name)));
        return *players.back();
    };
    for (const char* name : {"Aino", "Eero", "Ilona", "Oskari"})
        ASSERT_TRUE(join(name).WaitFor("joined")) << players.back()->Output();
    ASSERT_TRUE(server.WaitFor("line 2 from Oskari")) << server.Unread();

    // Ctrl+S stops nothing: the console is no terminal with flow control.
    server.Type("\x13playerinfo\r");
    ASSERT_TRUE(server.WaitFor("Oskari, ")) << server.Unread();

    // Then nobody reads it, and far more comes than it holds: it is full
    // after the first two or three seconds of the server's keys.
    for (int i = 0; i < 120; ++i)
        server.Type("help\r");
    std::vector<long> seen(players.size(), 0);
    for (int second = 0; second < 6; ++second)
        for (size_t i = 0; i < players.size(); ++i)
            ASSERT_GT(seen[i] = ReceivedAbove(*players[i], seen[i]), 0) << second << players[i]->Output();
    ChildProcess& late = join("Late");
    EXPECT_TRUE(late.WaitFor("joined", 10000)) << late.Output();

    // Read again: the count of what was dropped, and the console answers.
    ASSERT_TRUE(server.WaitFor(" console lines dropped\n", 30000)) << server.Unread().size();
    server.Type("playerinfo\r");
    EXPECT_TRUE(server.WaitFor("Late, ")) << server.Unread();
    server.Type("quit\r");
    EXPECT_EQ(server.WaitExit(), 0);
}

} // namespace
