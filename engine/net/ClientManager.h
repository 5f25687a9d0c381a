#pragma once

#include "engine/net/ClientHandler.h"
#include "engine/net/IClient.h"
#include "engine/net/MultiplayerManager.h"

#include <atomic>

namespace MPAPI {

// The client: the handshake with one server, the receive thread and the
// one connection.
class ClientManager : public MultiplayerManager, public IClient {
public:
    static constexpr int kAttempts = 5;
    static constexpr int kPolls = 10;
    static constexpr int kPollMs = 100;
    static constexpr int kConfirmCopies = 3;

    ClientManager();
    ~ClientManager() override;

    void SetListener(IClientListener* listener) override;
    int GetStatus() override { return status_.load(); }
    IConnection* GetConnection() override { return &handler_; }
    IConnection* Connect(const char16_t* host, int port, const char16_t* password) override;
    IConnection* ConnectDefaultPort(const char16_t* host, const char16_t* password) override;
    void Disconnect() override;
    void Update(float seconds) override;
    void AddObject(Object* object) override;
    void RemoveObject(Object* object) override;
    void RemoveAllObjects() override;
    void SetClientState(int flags, float x, float y, float value, int intA, int intB, float u, float v) override;

    void OnDatagram(const uint8_t* data, int length, uint32_t ip, int port) override;

    // For the handler, under the manager lock.
    IClientListener* GetListener() const { return listener_; }
    bool SendToServer(const uint8_t* data, int length);

    ClientHandler& GetHandler() { return handler_; }

private:
    ClientHandler handler_;
    uint32_t serverAddress_ = 0;
    int serverPort_ = 0;
    std::atomic<int> reply_{-1};
    // Replies count only while Connect waits for one.
    std::atomic<bool> waiting_{false};
    std::atomic<int> status_{kStatusNoAnswer};
    IClientListener* listener_ = nullptr;
};

} // namespace MPAPI
