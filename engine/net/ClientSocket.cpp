#include "engine/net/ClientSocket.h"

#include "platform/net/Net.h"

namespace MPAPI {

ClientSocket::ClientSocket() = default;

ClientSocket::~ClientSocket() = default;

bool ClientSocket::Open(const char16_t* host, int port)
{
    if (!host || port < 0 || port > 0xFFFF)
        return false;
    char name[kHostBuffer];
    int n = 0;
    for (; host[n]; ++n) {
        if (n >= kHostBuffer - 1)
            return false; // would not fit the buffer
        name[n] = char(host[n] & 0xFF);
    }
    name[n] = 0;
    if (!Net::IsStarted() && !Net::Startup())
        return false;
    uint32_t ip = Net::ParseDotted(name);
    if (ip == Net::kNoAddress)
        ip = Net::Resolve(name);
    if (ip == 0)
        return false;
    // Bound at once, so the receive thread has a socket to wait on before the
    // first send.
    if (!udp_.Open() || !udp_.Bind(0, 0)) {
        udp_.Close();
        return false;
    }
    serverAddress_ = ip;
    serverPort_ = port;
    return true;
}

bool ClientSocket::Send(const void* data, int length)
{
    udp_.SendTo(data, length, serverAddress_, serverPort_);
    if (length > 0)
        bytesSent_ += length;
    return true;
}

} // namespace MPAPI
