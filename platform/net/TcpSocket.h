#pragma once

#include <cstdint>

namespace Net {

// One IPv4 stream socket over BSD sockets with time-outs on connect and on
// every wait for data, so a peer that stops answering cannot hold its
// caller. Addresses are in network byte order, ports in host order.
class TcpSocket {
public:
    TcpSocket() = default;
    explicit TcpSocket(int fd) : fd_(fd) {}
    ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // Name lookup first, then the dotted form; false on any failure or when
    // the connection is not made within timeoutMs.
    bool Connect(const char* host, int port, int timeoutMs);
    bool ConnectTo(uint32_t ip, int port, int timeoutMs);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Sends every byte or fails; a peer that takes nothing for timeoutMs
    // fails the send.
    bool SendAll(const void* data, int length, int timeoutMs);

    enum : int { kClosed = 0, kError = -1, kTimedOut = -2 };
    // Bytes received (> 0), kClosed when the peer ended the stream, kError,
    // or kTimedOut when nothing came within timeoutMs.
    int Receive(void* buffer, int size, int timeoutMs);

    // Ends the sending direction; the peer reads the end of the stream.
    void ShutdownSend();

private:
    int fd_ = -1;
};

} // namespace Net
