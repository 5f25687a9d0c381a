#pragma once

#include "engine/net/Socket.h"

namespace MPAPI {

// The server's socket: bound to every local interface at its port, it
// answers whoever sent.
class ServerSocket : public Socket {
public:
    ServerSocket();
    ~ServerSocket() override;

    // Port 0 lets the system choose (GetLocalPort tells which).
    bool Open(int port);

    bool Send(const void* data, int length) override;
    int Receive(void* buffer, int size, uint32_t* ip, int* port) override;

    uint32_t GetLastAddress() const { return lastAddress_; }
    int GetLastPort() const { return lastPort_; }

private:
    uint32_t lastAddress_ = 0;
    int lastPort_ = 0;
};

} // namespace MPAPI
