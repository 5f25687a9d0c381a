#pragma once

#include "platform/net/UdpSocket.h"

#include <atomic>
#include <cstdint>

namespace MPAPI {

// A UDP socket that sends and receives single datagrams. Addresses are IPv4
// in network byte order, ports in host order.
class Socket {
public:
    // Longest wait of Receive for a datagram.
    static constexpr int kReceiveWaitMs = 1000;

    Socket();
    virtual ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    virtual bool Send(const void* data, int length) = 0;
    virtual int SendTo(const void* data, int length, uint32_t ip, int port);
    // Length of one datagram, or 0 when none came in time, on error, for an
    // empty datagram and for one longer than the buffer.
    virtual int Receive(void* buffer, int size, uint32_t* ip, int* port);

    // Whether the last Receive took a datagram off the socket, even one it
    // then refused: the receive thread has no reason to rest after those.
    bool TookDatagram() const { return took_; }

    int GetBytesSent() const { return bytesSent_.load(); }
    int GetBytesReceived() const { return bytesReceived_.load(); }
    int GetLocalPort() const { return udp_.GetLocalPort(); }
    bool IsOpen() const { return udp_.IsOpen(); }

    // Ends a waiting Receive at once so that its thread can stop.
    void Interrupt() { udp_.Wake(); }
    void ClearInterrupt() { udp_.ClearWake(); }

protected:
    Net::UdpSocket udp_;
    std::atomic<int> bytesSent_{0};
    std::atomic<int> bytesReceived_{0};
    bool took_ = false; // the receive thread's own
};

} // namespace MPAPI
