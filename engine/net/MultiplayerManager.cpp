#include "engine/net/MultiplayerManager.h"

#include "engine/net/Socket.h"
#include "platform/os/Os.h"

namespace MPAPI {

MultiplayerManager::MultiplayerManager() = default;

MultiplayerManager::~MultiplayerManager()
{
    // Too late for a thread still dispatching into a derived part, but it
    // never outlives the manager.
    StopReceiveThread();
    delete socket_;
}

void MultiplayerManager::InjectDatagram(const uint8_t* data, int length, uint32_t ip, int port)
{
    if (!data || length <= 0 || length > kDatagramBuffer)
        return;
    std::lock_guard<std::recursive_mutex> lock(managerMutex_);
    OnDatagram(data, length, ip, port);
}

void MultiplayerManager::SetSocket(Socket* socket)
{
    StopReceiveThread();
    if (socket_ != socket)
        delete socket_;
    socket_ = socket;
}

void MultiplayerManager::StartReceiveThread()
{
    if (thread_.joinable())
        return;
    if (socket_)
        socket_->ClearInterrupt();
    stop_ = false;
    running_ = true;
    thread_ = std::thread(&MultiplayerManager::ReceiveLoop, this);
}

void MultiplayerManager::StopReceiveThread()
{
    if (!thread_.joinable())
        return;
    stop_ = true;
    if (socket_)
        socket_->Interrupt();
    thread_.join();
}

void MultiplayerManager::ReceiveLoop()
{
    uint8_t buffer[kDatagramBuffer];
    while (!stop_) {
        uint32_t ip = 0;
        int port = 0;
        int n = socket_ ? socket_->Receive(buffer, kDatagramBuffer, &ip, &port) : 0;
        if (n > 0 && !stop_) {
            std::lock_guard<std::recursive_mutex> lock(managerMutex_);
            OnDatagram(buffer, n, ip, port);
        } else if (!socket_ || !socket_->TookDatagram()) {
            // Rest only when nothing came: an empty or oversize datagram
            // must not keep the thread from the ones behind it.
            Os::SleepMs(10);
        }
    }
    running_ = false;
}

} // namespace MPAPI
