#pragma once

#include <cstdint>

namespace Net {

// One IPv4 datagram socket over BSD sockets. Addresses are in network byte
// order, ports in host order. A waiter can be woken from another thread, so
// an owner never has to sit out a whole time-out to stop its reader.
class UdpSocket {
public:
    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool Open();
    // ip 0 is every local interface; port 0 lets the system choose.
    bool Bind(uint32_t ip, int port);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // What sendto returns: the bytes sent, or -1.
    int SendTo(const void* data, int length, uint32_t ip, int port);

    struct Datagram {
        const void* data;
        int length;
        uint32_t ip;
        int port;
    };
    // Sends many datagrams with few system calls; one that fails is
    // skipped, not retried. The number sent.
    int SendBatch(const Datagram* datagrams, int count);

    // 1 when a datagram is waiting, 0 on time-out or when woken, -1 on error.
    int Wait(int timeoutMs);
    // Length of the datagram taken, which may exceed size when the datagram
    // did not fit (its tail is then lost); kNothingWaiting when none was
    // there (it never waits), -1 on error.
    static constexpr int kNothingWaiting = -2;
    int ReceiveFrom(void* buffer, int size, uint32_t* ip, int* port);

    // Ends the current and every later Wait at once, until ClearWake.
    void Wake();
    void ClearWake();

    int GetLocalPort() const;

private:
    int fd_ = -1;
    int wakeFd_ = -1;
};

} // namespace Net
