#pragma once

#include "MpapiTestObjects.h"
#include "engine/net/Socket.h"

#include <cstdint>
#include <vector>

namespace NetTest {

// A socket that sends nowhere: every datagram waits for the test to deliver
// or drop it.
class CaptureSocket : public MPAPI::Socket {
public:
    bool Send(const void* data, int length) override { return SendTo(data, length, 0, 0) > 0; }
    int SendTo(const void* data, int length, uint32_t, int) override
    {
        auto* b = static_cast<const uint8_t*>(data);
        outbox.emplace_back(b, b + length);
        return length;
    }
    std::vector<std::vector<uint8_t>> outbox;
};

template <class Manager> class Captured : public Manager {
public:
    Captured() : socket(new CaptureSocket()) { this->SetSocket(socket); }
    CaptureSocket* socket; // the manager owns it
};

// The real server and client managers joined in memory, without threads or
// a clock: Step runs one frame of each and hands over what they sent.
class WirePair {
public:
    static constexpr uint32_t kClientIp = 0x0100007Fu;
    static constexpr int kClientPort = 4444;

    WirePair()
    {
        client.SetListener(&listener);
        ToServer({0xB2, 0x60, 0x0A});
        ToServer({0xB2, 0x39});
        connection = server.NextNewConnection();
        client.GetHandler().OnConnected();
        ToServer({0x40, 0x14}); // the client asks for the object stream
        server.socket->outbox.clear();
    }

    void ToServer(const std::vector<uint8_t>& d)
    {
        server.InjectDatagram(d.data(), int(d.size()), kClientIp, kClientPort);
    }

    // Server data datagrams handed to the client in this frame.
    int Step(float dt = 0.02f)
    {
        server.Update(dt);
        int delivered = 0;
        std::vector<std::vector<uint8_t>> out;
        out.swap(server.socket->outbox);
        for (auto& d : out) {
            delivered += d.size() > 2 && d[0] == 0x40 && d[1] <= 16 ? 1 : 0;
            client.InjectDatagram(d.data(), int(d.size()), 0, 0);
        }
        client.Update(dt);
        out.clear();
        out.swap(client.socket->outbox);
        for (auto& d : out)
            ToServer(d);
        return delivered;
    }

    Thing* Copy(const Thing& t) { return static_cast<Thing*>(client.GetHandler().FindObject(t.GetNetworkId())); }

    Captured<MPAPI::ServerManager> server;
    Listener listener;
    Captured<MPAPI::ClientManager> client;
    MPAPI::IConnection* connection = nullptr;
};

} // namespace NetTest
