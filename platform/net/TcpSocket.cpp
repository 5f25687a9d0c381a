#include "platform/net/TcpSocket.h"

#include "platform/net/Net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace Net {

namespace {

// Waits for the events on fd; 1 ready, 0 time-out, -1 error. Interrupted
// waits go on with the time that is left.
int WaitFor(int fd, short events, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
        if (left < 0)
            left = 0;
        pollfd p;
        p.fd = fd;
        p.events = events;
        p.revents = 0;
        int r = ::poll(&p, 1, left);
        if (r > 0)
            return 1;
        if (r == 0)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

} // namespace

TcpSocket::~TcpSocket() { Close(); }

void TcpSocket::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool TcpSocket::Connect(const char* host, int port, int timeoutMs)
{
    if (!host || !*host)
        return false;
    uint32_t ip = Resolve(host);
    if (ip == 0) {
        ip = ParseDotted(host);
        if (ip == kNoAddress)
            return false;
    }
    return ConnectTo(ip, port, timeoutMs);
}

bool TcpSocket::ConnectTo(uint32_t ip, int port, int timeoutMs)
{
    Close();
    if (port <= 0 || port > 65535)
        return false;
    Startup();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return false;
    int flags = ::fcntl(fd_, F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) < 0) {
        Close();
        return false;
    }
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = ip;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        if (errno != EINPROGRESS || WaitFor(fd_, POLLOUT, timeoutMs) != 1) {
            Close();
            return false;
        }
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
            Close();
            return false;
        }
    }
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return true;
}

bool TcpSocket::SendAll(const void* data, int length, int timeoutMs)
{
    if (fd_ < 0 || length < 0 || (length > 0 && !data))
        return false;
    const char* p = static_cast<const char*>(data);
    int left = length;
    while (left > 0) {
        ssize_t n = ::send(fd_, p, size_t(left), MSG_NOSIGNAL);
        if (n > 0) {
            p += n;
            left -= int(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (WaitFor(fd_, POLLOUT, timeoutMs) != 1)
                return false;
            continue;
        }
        return false;
    }
    return true;
}

int TcpSocket::Receive(void* buffer, int size, int timeoutMs)
{
    if (fd_ < 0 || size <= 0 || !buffer)
        return kError;
    for (;;) {
        ssize_t n = ::recv(fd_, buffer, size_t(size), 0);
        if (n > 0)
            return int(n);
        if (n == 0)
            return kClosed;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return kError;
        int w = WaitFor(fd_, POLLIN, timeoutMs);
        if (w == 0)
            return kTimedOut;
        if (w < 0)
            return kError;
    }
}

void TcpSocket::ShutdownSend()
{
    if (fd_ >= 0)
        ::shutdown(fd_, SHUT_WR);
}

} // namespace Net
