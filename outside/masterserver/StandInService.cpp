#include "StandInService.h"

#include "StandInServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

StandInService::~StandInService() { Stop(); }

bool StandInService::Start(int port)
{
    if (listenFd_ >= 0 || port < 0 || port > 65535)
        return false;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    port_ = ntohs(a.sin_port);
    stop_ = false;
    acceptThread_ = std::thread(&StandInService::AcceptLoop, this);
    return true;
}

void StandInService::Stop()
{
    stop_ = true;
    if (acceptThread_.joinable())
        acceptThread_.join();
    if (listenFd_ >= 0)
        ::close(listenFd_);
    listenFd_ = -1;
    {
        // Wakes every connection still waiting for its peer.
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& c : connections_)
            if (!c->done)
                ::shutdown(c->fd, SHUT_RDWR);
    }
    Reap(true);
}

void StandInService::Reap(bool all)
{
    std::list<std::unique_ptr<Connection>> finished;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = connections_.begin(); it != connections_.end();) {
            if (all || (*it)->done) {
                finished.push_back(std::move(*it));
                it = connections_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& c : finished) {
        c->thread.join();
        ::close(c->fd);
    }
}

void StandInService::AcceptLoop()
{
    while (!stop_) {
        Reap(false);
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        sockaddr_in peer;
        socklen_t peerLen = sizeof peer;
        int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &peerLen, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard<std::mutex> lock(mutex_);
        if (connections_.size() >= size_t(kMaxConnections)) {
            ::close(fd); // too many at once: this one is refused, the others go on
            continue;
        }
        char ip[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &peer.sin_addr, ip, sizeof ip);
        connections_.emplace_back(new Connection());
        Connection* c = connections_.back().get();
        c->fd = fd;
        c->thread = std::thread([this, c, peerIp = std::string(ip)] {
            server_->Serve(c->fd, peerIp);
            ::shutdown(c->fd, SHUT_WR);
            c->done = true;
        });
    }
}
