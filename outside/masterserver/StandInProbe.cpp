#include "StandInProbe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

std::vector<bool> FindRefusingServers(const std::vector<std::pair<std::string, int>>& addresses, int waitMs)
{
    const size_t n = addresses.size();
    std::vector<bool> refused(n, false);
    std::vector<int> fds(n, -1);
    for (size_t i = 0; i < n; ++i) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(addresses[i].second));
        if (inet_pton(AF_INET, addresses[i].first.c_str(), &a.sin_addr) != 1)
            continue;
        int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            continue;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::send(fd, "", 0, 0) < 0) {
            refused[i] = errno == ECONNREFUSED;
            ::close(fd);
            continue;
        }
        fds[i] = fd;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        std::vector<pollfd> waiting;
        std::vector<size_t> which;
        for (size_t i = 0; i < n; ++i)
            if (fds[i] >= 0) {
                waiting.push_back({fds[i], POLLIN, 0});
                which.push_back(i);
            }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (waiting.empty() || left <= 0 || ::poll(waiting.data(), waiting.size(), int(left)) <= 0)
            break;
        for (size_t k = 0; k < waiting.size(); ++k) {
            if (!waiting[k].revents)
                continue;
            const size_t i = which[k];
            char byte;
            refused[i] = ::recv(fds[i], &byte, 1, MSG_DONTWAIT) < 0 && errno == ECONNREFUSED;
            ::close(fds[i]);
            fds[i] = -1;
        }
    }
    for (int fd : fds)
        if (fd >= 0)
            ::close(fd);
    return refused;
}
