#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

namespace MPAPI {

class Socket;

// Common base of the client and server managers: the socket, the manager
// lock, the socket lock and the receive thread that feeds every datagram to
// OnDatagram under the manager lock.
//
// Lock order: manager, then socket, then anything of the game. The most
// derived destructor calls StopReceiveThread first, so the thread never
// runs into a half-destroyed object.
class MultiplayerManager {
public:
    static constexpr int kDatagramBuffer = 1400;

    MultiplayerManager();
    virtual ~MultiplayerManager();
    MultiplayerManager(const MultiplayerManager&) = delete;
    MultiplayerManager& operator=(const MultiplayerManager&) = delete;

    virtual void Update(float seconds) = 0;
    virtual void OnDatagram(const uint8_t* data, int length, uint32_t ip, int port) = 0;

    // Hands one datagram to OnDatagram under the manager lock, exactly as
    // the receive thread does.
    void InjectDatagram(const uint8_t* data, int length, uint32_t ip, int port);

    std::recursive_mutex& GetManagerMutex() { return managerMutex_; }
    std::recursive_mutex& GetSocketMutex() { return socketMutex_; }
    Socket* GetSocket() const { return socket_; }
    bool IsReceiveThreadRunning() const { return running_.load(); }

protected:
    // Stops the receive thread, deletes the old socket and keeps this one.
    void SetSocket(Socket* socket);
    // One thread per manager: a running thread is kept.
    void StartReceiveThread();
    void StopReceiveThread();

private:
    void ReceiveLoop();

    Socket* socket_ = nullptr;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::thread thread_;
    std::recursive_mutex managerMutex_;
    std::recursive_mutex socketMutex_;
};

} // namespace MPAPI
