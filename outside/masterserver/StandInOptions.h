#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The stand-in's command line:
//   masterserver --state FILE [--files DIR] [--port N] [--server-timeout SECONDS]
//                [--add-account USER PASSWORD NICK UID]... [--accounts FILE]
// The accounts file holds more accounts to make, one a line: user name,
// password, nick and uid separated by tabs. It is read at the start and
// again whenever someone logs in or a game server looks a player up, so
// accounts can be added while the service runs.
struct StandInOptions {
    struct NewAccount {
        std::string user, password, nick, uid;
    };
    std::string statePath;
    std::string filesDir;
    std::string accountsPath;
    int port = 0;
    int64_t serverTimeout = 180;
    std::vector<NewAccount> accounts;
};

// False with the reason when the line is not one of the above.
bool ParseStandInArguments(const std::vector<std::string>& args, StandInOptions* out, std::string* error);
extern const char* const kStandInUsage;

class StandInState;
// Loads the state file and makes the accounts of the command line and of
// the accounts file (saved at once); false with the reason when either fails.
bool PrepareStandInState(const StandInOptions& options, StandInState* state, std::string* error);
// Makes or changes the accounts the file lists (a missing file lists
// none); true when the state changed.
bool ApplyAccountsFile(const std::string& path, StandInState* state);
