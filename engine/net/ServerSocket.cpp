#include "engine/net/ServerSocket.h"

#include "platform/net/Net.h"

namespace MPAPI {

ServerSocket::ServerSocket() = default;

ServerSocket::~ServerSocket() = default;

bool ServerSocket::Open(int port)
{
    if (!Net::IsStarted() && !Net::Startup())
        return false;
    if (!udp_.Open())
        return false;
    if (!udp_.Bind(0, port)) {
        udp_.Close();
        return false;
    }
    return true;
}

bool ServerSocket::Send(const void*, int) { return false; }

int ServerSocket::Receive(void* buffer, int size, uint32_t* ip, int* port)
{
    uint32_t fromIp = 0;
    int fromPort = 0;
    int n = Socket::Receive(buffer, size, &fromIp, &fromPort);
    if (n > 0) {
        lastAddress_ = fromIp;
        lastPort_ = fromPort;
        if (ip)
            *ip = fromIp;
        if (port)
            *port = fromPort;
    }
    return n;
}

} // namespace MPAPI
