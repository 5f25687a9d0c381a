#pragma once

#include "platform/net/TcpListener.h"
#include "platform/net/TcpSocket.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// A one-connection HTTP peer on 127.0.0.1 that records the request and
// answers with the given pieces, one send each, pieceDelayMs apart; with
// stall it then keeps the connection open until the client goes. With a
// gate, the answer waits until the gate opens.
class ScriptedServer {
public:
    explicit ScriptedServer(std::vector<std::string> pieces, bool stall = false,
                            const std::atomic<bool>* gate = nullptr, int pieceDelayMs = 0)
        : pieces_(std::move(pieces)), stall_(stall), gate_(gate), pieceDelayMs_(pieceDelayMs)
    {
        listener_.Listen(0x0100007F, 0);
        port_ = listener_.GetLocalPort();
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedServer()
    {
        stop_ = true;
        thread_.join();
    }

    int Port() const { return port_; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    // Valid once the client has had its reply.
    std::string Request() const { return request_; }
    int PiecesSent() const { return sent_.load(); }

private:
    void Run()
    {
        std::unique_ptr<Net::TcpSocket> peer;
        while (!stop_ && !peer)
            peer.reset(listener_.Accept(50));
        if (!peer)
            return;
        char buffer[4096];
        size_t headEnd = std::string::npos;
        size_t want = 0;
        while (!stop_) {
            if (headEnd == std::string::npos && (headEnd = request_.find("\r\n\r\n")) != std::string::npos) {
                size_t at = request_.find("Content-Length: ");
                want = headEnd + 4 + (at < headEnd ? size_t(std::atoi(request_.c_str() + at + 16)) : 0);
            }
            if (headEnd != std::string::npos && request_.size() >= want)
                break;
            int n = peer->Receive(buffer, sizeof buffer, 50);
            if (n > 0)
                request_.append(buffer, size_t(n));
            else if (n != Net::TcpSocket::kTimedOut)
                return;
        }
        while (gate_ && !*gate_ && !stop_)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        for (const std::string& piece : pieces_) {
            if (stop_ || !peer->SendAll(piece.data(), int(piece.size()), 5000))
                return;
            ++sent_;
            if (pieceDelayMs_)
                std::this_thread::sleep_for(std::chrono::milliseconds(pieceDelayMs_));
        }
        while (stall_ && !stop_) {
            int n = peer->Receive(buffer, sizeof buffer, 50);
            if (n != Net::TcpSocket::kTimedOut && n <= 0)
                break;
        }
    }

    Net::TcpListener listener_;
    std::vector<std::string> pieces_;
    bool stall_;
    const std::atomic<bool>* gate_;
    int pieceDelayMs_;
    std::atomic<int> sent_{0};
    int port_ = 0;
    std::string request_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
