#include "engine/net/Socket.h"

namespace MPAPI {

Socket::Socket() = default;

Socket::~Socket() = default; // the UDP socket closes itself

int Socket::SendTo(const void* data, int length, uint32_t ip, int port)
{
    int sent = udp_.SendTo(data, length, ip, port);
    if (length > 0)
        bytesSent_ += length;
    return sent;
}

int Socket::Receive(void* buffer, int size, uint32_t* ip, int* port)
{
    took_ = false;
    if (!udp_.IsOpen() || size <= 0)
        return 0;
    if (udp_.Wait(kReceiveWaitMs) != 1)
        return 0;
    uint32_t fromIp = 0;
    int fromPort = 0;
    int n = udp_.ReceiveFrom(buffer, size, &fromIp, &fromPort);
    took_ = n >= 0;
    if (n <= 0 || n > size)
        return 0;
    bytesReceived_ += n;
    if (ip)
        *ip = fromIp;
    if (port)
        *port = fromPort;
    return n;
}

} // namespace MPAPI
