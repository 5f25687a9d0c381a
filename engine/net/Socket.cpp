#include "engine/net/Socket.h"

#include <cstring>

namespace MPAPI {

Socket::Socket() = default;

Socket::~Socket() = default; // the UDP socket closes itself

int Socket::SendTo(const void* data, int length, uint32_t ip, int port)
{
    if (batching_ && length > 0 && length <= kBatchDatagramSize && data) {
        if (queued_ == kBatchDatagrams)
            Flush();
        uint8_t* at = batchBytes_.data() + size_t(queued_) * kBatchDatagramSize;
        std::memcpy(at, data, size_t(length));
        batch_[size_t(queued_++)] = {at, length, ip, port};
        bytesSent_ += length;
        return length;
    }
    Flush(); // an odd datagram keeps its place in the order
    int sent = udp_.SendTo(data, length, ip, port);
    if (length > 0)
        bytesSent_ += length;
    return sent;
}

void Socket::BeginBatch()
{
    if (batchBytes_.empty()) {
        batchBytes_.resize(size_t(kBatchDatagrams) * kBatchDatagramSize);
        batch_.resize(kBatchDatagrams);
    }
    batching_ = true;
}

void Socket::EndBatch()
{
    Flush();
    batching_ = false;
}

void Socket::Flush()
{
    if (queued_ > 0)
        udp_.SendBatch(batch_.data(), queued_);
    queued_ = 0;
}

int Socket::Receive(void* buffer, int size, uint32_t* ip, int* port)
{
    took_ = false;
    if (!udp_.IsOpen() || size <= 0)
        return 0;
    uint32_t fromIp = 0;
    int fromPort = 0;
    // A busy socket has the next datagram waiting: wait only when it is empty.
    int n = udp_.ReceiveFrom(buffer, size, &fromIp, &fromPort);
    if (n == Net::UdpSocket::kNothingWaiting) {
        if (udp_.Wait(kReceiveWaitMs) != 1)
            return 0;
        n = udp_.ReceiveFrom(buffer, size, &fromIp, &fromPort);
    }
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
