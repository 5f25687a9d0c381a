// Stand-in master server and update service for tests and local play.
//   masterserver --state FILE [--files DIR] [--port N]
// Listens on 127.0.0.1 (port 0: the system picks one), prints "port N" and
// serves until SIGTERM or SIGINT.

#include "StandInServer.h"
#include "StandInState.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

int Usage()
{
    std::fprintf(stderr, "usage: masterserver --state FILE [--files DIR] [--port N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string statePath, filesDir;
    int port = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc)
            return Usage();
        if (a == "--state")
            statePath = argv[++i];
        else if (a == "--files")
            filesDir = argv[++i];
        else if (a == "--port")
            port = std::atoi(argv[++i]);
        else
            return Usage();
    }
    if (statePath.empty())
        return Usage();

    StandInState state(statePath);
    if (!state.Load()) {
        std::fprintf(stderr, "masterserver: cannot read %s\n", statePath.c_str());
        return 1;
    }
    StandInServer server(&state, filesDir);

    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 64) != 0) {
        std::fprintf(stderr, "masterserver: cannot listen on port %d\n", port);
        return 1;
    }
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    std::printf("port %d\n", ntohs(a.sin_port));
    std::fflush(stdout);

    while (!g_stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        sockaddr_in peer;
        socklen_t peerLen = sizeof peer;
        int client = ::accept4(fd, reinterpret_cast<sockaddr*>(&peer), &peerLen, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        char ip[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &peer.sin_addr, ip, sizeof ip);
        server.Serve(client, ip);
        ::shutdown(client, SHUT_WR);
        ::close(client);
    }
    ::close(fd);
    return 0;
}
