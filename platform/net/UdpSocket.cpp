#include "platform/net/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Net {

static sockaddr_in MakeAddress(uint32_t ip, int port)
{
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = ip;
    a.sin_port = htons(uint16_t(port));
    return a;
}

UdpSocket::UdpSocket() = default;

UdpSocket::~UdpSocket() { Close(); }

bool UdpSocket::Open()
{
    Close();
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd_ < 0)
        return false;
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        Close();
        return false;
    }
    return true;
}

bool UdpSocket::Bind(uint32_t ip, int port)
{
    if (fd_ < 0 || port < 0 || port > 0xFFFF)
        return false;
    sockaddr_in a = MakeAddress(ip, port);
    return bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
}

void UdpSocket::Close()
{
    if (fd_ >= 0)
        close(fd_);
    if (wakeFd_ >= 0)
        close(wakeFd_);
    fd_ = -1;
    wakeFd_ = -1;
}

int UdpSocket::SendTo(const void* data, int length, uint32_t ip, int port)
{
    if (fd_ < 0 || length < 0 || (!data && length > 0))
        return -1;
    sockaddr_in a = MakeAddress(ip, port);
    ssize_t n = sendto(fd_, data, size_t(length), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&a), sizeof a);
    return n < 0 ? -1 : int(n);
}

int UdpSocket::SendBatch(const Datagram* datagrams, int count)
{
    if (fd_ < 0 || !datagrams || count <= 0)
        return 0;
    constexpr int kChunk = 64;
    mmsghdr messages[kChunk];
    iovec parts[kChunk];
    sockaddr_in addresses[kChunk];
    int sent = 0;
    for (int base = 0; base < count; base += kChunk) {
        int n = 0;
        for (int i = base; i < count && n < kChunk; ++i) {
            const Datagram& d = datagrams[i];
            if (d.length < 0 || (!d.data && d.length > 0))
                continue;
            addresses[n] = MakeAddress(d.ip, d.port);
            parts[n].iov_base = const_cast<void*>(d.data);
            parts[n].iov_len = size_t(d.length);
            std::memset(&messages[n], 0, sizeof messages[n]);
            messages[n].msg_hdr.msg_name = &addresses[n];
            messages[n].msg_hdr.msg_namelen = sizeof addresses[n];
            messages[n].msg_hdr.msg_iov = &parts[n];
            messages[n].msg_hdr.msg_iovlen = 1;
            ++n;
        }
        int at = 0;
        while (at < n) {
            int r = sendmmsg(fd_, messages + at, unsigned(n - at), MSG_NOSIGNAL);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0) {
                ++at; // the first one failed: the rest still go
                continue;
            }
            at += r;
            sent += r;
        }
    }
    return sent;
}

int UdpSocket::Wait(int timeoutMs)
{
    if (fd_ < 0)
        return -1;
    pollfd fds[2];
    fds[0].fd = fd_;
    fds[0].events = POLLIN;
    fds[0].revents = 0;
    fds[1].fd = wakeFd_;
    fds[1].events = POLLIN;
    fds[1].revents = 0;
    int r = poll(fds, 2, timeoutMs);
    if (r < 0)
        return errno == EINTR ? 0 : -1;
    if (fds[1].revents & POLLIN)
        return 0;
    if (fds[0].revents & POLLIN)
        return 1;
    return (fds[0].revents & (POLLERR | POLLNVAL)) ? -1 : 0;
}

int UdpSocket::ReceiveFrom(void* buffer, int size, uint32_t* ip, int* port)
{
    if (fd_ < 0 || size < 0 || (!buffer && size > 0))
        return -1;
    sockaddr_in from;
    socklen_t fromLength = sizeof from;
    std::memset(&from, 0, sizeof from);
    // MSG_TRUNC reports the real length, so an oversize datagram is seen.
    ssize_t n =
        recvfrom(fd_, buffer, size_t(size), MSG_TRUNC | MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK ? kNothingWaiting : -1;
    if (ip)
        *ip = from.sin_addr.s_addr;
    if (port)
        *port = ntohs(from.sin_port);
    return int(n);
}

void UdpSocket::Wake()
{
    if (wakeFd_ < 0)
        return;
    uint64_t one = 1;
    ssize_t n = write(wakeFd_, &one, sizeof one);
    (void)n;
}

void UdpSocket::ClearWake()
{
    if (wakeFd_ < 0)
        return;
    uint64_t value;
    ssize_t n = read(wakeFd_, &value, sizeof value);
    (void)n;
}

int UdpSocket::GetLocalPort() const
{
    if (fd_ < 0)
        return 0;
    sockaddr_in a;
    socklen_t length = sizeof a;
    if (getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length) != 0)
        return 0;
    return ntohs(a.sin_port);
}

} // namespace Net
