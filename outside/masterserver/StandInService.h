#pragma once

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

class StandInServer;

// Listens on 127.0.0.1 and serves every connection on a thread of its own,
// so a slow, idle or trickling client holds up no other.
class StandInService {
public:
    static constexpr int kMaxConnections = 64;

    explicit StandInService(StandInServer* server) : server_(server) {}
    ~StandInService();
    StandInService(const StandInService&) = delete;
    StandInService& operator=(const StandInService&) = delete;

    // port 0: the system picks one.
    bool Start(int port);
    // Ends the open connections and joins every thread.
    void Stop();
    int Port() const { return port_; }

private:
    struct Connection {
        int fd = -1;
        std::atomic<bool> done{false};
        std::thread thread;
    };

    void AcceptLoop();
    void Reap(bool all);

    StandInServer* server_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptThread_;
    std::mutex mutex_;
    std::list<std::unique_ptr<Connection>> connections_;
};
