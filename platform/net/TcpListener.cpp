#include "platform/net/TcpListener.h"

#include "platform/net/Net.h"
#include "platform/net/TcpSocket.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Net {

TcpListener::~TcpListener() { Close(); }

void TcpListener::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool TcpListener::Listen(uint32_t ip, int port)
{
    Close();
    Startup();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return false;
    int one = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = ip;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 16) != 0) {
        Close();
        return false;
    }
    return true;
}

int TcpListener::GetLocalPort() const
{
    if (fd_ < 0)
        return 0;
    sockaddr_in a;
    socklen_t len = sizeof a;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return 0;
    return ntohs(a.sin_port);
}

TcpSocket* TcpListener::Accept(int timeoutMs)
{
    if (fd_ < 0)
        return nullptr;
    pollfd p;
    p.fd = fd_;
    p.events = POLLIN;
    p.revents = 0;
    int r;
    do {
        r = ::poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r <= 0)
        return nullptr;
    int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return nullptr;
    return new TcpSocket(fd);
}

} // namespace Net
