#pragma once

#include <cstdint>

namespace Net {

class TcpSocket;

// A listening IPv4 stream socket, for local services and test peers.
class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // ip in network byte order (0 every interface); port 0 lets the system
    // choose.
    bool Listen(uint32_t ip, int port);
    void Close();
    int GetLocalPort() const;

    // A new connection, or null when none came within timeoutMs.
    TcpSocket* Accept(int timeoutMs);

private:
    int fd_ = -1;
};

} // namespace Net
