#pragma once

#include "../../engine/net/LossyRelay.h"
#include "../../engine/web/StandIn.h"
#include "support/ChildProcess.h"

#include <memory>
#include <string>
#include <vector>

// The real dedicated server in a game folder of its own, announcing to the
// stand-in master, with headless players (each a process of its own) joining
// through lossy relays.
class MatchRig {
public:
    struct Account {
        std::string user, nick;
        int id;
    };
    // levels: "levels/<name>" files of the match folder, the first played
    // first; mode 0 team deathmatch, 1 capture the flag, 2 king of the hill.
    MatchRig(int mode, const std::vector<std::string>& levels, const std::vector<Account>& accounts);

    void SetOption(const std::string& key, const std::string& value);
    bool StartServer();
    // A player through its own relay; withLevels gives it the match's levels
    // beforehand, else it downloads them. role: "--fight" plays the mode,
    // "--chase" walks at the enemy without firing, "" stands where it
    // spawns.
    TestSupport::ChildProcess& AddPlayer(const Account& who, int team, bool withLevels, const std::string& role);

    TestSupport::ChildProcess& Server() { return *server_; }
    StandIn& Master() { return master_; }
    std::string PlayerFile(size_t player, const std::string& relative) const;

    // The folder's levels, written from the shipped ones without doors.
    static std::vector<uint8_t> OpenLevel(const std::string& shipped);

private:
    StandIn master_;
    TestSupport::TempDir dir_;
    int port_ = 0;
    int mode_ = 0;
    std::vector<std::string> levels_;
    std::vector<std::vector<uint8_t>> levelBytes_;
    std::unique_ptr<TestSupport::ChildProcess> server_;
    std::vector<std::unique_ptr<NetTest::LossyRelay>> relays_;
    std::vector<std::unique_ptr<TestSupport::ChildProcess>> players_;
};
