#include "platform/net/Net.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <cstring>

namespace Net {

static std::atomic<bool> g_started{false};

bool Startup()
{
    if (!g_started.exchange(true))
        signal(SIGPIPE, SIG_IGN); // a write to a closed peer must not end the process
    return true;
}

bool IsStarted() { return g_started.load(); }

uint32_t ParseDotted(const char* text)
{
    if (!text)
        return kNoAddress;
    in_addr a;
    if (inet_aton(text, &a) == 0)
        return kNoAddress;
    return a.s_addr;
}

uint32_t Resolve(const char* host)
{
    if (!host || !*host)
        return 0;
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* res = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &res) != 0 || !res)
        return 0;
    uint32_t ip = 0;
    for (addrinfo* p = res; p; p = p->ai_next) {
        if (p->ai_family == AF_INET && p->ai_addr) {
            ip = reinterpret_cast<sockaddr_in*>(p->ai_addr)->sin_addr.s_addr;
            break;
        }
    }
    freeaddrinfo(res);
    return ip;
}

} // namespace Net
