#include "MatchRig.h"

#include "HeadlessGame.h"
#include "support/GameFolder.h"

#include <filesystem>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

std::vector<uint8_t> MatchRig::OpenLevel(const std::string& shipped)
{
    // The game state is process-wide: one at a time, gone before the match.
    TestSupport::TempDir scratch;
    TestGame::HeadlessGame game(scratch.Path());
    return game.Ok() ? game.WithoutDoors(shipped) : std::vector<uint8_t>();
}

MatchRig::MatchRig(int mode, const std::vector<std::string>& levels, const std::vector<Account>& accounts)
    : master_({},
              [&](StandInState& s) {
                  for (const Account& a : accounts)
                      StandIn::AddAccount(s, a.user, "pw", a.nick, "uid-" + a.user, a.id);
              }),
      mode_(mode), levels_(levels)
{
    const fs::path build = VORNHAL_BUILD_DIR;
    const fs::path folder = dir_.File("server");
    fs::create_directories(folder / "levels");
    fs::copy_file(build / "game.data", folder / "game.data");
    fs::copy_file(build / "game.opt", folder / "game.opt");
    // Each level of the cycle under its own name: a level change is seen.
    std::string cycle;
    for (size_t i = 0; i < levels.size(); ++i) {
        static const char* shipped[] = {"tdm_riotcity.lvl", "ctf_harbour.lvl", "koh_quarry.lvl"};
        levelBytes_.push_back(OpenLevel(shipped[mode]));
        TestSupport::WriteAll((folder / "levels" / levels[i]).string(), levelBytes_.back());
        cycle += "<level>levels/" + levels[i] + "</level>";
    }
    port_ = TestSupport::FreeUdpPort();
    SetOption("serverport", std::to_string(port_));
    SetOption("masterserver", "127.0.0.1:" + std::to_string(master_.Port()));
    SetOption("servermode", std::to_string(mode));
    SetOption("serverlevel", "levels/" + levels.front());
    std::string text = TestSupport::ReadText((folder / "game.opt").string());
    text = std::regex_replace(text, std::regex("<mapcycle mode=\"" + std::to_string(mode) + "\">[^]*?</mapcycle>"),
                              "<mapcycle mode=\"" + std::to_string(mode) + "\">" + cycle + "</mapcycle>");
    std::ofstream((folder / "game.opt").string()) << text;
}

void MatchRig::SetOption(const std::string& key, const std::string& value)
{
    TestSupport::SetGameOption(dir_.File("server"), key, value);
}

bool MatchRig::StartServer()
{
    server_ = std::make_unique<TestSupport::ChildProcess>(std::string(VORNHAL_BUILD_DIR) + "/server",
                                                          std::vector<std::string>{}, dir_.File("server"));
    return server_->Started() && server_->WaitFor("Playing level levels/" + levels_.front() + ".", 30000);
}

TestSupport::ChildProcess& MatchRig::AddPlayer(const Account& who, int team, bool withLevels, const std::string& role)
{
    NetTest::LossProfile loss;
    loss.loss = 0.1, loss.duplicate = 0.05, loss.reorder = 0.05, loss.maxDelay = 20;
    relays_.push_back(std::make_unique<NetTest::LossyRelay>(port_, loss, uint32_t(players_.size() + 1)));
    // A late copy of the connect request closes the link it opened (the
    // server takes it for a client that started over): the handshake
    // passes clean, the loss starts after it.
    relays_.back()->PassFirst(3);
    const std::string folder = dir_.File("player" + std::to_string(players_.size()));
    fs::create_directories(folder + "/levels");
    if (withLevels)
        for (size_t i = 0; i < levels_.size(); ++i)
            TestSupport::WriteAll(folder + "/levels/" + levels_[i], levelBytes_[i]);
    std::vector<std::string> args = {"--port",
                                     std::to_string(relays_.back()->GetPort()),
                                     "--name",
                                     who.nick,
                                     "--team",
                                     std::to_string(team),
                                     "--trace",
                                     "--login",
                                     who.user,
                                     "pw",
                                     "127.0.0.1:" + std::to_string(master_.Port())};
    if (!role.empty())
        args.push_back(role);
    players_.push_back(std::make_unique<TestSupport::ChildProcess>(
        std::string(VORNHAL_BUILD_DIR) + "/tests/headless_player", args, folder));
    return *players_.back();
}

std::string MatchRig::PlayerFile(size_t player, const std::string& relative) const
{
    return dir_.File("player" + std::to_string(player) + "/" + relative);
}
