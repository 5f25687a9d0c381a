// The reliable stream through the lossy loopback relay at the dedicated
// server's 100 updates a second, one connection's update, and a raw UDP
// loopback ping-pong as the yardstick. Counters print side by side:
// goodput in KB/s and delivery latency in ms.
#include "tests/engine/net/LoopbackPeer.h"
#include "tests/engine/net/LossyRelay.h"
#include "tests/engine/net/TestConnection.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMessage = 100;     // bytes per game message, a timestamp first
constexpr int kQueued = 2 * 1300; // the sender keeps two chunks waiting
constexpr double kRowSeconds = 3.0;

int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

void SetLatency(benchmark::State& state, std::vector<double>& ms, double bytes, double seconds)
{
    std::sort(ms.begin(), ms.end());
    double mean = 0;
    for (double m : ms)
        mean += m;
    mean = ms.empty() ? 0 : mean / double(ms.size());
    state.counters["goodput_KBps"] = bytes / 1024.0 / seconds;
    state.counters["latency_ms"] = mean;
    state.counters["p95_ms"] = ms.empty() ? 0 : ms[size_t(double(ms.size() - 1) * 0.95)];
}

void BM_ReliableStreamThroughRelay(benchmark::State& state)
{
    NetTest::LossProfile profile;
    profile.loss = double(state.range(0)) / 100.0;
    profile.reorder = 0.02;
    profile.duplicate = 0.02;
    profile.maxDelay = 2;
    for (auto _ : state) {
        NetTest::LoopbackPeer server(true), client(false);
        if (!server.Listen(0)) {
            state.SkipWithError("listen failed");
            return;
        }
        NetTest::LossyRelay relay(server.GetPort(), profile, 42);
        if (!relay.Ok() || !client.Connect(u"127.0.0.1", relay.GetPort())) {
            state.SkipWithError("connect failed");
            return;
        }
        std::vector<double> latencies;
        double delivered = 0;
        uint8_t message[kMessage] = {};
        uint8_t in[kMessage];
        auto start = Clock::now();
        auto next = start;
        while (Clock::now() - start < std::chrono::duration<double>(kRowSeconds)) {
            while (client.connection.GetSendSpace() > 13000 - kQueued) {
                int64_t t = NowNs();
                std::memcpy(message, &t, sizeof t);
                client.connection.Send(message, kMessage);
            }
            client.Update(0.01f);
            server.Update(0.01f);
            while (server.connection.Receive(in, kMessage) == kMessage) {
                int64_t sent;
                std::memcpy(&sent, in, sizeof sent);
                latencies.push_back(double(NowNs() - sent) / 1e6);
                delivered += kMessage;
            }
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        SetLatency(state, latencies, delivered, seconds);
    }
}
BENCHMARK(BM_ReliableStreamThroughRelay)
    ->ArgName("loss_pct")
    ->Arg(0)
    ->Arg(5)
    ->Arg(20)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One connection's Update with its peer in memory, the stream kept busy.
void BM_ConnectionUpdate(benchmark::State& state)
{
    NetTest::TestConnection client(false), server(true);
    client.OnConnected();
    server.OnConnected();
    std::vector<NetTest::Datagram> toServer, toClient;
    client.sink = [&](const uint8_t* d, int n) { toServer.emplace_back(d, d + n); };
    server.sink = [&](const uint8_t* d, int n) { toClient.emplace_back(d, d + n); };
    uint8_t payload[1300] = {};
    uint8_t sink[4096];
    for (auto _ : state) {
        while (client.GetSendSpace() >= int(sizeof payload))
            client.Send(payload, sizeof payload);
        auto t0 = Clock::now();
        client.Update(0.01f);
        auto t1 = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        for (const NetTest::Datagram& d : toServer)
            server.Deliver(d);
        toServer.clear();
        server.Update(0.01f);
        for (const NetTest::Datagram& d : toClient)
            client.Deliver(d);
        toClient.clear();
        int n = std::min(server.GetReceivedSize(), int(sizeof sink));
        server.Receive(sink, n);
    }
}
BENCHMARK(BM_ConnectionUpdate)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);

// Yardstick: bare datagrams of one chunk's size bounced over loopback.
void BM_RawUdpLoopback(benchmark::State& state)
{
    Net::UdpSocket a, b;
    uint32_t lo = htonl(0x7F000001u);
    if (!a.Open() || !a.Bind(lo, 0) || !b.Open() || !b.Bind(lo, 0)) {
        state.SkipWithError("sockets failed");
        return;
    }
    int portA = a.GetLocalPort(), portB = b.GetLocalPort();
    uint8_t buffer[1400] = {};
    for (auto _ : state) {
        std::vector<double> latencies;
        double bytes = 0;
        auto start = Clock::now();
        while (Clock::now() - start < std::chrono::seconds(1)) {
            int64_t t = NowNs();
            std::memcpy(buffer, &t, sizeof t);
            a.SendTo(buffer, 1300, lo, portB);
            if (b.Wait(1000) != 1 || b.ReceiveFrom(buffer, sizeof buffer, nullptr, nullptr) != 1300)
                break;
            bytes += 1300;
            b.SendTo(buffer, 8, lo, portA);
            if (a.Wait(1000) != 1 || a.ReceiveFrom(buffer, sizeof buffer, nullptr, nullptr) != 8)
                break;
            int64_t sent;
            std::memcpy(&sent, buffer, sizeof sent);
            latencies.push_back(double(NowNs() - sent) / 2e6); // one way
        }
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        SetLatency(state, latencies, bytes, seconds);
    }
}
BENCHMARK(BM_RawUdpLoopback)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
