// Stand-in master server and update service for tests and local play.
// Listens on 127.0.0.1 (port 0: the system picks one), prints "port N" and
// serves until SIGTERM or SIGINT. See StandInOptions.h for the options.

#include "StandInOptions.h"
#include "StandInServer.h"
#include "StandInService.h"
#include "StandInState.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

} // namespace

int main(int argc, char** argv)
{
    StandInOptions options;
    std::string error;
    if (!ParseStandInArguments(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
        std::fprintf(stderr, "masterserver: %s\n%s", error.c_str(), kStandInUsage);
        return 2;
    }

    StandInState state(options.statePath);
    if (!PrepareStandInState(options, &state, &error)) {
        std::fprintf(stderr, "masterserver: %s\n", error.c_str());
        return 1;
    }
    StandInServer server(&state, options.filesDir);
    server.SetServerTimeout(options.serverTimeout);
    server.SetAccountsFile(options.accountsPath);
    // Servers of an earlier run that are gone are not listed again.
    server.DropDeadServers();

    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    StandInService service(&server);
    if (!service.Start(options.port)) {
        std::fprintf(stderr, "masterserver: cannot listen on port %d\n", options.port);
        return 1;
    }
    std::printf("port %d\n", service.Port());
    std::fflush(stdout);
    while (!g_stop)
        ::usleep(100 * 1000);
    service.Stop();
    return 0;
}
