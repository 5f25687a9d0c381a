// The updater the game starts after it has downloaded an update: it waits
// for the game to end, installs "game_new.data" as "game.data" and starts
// the game again.
//
// The command line is "<downloaded package>|<game folder>", then "--" and
// the arguments the game is started again with (those of its last start).
//
// Exit codes: 0 installed and the game started again; 1 the command line is
// not "<downloaded package>|<game folder>"; 2 the game did not end within
// the wait (VORNHAL_UPDATER_WAIT seconds, 60 unless set); 3 the update
// cannot be installed ("game.data" stays as it was); 4 installed, but the
// game could not be started again.

#include "outside/updater/Updater.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int Fail(int code, const std::string& why)
{
    std::fprintf(stderr, "updater: %s\n", why.c_str());
    return code;
}

int WaitSeconds()
{
    const char* text = std::getenv("VORNHAL_UPDATER_WAIT");
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 60;
}

} // namespace

int main(int argc, char** argv)
{
    const pid_t parent = getppid();
    // A path with blanks may reach us split into several arguments.
    std::string command;
    int i = 1;
    for (; i < argc && std::string(argv[i]) != "--"; ++i)
        command += (i > 1 ? " " : "") + std::string(argv[i]);
    const std::vector<std::string> gameArguments(argv + std::min(i + 1, argc), argv + argc);
    std::string package, folder, error;
    if (!Updater::ParseCommand(command, &package, &folder, &error))
        return Fail(1, error);
    Updater::RemoveDownloadFolder(package);
    if (!Updater::CheckFolder(folder, &error))
        return Fail(3, error);
    if (!Updater::WaitForParentExit(parent, folder, WaitSeconds()))
        return Fail(2, "the game (process " + std::to_string(parent) + ") did not end; nothing was installed");
    if (!Updater::Install(folder, &error))
        return Fail(3, error);
    if (!Updater::StartGame(folder, gameArguments, &error))
        return Fail(4, error + " (the update is installed)");
    return 0;
}
