// The server's terminal after the process ends on a fatal error: echo and
// line editing are back, as a normal exit leaves them.
#include "engine/core/IEngine.h"
#include "platform/console/Console.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

TEST(TerminalDeathTest, FatalErrorGivesTheTerminalBack)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child must share this pty
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    auto openThenFail = [&] {
        setenv("VORNHAL_UI", "headless", 1);
        dup2(slave, STDIN_FILENO);
        Console::Open();
        termios raw{};
        tcgetattr(STDIN_FILENO, &raw);
        if (raw.c_lflag & ECHO)
            _exit(3); // the console never went raw: nothing to see
        GetEngine()->FatalError("terminal left raw");
    };
    EXPECT_EXIT(openThenFail(), testing::ExitedWithCode(255), "terminal left raw");
    termios after{};
    ASSERT_EQ(tcgetattr(slave, &after), 0);
    EXPECT_TRUE(after.c_lflag & ECHO);
    EXPECT_TRUE(after.c_lflag & ICANON);
    close(slave);
    close(master);
}
