// The operator's commands: replies byte for byte, and what each one asks of
// the handler and the settings.
#include "game/shell/console/ConsoleCommand.h"
#include "CapturingWriter.h"
#include "engine/core/StringKit.h"
#include "game/shell/console/ConsoleWords.h"
#include "game/shell/console/IMessageWriter.h"
#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/world/system/GameSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <functional>
#include <string>
#include <vector>

namespace {

class RecordingHandler : public MultiplayerHandler {
public:
    void RemoveObject(MPAPI::Object*) override {}
    void AddObject(MPAPI::Object*) override {}
    void AddLevelObject(MPAPI::Object*) override {}
    void KickPlayer(int32_t id) override { calls.push_back("kick " + std::to_string(id)); }
    bool BanPlayer(const char16_t* name) override { return calls.push_back("ban " + Util::Narrow(name)), true; }
    bool UnbanPlayer(const char16_t* name) override
    {
        calls.push_back("unban " + Util::Narrow(name));
        return Util::StrEqual(name, u"known");
    }
    bool StartLevel() override { return calls.push_back("start"), levelLoads; }
    void SetPassword(const char16_t* p) override { calls.push_back("password " + Util::Narrow(p)); }
    void BroadcastMessage(const char16_t* text, int team, bool notice, bool teamOnly) override
    {
        calls.push_back(Util::Narrow(text) + "|" + std::to_string(team) + (notice ? "n" : "") + (teamOnly ? "t" : ""));
    }
    uint32_t GetPlayerAddress(int32_t) override { return 0x0401A8C0; } // 192.168.1.4
    int GetPlayerPort(int32_t) override { return 50123; }
    std::vector<std::string> calls;
    bool levelLoads = true;
};

const char* const kHelp =
    "\n\nServer commands are:\ngamemode dm/ctf/koh                 change game mode\nchangemap                         "
    "  "
    "change to next level\nlighting noon/evening/night         change lighting for next level\nplayerinfo "
    "[playername]             show information about player/players\nchangeteam playername blue/red      move player "
    "to other team\nkick playername/ip                  kick player with name or ip\nban playername/ip                "
    "   kick player with name or ip and disable connections from player's ip\nunban playername/ip                 "
    "enable connections from player's IP\nop playername                       make player's account an "
    "operator\ndeop playername                     remove operator\n"
    "balance                             balance teams\nautobalance 0/1          "
    "           set autobalance off/on\npassword [password]                 set server password or remove it with "
    "empty password\ntimelimit                           change time limit to specified value\nfraglimit            "
    "               change frag limit to specified value\nchat message                        send chat "
    "message\nquit                                stop server\n\n";

class ConsoleCommand : public testing::Test {
protected:
    ConsoleCommand() : game_(nullptr, nullptr, nullptr, nullptr, nullptr)
    {
        game_.SetActiveHandler(&handler_);
        handler_.AddPlayer(3, u"Bob", nullptr);
        handler_.UpdatePlayer(3, -1000.0f, -1000.0f, 40, 0, nullptr);
        handler_.AddPlayer(9, u"Ivan", nullptr);
        handler_.UpdatePlayer(9, -1000.0f, -1000.0f, 40, 7, nullptr);
        handler_.AddPlayer(12, u"Joining", nullptr); // no team yet: not listed
        handler_.AddPlayer(5, u"\u00c4ij\u00e4", nullptr);
        handler_.UpdatePlayer(5, -1000.0f, -1000.0f, 40, 0, nullptr);
    }
    // The reply of one line; its handler calls joined by ";".
    std::string Run(const char16_t* line, std::string* calls = nullptr, bool* quit = nullptr)
    {
        CapturingWriter writer;
        handler_.calls.clear();
        // The console fuzz target reads a line as UTF-16 units, low byte first.
        std::vector<uint8_t> seed;
        for (const char16_t* c = line; *c; ++c)
            seed.insert(seed.end(), {uint8_t(*c), uint8_t(*c >> 8)});
        TestSupport::WriteFuzzSeed("console_command", "line_" + std::to_string(std::hash<std::u16string>()(line)),
                                   seed);
        bool q = ExecuteConsoleCommand(line, &writer, &game_, &levelLost_);
        for (size_t i = 0; calls && i < handler_.calls.size(); ++i)
            *calls += (i ? ";" : "") + handler_.calls[i];
        if (quit)
            *quit = q;
        return writer.text;
    }
    GameSystem game_;
    RecordingHandler handler_;
    bool levelLost_ = false;
};

TEST_F(ConsoleCommand, EveryReplyAndCallByteForByte)
{
    struct Case {
        const char16_t* line;
        std::string reply;
        std::string calls;
    } cases[] = {
        {u"help", kHelp, ""},
        {u"gamemode tdm", "Command syntax is: gamemode dm/ctf/koh\n", ""},
        {u"gamemode CTF", "Game mode changed.\n", ""},
        {u"lighting dusk", "Command syntax is: lighting noon/evening/night\n", ""},
        {u"lighting night", "Lighting changed.\n", ""},
        {u"playerinfo",
         "Bob, Blue, 0 frags, ping: 0, loss: 0.00\nIvan, Red, 0 frags, ping: 0, loss: 0.00\n"
         "\xC3\x84ij\xC3\xA4, Blue, 0 frags, ping: 0, loss: 0.00\n",
         ""},
        {u"playerinfo ivan", "\nTeam: Red\nIP: 192.168.1.4\nPort: 50123\nPing: 0\nPacket loss: 0.00\n", ""},
        {u"playerinfo nobody", "Player not found.\n", ""},
        {u"changeteam bob", "Command syntax is: changeteam playername blue/red\n", ""},
        {u"changeteam nobody red", "Player not found.\n", ""},
        {u"kick", "Command syntax is: kick playername/ip\n", ""},
        {u"kick BOB", "", "kick 3"},
        {u"kick nobody", "Player not found.\n", ""},
        {u"ban", "Command syntax is: ban playername/ip\n", ""},
        {u"ban ivan", "", "ban ivan;kick 9"},
        {u"ban nobody", "Player not found.\n", ""},
        {u"unban", "Command syntax is: unban playername/ip\n", ""},
        {u"unban stranger", "Player not found.\n", "unban stranger"},
        {u"unban known", "", "unban known"},
        {u"op", "Command syntax is: op playername/ip\n", ""},
        {u"op nobody", "Player not found.\n", ""},
        {u"deop", "Command syntax is: deop playername/ip\n", ""},
        {u"balance", "", ""},
        {u"autobalance", "Command syntax is: autobalance 0/1\n", ""},
        {u"autobalance x", "", ""},
        {u"password", "Password removed.\n", "password "},
        {u"password s3cret", "Password changed.\n", "password s3cret"},
        {u"timelimit", "Command syntax is: timelimit value.\n", ""},
        {u"timelimit abc", "Time limit changed to 0\n", ""},
        {u"timelimit 99999999999", "Time limit changed to 2147483647\n", ""},
        {u"fraglimit", "Command syntax is: fraglimit value.\n", ""},
        {u"fraglimit 25", "Frag limit changed to 25\n", ""},
        {u"chat", "Command syntax is: chat message\n", ""},
        {u"chat   hello   there  all", "", "(Console) hello   there  all|-1"},
        {u"makedamage", "Command syntax is: makedamage value.\n", ""},
        {u"debug", "", ""},
        {u"debug nobody", "Player not found.\n", ""},
        {u"giveallammo", "", ""},
        {u"changemap", "", "start"},
        {u"frobnicate", "", ""},
        {u" help", "", ""},
        {u"", "", ""},
    };
    for (const Case& c : cases) {
        std::string calls;
        bool quit = true;
        EXPECT_EQ(Run(c.line, &calls, &quit), c.reply) << Util::Narrow(c.line);
        EXPECT_EQ(calls, c.calls) << Util::Narrow(c.line);
        EXPECT_FALSE(quit) << Util::Narrow(c.line);
    }
}

TEST_F(ConsoleCommand, SettingsFollowTheWords)
{
    IGameOptions& o = game_.Options();
    Run(u"gamemode koh");
    Run(u"lighting evening");
    EXPECT_EQ(o.GetServerMode() * 10 + o.GetServerLighting(), 21);
    Run(u"autobalance 0");
    EXPECT_FALSE(o.GetServerBalanced());
    Run(u"autobalance 1x");
    EXPECT_TRUE(o.GetServerBalanced());
    Run(u"password pw");
    EXPECT_TRUE(o.GetServerLocked() && Util::StrEqual(o.GetServerPassword(), u"pw"));
    Run(u"password");
    EXPECT_FALSE(o.GetServerLocked());
    o.AddOperator(u"Alice");
    o.AddOperator(u"Boris");
    Run(u"deop Alice");
    EXPECT_TRUE(!o.IsOperator(u"Alice") && o.IsOperator(u"Boris"));
}

TEST_F(ConsoleCommand, QuitInAnyCaseAndFailedLevelChangeIsReported)
{
    bool quit = false;
    Run(u"QuIt", nullptr, &quit);
    EXPECT_TRUE(quit);
    handler_.levelLoads = false;
    EXPECT_EQ(Run(u"changemap"), "Unable to load level.\n");
    EXPECT_TRUE(levelLost_) << "no server handler plays a level";
    // Without a writer (an operator's chat line) nothing is printed, but the
    // effects are the same.
    EXPECT_FALSE(ExecuteConsoleCommand(u"gamemode ctf", nullptr, &game_));
    EXPECT_EQ(game_.Options().GetServerMode(), 1);
    EXPECT_FALSE(ExecuteConsoleCommand(u"changemap", nullptr, &game_));
}

std::u16string Word(int max, const char16_t* line, int n, bool rest)
{
    char16_t out[1100];
    GetConsoleWord(max, line, n, out, rest);
    return out;
}

TEST(ConsoleWords, EdgeCases)
{
    EXPECT_EQ(Word(65, u" kick bob", 0, false), u"");
    EXPECT_EQ(Word(65, u" kick bob", 1, false), u"kick");
    EXPECT_EQ(Word(65, u"kick    bob   x", 1, false), u"bob");
    EXPECT_EQ(Word(65, u"kick    bob   x", 2, false), u"x");
    EXPECT_EQ(Word(65, u"kick    bob   x", 3, false), u"");
    EXPECT_EQ(Word(65, u"chat  a  b ", 1, true), u"a  b ");
    EXPECT_EQ(Word(4, u"kickban", 0, false), u"kic");
    std::u16string far = u"kick" + std::u16string(60, u' ') + u"bob";
    EXPECT_EQ(Word(65, far.c_str(), 1, false), u"b"); // starts at 64
    far = u"kick" + std::u16string(61, u' ') + u"bob";
    EXPECT_EQ(Word(65, far.c_str(), 1, false), u""); // starts at 65
    std::u16string longWord(300, u'w');
    EXPECT_EQ(Word(65, longWord.c_str(), 0, false), longWord.substr(0, 64));
    std::u16string blanks = u"a" + std::u16string(1500, u' ') + u"b";
    EXPECT_EQ(Word(1100, blanks.c_str(), 1, false), u"");
}

} // namespace
