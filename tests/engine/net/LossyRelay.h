#pragma once

#include "LossProfile.h"
#include "platform/net/UdpSocket.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace NetTest {

// A UDP forwarder on 127.0.0.1 between one client and one server. The
// client talks to GetPort() as if it were the server; the server sees the
// relay as the client. Each direction drops, delays, duplicates and
// reorders by its own seeded generator.
class LossyRelay {
public:
    // Return true to drop a datagram on purpose (toServer tells the way).
    using Filter = std::function<bool(const uint8_t* data, int length, bool toServer)>;

    LossyRelay(int serverPort, const LossProfile& profile, uint32_t seed, Filter filter = nullptr)
        : serverPort_(serverPort), profile_(profile), filter_(std::move(filter))
    {
        ok_ = front_.Open() && front_.Bind(Loopback(), 0) && back_.Open() && back_.Bind(Loopback(), 0);
        ways_[0].rng.seed(seed * 2 + 1);
        ways_[1].rng.seed(seed * 2 + 2);
        if (ok_) {
            threads_[0] = std::thread([this] { Run(0); });
            threads_[1] = std::thread([this] { Run(1); });
        }
    }

    ~LossyRelay()
    {
        stop_ = true;
        front_.Wake();
        back_.Wake();
        for (std::thread& t : threads_)
            if (t.joinable())
                t.join();
    }

    bool Ok() const { return ok_; }
    int GetPort() const { return front_.GetLocalPort(); }
    // The first n datagrams of each way pass untouched (a handshake kept
    // out of the loss); set before the first datagram.
    void PassFirst(int n) { ways_[0].clean = ways_[1].clean = n; }

    struct Counts {
        int forwarded = 0, dropped = 0, duplicated = 0, reordered = 0;
    };
    Counts GetCounts(bool toServer)
    {
        std::lock_guard<std::mutex> lock(countMutex_);
        return ways_[toServer ? 0 : 1].counts;
    }

    static uint32_t Loopback() { return htonl(0x7F000001u); }

    // Sends a datagram on its way now, as a late one held back by a filter.
    void Inject(const std::vector<uint8_t>& b, bool toServer) { Send(b, toServer ? 0 : 1); }

private:
    struct Held {
        std::chrono::steady_clock::time_point due;
        std::vector<uint8_t> bytes;
    };
    struct Way {
        std::mt19937 rng;
        std::vector<Held> held;
        Counts counts;
        int clean = 0;
    };

    // Way 0 reads the client on the front socket and sends to the server
    // from the back one; way 1 the reverse.
    void Run(int way)
    {
        Net::UdpSocket& in = way == 0 ? front_ : back_;
        Way& w = ways_[way];
        uint8_t buffer[2048];
        while (!stop_) {
            if (in.Wait(1) == 1) {
                uint32_t ip = 0;
                int port = 0;
                int n = in.ReceiveFrom(buffer, sizeof buffer, &ip, &port);
                if (n > 0 && n <= int(sizeof buffer)) {
                    if (way == 0)
                        clientPort_ = port;
                    Take(w, way, buffer, n);
                }
            }
            Flush(w, way, false);
        }
    }

    void Take(Way& w, int way, const uint8_t* data, int n)
    {
        if (filter_ && filter_(data, n, way == 0)) {
            Count(w, &Counts::dropped);
            return;
        }
        LossDecision d = DecideLoss(profile_, w.rng);
        if (w.clean > 0)
            --w.clean, d = LossDecision();
        if (d.drop) {
            Count(w, &Counts::dropped);
            return;
        }
        if (d.copies > 1)
            Count(w, &Counts::duplicated);
        if (d.reordered)
            Count(w, &Counts::reordered);
        auto now = std::chrono::steady_clock::now();
        for (int i = 0; i < d.copies; ++i)
            w.held.push_back(Held{now + std::chrono::milliseconds(d.delay[i]), std::vector<uint8_t>(data, data + n)});
    }

    void Flush(Way& w, int way, bool all)
    {
        auto now = std::chrono::steady_clock::now();
        for (size_t i = 0; i < w.held.size();) {
            if (all || w.held[i].due <= now) {
                Send(w.held[i].bytes, way);
                Count(w, &Counts::forwarded);
                w.held.erase(w.held.begin() + long(i));
            } else {
                ++i;
            }
        }
    }

    void Send(const std::vector<uint8_t>& b, int way)
    {
        if (way == 0)
            back_.SendTo(b.data(), int(b.size()), Loopback(), serverPort_);
        else if (clientPort_ != 0)
            front_.SendTo(b.data(), int(b.size()), Loopback(), clientPort_);
    }

    void Count(Way& w, int Counts::*field)
    {
        std::lock_guard<std::mutex> lock(countMutex_);
        ++(w.counts.*field);
    }

    int serverPort_;
    LossProfile profile_;
    Filter filter_;
    Net::UdpSocket front_;
    Net::UdpSocket back_;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> clientPort_{0};
    Way ways_[2];
    std::mutex countMutex_;
    std::thread threads_[2];
};

} // namespace NetTest
