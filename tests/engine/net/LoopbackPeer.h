#pragma once

#include "TestConnection.h"
#include "engine/net/ClientSocket.h"
#include "engine/net/MpapiDatagram.h"
#include "engine/net/MultiplayerManager.h"
#include "engine/net/ServerSocket.h"
#include "platform/os/Os.h"

#include <atomic>
#include <mutex>

namespace NetTest {

// A one-connection manager over real UDP sockets with the least handshake
// that gets a connection going: enough to run connections end to end before
// the real client and server managers exist. A server-side peer takes a
// valid data datagram from its handshaking client as the confirmation, so
// a lost B2 39 does not leave the link dead.
class LoopbackPeer : public MPAPI::MultiplayerManager {
public:
    using D = MPAPI::MpapiDatagram;

    explicit LoopbackPeer(bool serverSide) : connection(serverSide, &GetManagerMutex()), serverSide_(serverSide)
    {
        connection.sink = [this](const uint8_t* data, int length) { SendToPeer(data, length); };
        connection.realClock = true;
    }

    ~LoopbackPeer() override { StopReceiveThread(); }

    TestConnection connection;
    std::atomic<int> reply{-1};
    std::atomic<int> datagramsSeen{0};

    bool Listen(int port)
    {
        auto* s = new MPAPI::ServerSocket();
        if (!s->Open(port)) {
            delete s;
            return false;
        }
        SetSocket(s);
        StartReceiveThread();
        return true;
    }

    int GetPort() const { return GetSocket() ? GetSocket()->GetLocalPort() : 0; }

    // Blocks up to attempts x 1 s, as the real client does.
    bool Connect(const char16_t* host, int port, int attempts = 5)
    {
        auto* s = new MPAPI::ClientSocket();
        if (!s->Open(host, port)) {
            delete s;
            return false;
        }
        SetSocket(s);
        {
            std::lock_guard<std::recursive_mutex> lock(GetManagerMutex());
            peerIp_ = s->GetServerAddress();
            peerPort_ = port;
            connection.Reset();
            connection.SetConnecting();
            reply = -1;
        }
        StartReceiveThread();
        uint8_t d[D::kMaxSize];
        for (int attempt = 0; attempt < attempts; ++attempt) {
            SendToPeer(d, D::WriteConnectRequest(d, nullptr));
            for (int i = 0; i < 10 && reply < 0; ++i)
                Os::SleepMs(100);
            if (reply == D::kReplyAccepted) {
                SendToPeer(d, D::WriteConfirm(d));
                return true;
            }
            if (reply >= 0)
                return false;
        }
        return false;
    }

    void Update(float seconds) override
    {
        std::lock_guard<std::recursive_mutex> lock(GetManagerMutex());
        if (connection.IsHandshakeDone() && !connection.IsResetPending())
            connection.Update(seconds);
    }

    void OnDatagram(const uint8_t* data, int length, uint32_t ip, int port) override
    {
        ++datagramsSeen;
        if (serverSide_)
            OnServerDatagram(data, length, ip, port);
        else
            OnClientDatagram(data, length, ip, port);
    }

private:
    void SendToPeer(const uint8_t* data, int length)
    {
        std::lock_guard<std::recursive_mutex> lock(GetSocketMutex());
        if (GetSocket() && peerPort_ != 0)
            GetSocket()->SendTo(data, length, peerIp_, peerPort_);
    }

    void OnClientDatagram(const uint8_t* data, int length, uint32_t ip, int port)
    {
        if (ip != peerIp_ || port != peerPort_)
            return;
        if (!connection.IsHandshakeDone() || connection.IsResetPending()) {
            if (length == 1 && data[0] <= D::kReplyBanned && reply < 0) {
                if (data[0] == D::kReplyAccepted)
                    connection.OnConnected();
                reply = data[0];
            }
            return;
        }
        if (length >= 2 && data[0] == D::kData)
            connection.Deliver(data, length);
    }

    void OnServerDatagram(const uint8_t* data, int length, uint32_t ip, int port)
    {
        D::ConnectRequest request;
        if (peerPort_ == 0 && D::ParseConnectRequest(data, length, &request)) {
            uint8_t r[1];
            peerIp_ = ip;
            peerPort_ = port;
            connection.Reset();
            SendToPeer(r, D::WriteReply(r, request.version == D::kProtocolVersion ? D::kReplyAccepted
                                                                                  : D::kReplyWrongVersion));
            return;
        }
        if (ip != peerIp_ || port != peerPort_ || connection.IsResetPending())
            return;
        if (!connection.IsHandshakeDone()) {
            D::DataHeader h;
            bool validData = length >= 2 && data[0] == D::kData &&
                             ((data[1] > D::kMaxAcks && data[1] < D::kFirstIgnoredCode) ||
                              D::ParseDataBody(data + 1, length - 1, &h));
            if (D::IsConfirm(data, length) || validData)
                connection.OnConnected();
            if (!validData)
                return;
        }
        if (length >= 2 && data[0] == D::kData)
            connection.Deliver(data, length);
    }

    bool serverSide_;
    uint32_t peerIp_ = 0;
    int peerPort_ = 0;
};

} // namespace NetTest
