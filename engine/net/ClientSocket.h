#pragma once

#include "engine/net/Socket.h"

namespace MPAPI {

// The client's socket: it sends to the one server it was opened on.
class ClientSocket : public Socket {
public:
    // Host texts are narrowed into a buffer of this size, terminator included.
    static constexpr int kHostBuffer = 512;

    ClientSocket();
    ~ClientSocket() override;

    // A dotted IPv4 address, else the first address of a name lookup. False
    // when the host is empty, too long, cannot be resolved, or the socket
    // cannot be made.
    bool Open(const char16_t* host, int port);

    bool Send(const void* data, int length) override;

    uint32_t GetServerAddress() const { return serverAddress_; }
    int GetServerPort() const { return serverPort_; }

private:
    uint32_t serverAddress_ = 0;
    int serverPort_ = 0;
};

} // namespace MPAPI
