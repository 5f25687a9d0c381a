// A player joins a password-protected dedicated server through the client's
// connect flow, fetches its copy of the level, plays it, stays through a level
// change and leaves from the exit question; a player hosts behind a password
// with a limit that leaves out its own player, and closes the window.
#include "../../../engine/web/StandIn.h"
#include "HeadlessGame.h"
#include "PlayRig.h"
#include "support/ChildProcess.h"

#include "engine/files/FileManager.h"
#include "engine/net/ClientManager.h"
#include "engine/net/ServerManager.h"
#include "engine/web/IPlayerScores.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/player/Player.h"
#include "platform/os/OsText.h"

#include <algorithm>

namespace {

using namespace PlayTest;
namespace fs = std::filesystem;

constexpr const char* kLevel = "levels/tdm_fetched.lvl";

// A client's game folder whose package holds the shipped data and, as
// kLevel, another level than the server's.
void PackClientData(const std::string& dir, const std::vector<uint8_t>& packedLevel)
{
    fs::create_directories(dir + "/levels");
    fs::copy_file(fs::path(VORNHAL_BUILD_DIR) / "game.opt", dir + "/game.opt");
    TestSupport::WriteAll(dir + "/" + kLevel, packedLevel);
    std::unique_ptr<FileManager> files;
    {
        TestSupport::ScopedChdir in(dir);
        files.reset(new FileManager());
    }
    files->BeginPackage(1);
    ASSERT_TRUE(files->AddPackageToPackage(Util::FromOs(VORNHAL_BUILD_DIR "/game.data").c_str()));
    files->AddFileToPackage(Util::FromOs(kLevel).c_str(), 0);
    ASSERT_TRUE(files->SavePackage(Util::FromOs(dir + "/game.data").c_str(), nullptr));
    fs::remove(dir + "/" + kLevel);
}

size_t CountFrom(const std::vector<std::string>& lines, size_t from, size_t to, const std::string& prefix)
{
    return size_t(std::count_if(lines.begin() + long(std::min(from, lines.size())),
                                lines.begin() + long(std::min(to, lines.size())),
                                [&](const std::string& l) { return l.compare(0, prefix.size(), prefix) == 0; }));
}

TEST(Play, JoinsWithThePasswordFetchesTheLevelOnceAndLeavesOnEscape)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no X display";
    TestSupport::TempDir serverDir, clientDir, scratch;
    const int port = TestSupport::LayOutGameFolder(serverDir.Path());
    TestSupport::SetGameOption(serverDir.Path(), "serverlocked", "true");
    TestSupport::SetGameOption(serverDir.Path(), "serverpassword", "secret");
    // The server plays a level that the client's package holds under the
    // same name with other contents.
    std::vector<uint8_t> level;
    {
        TestGame::HeadlessGame maker(scratch.Path());
        ASSERT_TRUE(maker.Ok());
        level = maker.MakeLevel("tdm_riotcity.lvl", 9000, 7);
    }
    ASSERT_FALSE(level.empty());
    TestSupport::WriteAll(serverDir.File(kLevel), level);
    TestSupport::SetGameOption(serverDir.Path(), "serverlevel", kLevel);
    TestSupport::SetGameOption(serverDir.Path(), "level", kLevel);
    TestSupport::ChildProcess server(VORNHAL_BUILD_DIR "/server", {}, serverDir.Path());
    ASSERT_TRUE(server.WaitFor("Playing level levels/tdm_fetched.lvl.", 30000)) << server.Output();
    ASSERT_NO_FATAL_FAILURE(PackClientData(clientDir.Path(), TestGame::HeadlessGame::ShippedLevel("tdm_riotcity.lvl")));
    ScreenGame rig;
    ScreenWatch::Path(); // named before the game's first line
    ASSERT_NO_FATAL_FAILURE(rig.Open(clientDir.Path(), true));
    GameSystem& state = rig.State();
    Util::StrCopy(state.connectAddress, 256, u"127.0.0.1");
    state.connectPort = port;
    state.runMode = 3;

    ScreenWatch watch;
    bool prompted = false, played = false, changed = false, asked = false, left = false;
    std::thread person([&] {
        prompted = watch.WaitFor("password", 20000);
        if (prompted)
            Type("secret\r");
        played = prompted && watch.WaitFor("playing", 60000);
        if (played)
            server.Type("changemap\n");
        changed = played && watch.WaitFor("playing", 60000);
        // A player without a team is shown the team menu; Finland it is.
        // Each key is held until the screen answers it.
        Hold(watch, SDLK_1, '1', "overlay: none");
        asked = Hold(watch, SDLK_ESCAPE, 27, "overlay: exit question");
        left = asked && Hold(watch, SDLK_y, 'y', "left");
        // A game stuck anywhere else is closed.
        SDL_Event quit = {};
        quit.type = SDL_QUIT;
        for (int i = 0; !left && i < 3; ++i, std::this_thread::sleep_for(std::chrono::seconds(1)))
            SDL_PushEvent(&quit);
    });
    rig.GetGame().Play();
    person.join();

    EXPECT_TRUE(prompted);
    EXPECT_TRUE(played);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(left);
    EXPECT_EQ(state.runMode, 0);
    const std::vector<std::string> lines = watch.Lines();
    const size_t firstPlay = size_t(std::find(lines.begin(), lines.end(), "playing") - lines.begin());
    std::string shown;
    for (const std::string& line : lines)
        shown += line + "\n";
    const auto firstLoading =
        std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.compare(0, 8, "loading:") == 0; });
    ASSERT_NE(firstLoading, lines.end());
    EXPECT_EQ(*firstLoading, "loading: Connecting...");
    // Refused without a password, asked once, let in with it.
    EXPECT_EQ(CountFrom(lines, 0, lines.size(), "loading: Enter password:"), 1u) << shown;
    EXPECT_EQ(CountFrom(lines, 0, lines.size(), "loading: Invalid password."), 0u) << shown;
    // The download's progress is on the loading screen before play; the
    // level change finds the fetched copy and fetches nothing.
    const std::string downloading = "loading: Downloading levels/tdm_fetched.lvl: ";
    EXPECT_GE(CountFrom(lines, 0, firstPlay, downloading), 1u) << shown;
    EXPECT_EQ(CountFrom(lines, firstPlay, lines.size(), downloading), 0u) << shown;
    EXPECT_GE(CountFrom(lines, firstPlay, lines.size(), "loading: Loading level..."), 1u) << shown;
    EXPECT_EQ(TestSupport::ReadAll(clientDir.File(kLevel)), level);
}

// A server that sends no levels plays one the client lacks and lets it go:
// the join ends on the loading screen, back at the server browser.
TEST(Play, ALevelTheServerWillNotSendEndsTheJoin)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no X display";
    TestSupport::TempDir serverDir, clientDir;
    const int port = TestSupport::LayOutGameFolder(serverDir.Path());
    fs::copy_file(serverDir.File("levels/tdm_riotcity.lvl"), serverDir.File(kLevel));
    TestSupport::SetGameOption(serverDir.Path(), "serveruploading", "false");
    TestSupport::SetGameOption(serverDir.Path(), "serverlevel", kLevel);
    TestSupport::SetGameOption(serverDir.Path(), "level", kLevel);
    TestSupport::ChildProcess server(VORNHAL_BUILD_DIR "/server", {}, serverDir.Path());
    ASSERT_TRUE(server.WaitFor("Playing level levels/tdm_fetched.lvl.", 30000)) << server.Output();
    TestSupport::LayOutGameFolder(clientDir.Path());
    ScreenGame rig;
    ScreenWatch::Path();
    ASSERT_NO_FATAL_FAILURE(rig.Open(clientDir.Path(), true));
    GameSystem& state = rig.State();
    Util::StrCopy(state.connectAddress, 256, u"127.0.0.1");
    state.connectPort = port;
    state.runMode = 3;
    ScreenWatch watch;
    rig.GetGame().Play();
    EXPECT_EQ(state.runMode, 0);
    std::string shown;
    for (const std::string& line : watch.Lines())
        shown += line + "\n";
    EXPECT_EQ(shown.find("playing"), std::string::npos) << shown;
    EXPECT_NE(shown.find("loading: Disconnected\n"), std::string::npos) << shown;
}

// A full server, then a wrong password: each refusal is shown with the
// server's reason and the player is back at the main menu.
TEST(Play, IsTurnedAwayWithTheServersReason)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no X display";
    TestSupport::TempDir serverDir;
    const int port = TestSupport::LayOutGameFolder(serverDir.Path());
    for (auto [key, value] : {std::pair<const char*, const char*>{"serverlocked", "true"},
                              {"serverpassword", "secret"},
                              {"servermaxplayers", "1"}})
        TestSupport::SetGameOption(serverDir.Path(), key, value);
    TestSupport::ChildProcess server(VORNHAL_BUILD_DIR "/server", {}, serverDir.Path());
    ASSERT_TRUE(server.WaitFor("Playing level", 30000)) << server.Output();
    ScreenGame rig;
    ScreenWatch::Path();
    ASSERT_NO_FATAL_FAILURE(rig.Open(VORNHAL_BUILD_DIR, true));
    GameSystem& state = rig.State();
    Util::StrCopy(state.connectAddress, 256, u"127.0.0.1");
    state.connectPort = port;
    auto attempt = [&](const std::string& password) {
        ScreenWatch watch;
        state.runMode = 3;
        std::thread person([&] {
            if (watch.WaitFor("password", 20000))
                Type(password + "\r");
        });
        rig.GetGame().Play();
        person.join();
        EXPECT_EQ(state.runMode, 0);
        return std::u16string(rig.GetGame().GetLoadingLine(4));
    };
    {
        MPAPI::ClientManager occupant;
        ASSERT_NE(occupant.Connect(u"127.0.0.1", port, u"secret"), nullptr);
        EXPECT_EQ(attempt("secret"), u"Server is full.");
    }
    EXPECT_EQ(attempt("wrong"), u"Invalid password.");
}

TEST(Play, HostsBehindItsPasswordWithoutCountingItsOwnPlayerAndLeavesWhenClosed)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no X display";
    TestSupport::TempDir dir;
    const int port = TestSupport::LayOutGameFolder(dir.Path());
    for (auto [key, value] : {std::pair<std::string, std::string>{"servermaxplayers", "3"},
                              {"serverlocked", "true"},
                              {"serverpassword", "pw"},
                              {"serverInfoFile", dir.File("status.xml")}})
        TestSupport::SetGameOption(dir.Path(), key, value);
    ScreenGame rig;
    ScreenWatch::Path();
    ASSERT_NO_FATAL_FAILURE(rig.Open(dir.Path(), true));
    GameSystem& state = rig.State();
    state.runMode = 4;
    // The host is logged in under an operator's account.
    StandIn master({}, [](StandInState& s) { StandIn::AddAccount(s, "boss", "pw", "Boss", "uid-boss", 77); });
    ASSERT_TRUE(master.Running());
    rig.GetEngine().SetMasterServer(master.Host().c_str());
    int login = 0;
    ASSERT_TRUE(rig.GetEngine().Login(u"boss", u"pw", &login));
    GameOptions& options = state.Options();
    options.SetPlayerName(u"Boss");
    options.AddOperator(u"Boss");
    options.SetOperatorAccount(0, 77);
    // A view zoomed out eases back to normal while playing.
    state.viewScale = 2.0f;

    // Three places, one the host's: two players come in, the third is
    // turned away; without the password nobody is let in. The server
    // says so in its status file.
    ScreenWatch watch;
    std::vector<int> statuses;
    std::string status;
    std::thread person([&] {
        if (watch.WaitFor("playing", 60000)) {
            MPAPI::ClientManager first, second, third;
            for (auto [client, password] : {std::pair<MPAPI::ClientManager*, const char16_t*>{&first, nullptr},
                                            {&first, u"pw"},
                                            {&second, u"pw"},
                                            {&third, u"pw"}}) {
                client->Connect(u"127.0.0.1", port, password);
                statuses.push_back(client->GetStatus());
            }
            for (int i = 0; i < 500 && (status.empty() || state.viewScale != 1.0f); ++i) {
                status = TestSupport::ReadText(dir.File("status.xml"));
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            // Once the account is confirmed, the host's "!" line is a command.
            ServerHandler* server = rig.GetGame().GetServerHandler();
            auto confirmed = [&] {
                Player* own = server->GetOwnPlayer();
                return own && own->GetScores() && own->GetScores()->GetAccountId() == 77;
            };
            for (int i = 0; i < 500 && !confirmed(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (Hold(watch, SDLK_1, '1', "overlay: none") && Hold(watch, SDLK_t, 't', "overlay: chat")) {
                Type("!fraglimit 9\r");
                // The command runs at the end of the frame that took the line.
                for (int i = 0; i < 500 && options.GetServerFragLimit() != 9; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        SDL_Event quit = {};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    });
    rig.GetGame().Play();
    person.join();
    EXPECT_EQ(statuses, (std::vector<int>{MPAPI::IClient::kStatusWrongPassword, MPAPI::IClient::kStatusConnected,
                                          MPAPI::IClient::kStatusConnected, MPAPI::IClient::kStatusFull}));
    EXPECT_NE(status.find("<name>Vornhal server</name>\n\t<level>Riot City</level>"), std::string::npos) << status;
    EXPECT_NE(status.find("<maxPlayers>3</maxPlayers>"), std::string::npos) << status;
    EXPECT_EQ(state.viewScale, 1.0f);
    EXPECT_EQ(options.GetServerFragLimit(), 9);
    EXPECT_EQ(state.runMode, 0);
    EXPECT_EQ(rig.GetGame().GetServerHandler()->GetServer(), nullptr);
    EXPECT_TRUE(watch.WaitFor("left", 0));
    // What the launcher's options dialog changes is written back.
    options.SetServerTimeLimit(13);
    EXPECT_TRUE(rig.GetGame().SaveOptions());
    EXPECT_NE(TestSupport::ReadText(dir.File("game.opt")).find("<servertimelimit>13</servertimelimit>"),
              std::string::npos);

    // The settings' bans hold from the start.
    options.AddBan(u"Local", 0x0100007F);
    options.AddBan(u"Far", 0x0302010A);
    state.runMode = 4;
    int banned = -1;
    std::thread stranger([&] {
        if (watch.WaitFor("playing", 60000)) {
            MPAPI::ClientManager client;
            MPAPI::IConnection* in = client.Connect(u"127.0.0.1", port, u"pw");
            banned = in ? -2 : client.GetStatus();
        }
        SDL_Event quit = {};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    });
    rig.GetGame().Play();
    stranger.join();
    EXPECT_EQ(banned, MPAPI::IClient::kStatusBanned);

    // A port already taken sends the host back to its form.
    MPAPI::ServerManager holder;
    ASSERT_TRUE(holder.Listen(port));
    state.runMode = 4;
    rig.GetGame().Play();
    EXPECT_EQ(state.runMode, 1);
    EXPECT_EQ(std::u16string(rig.GetGame().GetLoadingLine(4)), Util::Format(u"Unable to listen UDP port %d", port));
}

} // namespace
