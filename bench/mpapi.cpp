// The server's frame with 32 streaming clients on loopback and 500 moving
// replicated objects: CPU time of one Update pass (target 0.25 ms) and the
// bytes sent to each client per second of game time, beside the yardstick
// of sending one full datagram to each of 32 sockets. Clients running in
// this process make every send wake one of their threads, a cost a server
// whose clients are elsewhere never pays: one row keeps them, one row reads
// and acknowledges from plain sockets between passes, and the yardstick is
// run both ways. Then the server's cost of one hostile datagram of each
// kind (target 1 us, nothing allocated), beside the yardstick of one empty
// system call.
#include "engine/net/Socket.h"
#include "platform/net/UdpSocket.h"
#include "tests/engine/net/MpapiTestObjects.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <new>
#include <thread>
#include <unistd.h>
#include <vector>

// Every allocation of the process is counted.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

constexpr int kClients = 32;
constexpr int kObjects = 500;
constexpr float kFrame = 0.01f; // the dedicated server's 100 passes a second

double CpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// 32 client managers of this process, each with its receive thread.
void BM_ServerUpdateWithClientThreads(benchmark::State& state)
{
    MPAPI::ServerManager server;
    if (!server.Listen(0)) {
        state.SkipWithError("cannot listen");
        return;
    }
    std::vector<std::unique_ptr<NetTest::Listener>> listeners(kClients);
    std::vector<std::unique_ptr<MPAPI::ClientManager>> clients(kClients);
    std::vector<std::thread> connecting;
    std::atomic<int> connected{0};
    for (int i = 0; i < kClients; ++i) {
        listeners[size_t(i)] = std::make_unique<NetTest::Listener>();
        clients[size_t(i)] = std::make_unique<MPAPI::ClientManager>();
        clients[size_t(i)]->SetListener(listeners[size_t(i)].get());
    }
    for (auto& c : clients)
        connecting.emplace_back([&, p = c.get()] {
            if (p->Connect(u"127.0.0.1", server.GetPort(), nullptr) && p->GetConnection()->SetStreaming(true))
                ++connected;
        });
    for (auto& t : connecting)
        t.join();
    if (connected != kClients) {
        state.SkipWithError("clients did not connect");
        return;
    }
    std::vector<std::unique_ptr<NetTest::Thing>> players(kClients);
    int bound = 0;
    while (MPAPI::IConnection* c = server.NextNewConnection()) {
        players[size_t(bound)] = std::make_unique<NetTest::Thing>();
        players[size_t(bound)]->x = float(bound % 8) * 600.0f;
        players[size_t(bound)]->y = float(bound / 8) * 600.0f;
        c->SetPlayerObject(players[size_t(bound)].get());
        ++bound;
    }
    std::vector<std::unique_ptr<NetTest::Thing>> things(kObjects);
    for (int i = 0; i < kObjects; ++i) {
        things[size_t(i)] = std::make_unique<NetTest::Thing>();
        things[size_t(i)]->x = float(i % 25) * 200.0f;
        things[size_t(i)]->y = float(i / 25) * 100.0f;
        server.AddObject(things[size_t(i)].get());
    }
    auto step = [&](int frame) {
        for (size_t i = 0; i < things.size(); ++i) {
            NetTest::Thing* t = things[i].get();
            float a = float(frame) * 0.02f + float(i);
            t->vx = 40.0f * std::cos(a);
            t->vy = 40.0f * std::sin(a);
            t->x += t->vx * kFrame;
            t->y += t->vy * kFrame;
        }
        for (auto& c : clients)
            c->Update(kFrame);
    };
    // Warm up until every client holds its objects.
    for (int frame = 0; frame < 200; ++frame) {
        step(frame);
        server.Update(kFrame);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    int bytesBefore = server.GetSocket()->GetBytesSent();
    int frames = 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        step(frames);
        state.ResumeTiming();
        double t0 = CpuSeconds();
        server.Update(kFrame);
        cpu += CpuSeconds() - t0;
        ++frames;
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.ResumeTiming();
    }
    double gameSeconds = double(frames) * kFrame;
    double bytes = double(server.GetSocket()->GetBytesSent() - bytesBefore);
    state.counters["cpu_ms_per_update"] = frames ? 1000.0 * cpu / frames : 0;
    state.counters["bytes_per_client_per_s"] = gameSeconds > 0 ? bytes / kClients / gameSeconds : 0;
    server.RemoveAllObjects();
}
BENCHMARK(BM_ServerUpdateWithClientThreads)->Unit(benchmark::kMillisecond)->Iterations(500);

// Yardstick of the send share of an Update: one full datagram to each of 32
// loopback sockets, one system call each or all in one batch, with nobody
// or one thread waiting on each socket.
void BM_SendFullDatagramTo32Sockets(benchmark::State& state)
{
    const bool batch = state.range(0) != 0;
    const bool waiting = state.range(1) != 0;
    const uint32_t lo = htonl(0x7F000001u);
    Net::UdpSocket out;
    std::vector<std::unique_ptr<Net::UdpSocket>> in(kClients);
    if (!out.Open() || !out.Bind(lo, 0)) {
        state.SkipWithError("socket failed");
        return;
    }
    for (auto& s : in) {
        s = std::make_unique<Net::UdpSocket>();
        if (!s->Open() || !s->Bind(lo, 0)) {
            state.SkipWithError("socket failed");
            return;
        }
    }
    std::atomic<bool> stop{false};
    std::vector<std::thread> readers;
    if (waiting)
        for (auto& s : in)
            readers.emplace_back([&stop, p = s.get()] {
                uint8_t b[1400];
                while (!stop)
                    if (p->Wait(100) == 1)
                        p->ReceiveFrom(b, sizeof b, nullptr, nullptr);
            });
    uint8_t packet[1400] = {0x40};
    uint8_t sink[1400];
    std::vector<Net::UdpSocket::Datagram> all;
    for (auto& s : in)
        all.push_back({packet, int(sizeof packet), lo, s->GetLocalPort()});
    double cpu = 0;
    for (auto _ : state) {
        double t0 = CpuSeconds();
        if (batch)
            out.SendBatch(all.data(), kClients);
        else
            for (auto& d : all)
                out.SendTo(d.data, d.length, d.ip, d.port);
        cpu += CpuSeconds() - t0;
        state.PauseTiming();
        if (waiting)
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        else
            for (auto& s : in)
                s->ReceiveFrom(sink, sizeof sink, nullptr, nullptr);
        state.ResumeTiming();
    }
    stop = true;
    for (auto& t : readers)
        t.join();
    state.counters["cpu_ms_per_update"] = 1000.0 * cpu / double(state.iterations());
}
BENCHMARK(BM_SendFullDatagramTo32Sockets)
    ->ArgNames({"batch", "waiting"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(500);

// The server as it runs with its clients elsewhere: 32 plain loopback
// sockets that nobody waits on, read, acknowledged and answered between
// passes.
void BM_ServerUpdateLoopback(benchmark::State& state)
{
    const uint32_t lo = htonl(0x7F000001u);
    MPAPI::ServerManager server;
    if (!server.Listen(0)) {
        state.SkipWithError("cannot listen");
        return;
    }
    std::vector<std::unique_ptr<Net::UdpSocket>> peers(kClients);
    std::vector<std::unique_ptr<NetTest::Thing>> players(kClients);
    uint8_t d[1400];
    for (int i = 0; i < kClients; ++i) {
        auto& s = peers[size_t(i)];
        s = std::make_unique<Net::UdpSocket>();
        if (!s->Open() || !s->Bind(lo, 0)) {
            state.SkipWithError("socket failed");
            return;
        }
        const uint8_t connect[] = {0xB2, 0x60, 0x0A}, confirm[] = {0xB2, 0x39}, stream[] = {0x40, 0x14};
        s->SendTo(connect, 3, lo, server.GetPort());
        if (s->Wait(2000) != 1 || s->ReceiveFrom(d, sizeof d, nullptr, nullptr) < 1) {
            state.SkipWithError("no reply");
            return;
        }
        s->SendTo(confirm, 2, lo, server.GetPort());
        s->SendTo(stream, 2, lo, server.GetPort());
        MPAPI::IConnection* c = nullptr;
        for (int wait = 0; wait < 200 && !c; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            c = server.NextNewConnection();
        }
        if (!c) {
            state.SkipWithError("not connected");
            return;
        }
        players[size_t(i)] = std::make_unique<NetTest::Thing>();
        players[size_t(i)]->x = float(i % 8) * 600.0f;
        players[size_t(i)]->y = float(i / 8) * 600.0f;
        c->SetPlayerObject(players[size_t(i)].get());
    }
    std::vector<std::unique_ptr<NetTest::Thing>> things(kObjects);
    for (int i = 0; i < kObjects; ++i) {
        things[size_t(i)] = std::make_unique<NetTest::Thing>();
        things[size_t(i)]->x = float(i % 25) * 200.0f;
        things[size_t(i)]->y = float(i / 25) * 100.0f;
        server.AddObject(things[size_t(i)].get());
    }
    int frame = 0;
    // Each peer acknowledges every packet it read.
    auto answer = [&] {
        for (auto& s : peers) {
            uint8_t ack[4 + 2 * 16] = {0x40, 0};
            int n = 0;
            for (int got; n < 16 && (got = s->ReceiveFrom(d, sizeof d, nullptr, nullptr)) >= 0;) {
                if (got == 3 && d[0] == 0x40 && d[1] == 0x11) {
                    const uint8_t pong[] = {0x40, 0x12, d[2], 0, 0, 0, 0};
                    s->SendTo(pong, sizeof pong, lo, server.GetPort());
                    continue;
                }
                if (got < 4 || d[0] != 0x40 || d[1] > 16 || got < 4 + 2 * d[1])
                    continue;
                int at = 2 + 2 * d[1];
                if (d[at] | d[at + 1] << 8) {
                    ack[2 + 2 * n] = d[at];
                    ack[3 + 2 * n] = d[at + 1];
                    ++n;
                }
            }
            if (n == 0)
                continue;
            ack[1] = uint8_t(n);
            ack[2 + 2 * n] = ack[3 + 2 * n] = 0;
            s->SendTo(ack, 4 + 2 * n, lo, server.GetPort());
        }
    };
    auto move = [&] {
        for (size_t i = 0; i < things.size(); ++i) {
            NetTest::Thing* t = things[i].get();
            float a = float(frame) * 0.02f + float(i);
            t->vx = 40.0f * std::cos(a);
            t->vy = 40.0f * std::sin(a);
            t->x += t->vx * kFrame;
            t->y += t->vy * kFrame;
        }
        ++frame;
    };
    for (int i = 0; i < 200; ++i) {
        move();
        server.Update(kFrame);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        answer();
    }
    int bytesBefore = server.GetSocket()->GetBytesSent();
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        move();
        state.ResumeTiming();
        double t0 = CpuSeconds();
        server.Update(kFrame);
        cpu += CpuSeconds() - t0;
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        answer();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.ResumeTiming();
    }
    double bytes = double(server.GetSocket()->GetBytesSent() - bytesBefore);
    state.counters["cpu_ms_per_update"] = 1000.0 * cpu / double(state.iterations());
    state.counters["bytes_per_client_per_s"] = bytes / kClients / (double(state.iterations()) * kFrame);
    server.RemoveAllObjects();
}
BENCHMARK(BM_ServerUpdateLoopback)->Unit(benchmark::kMillisecond)->Iterations(500);

// A socket whose sends go nowhere: the rows below count the server's own
// work, not the kernel's.
class NullSocket : public MPAPI::Socket {
public:
    bool Send(const void*, int) override { return true; }
    int SendTo(const void*, int length, uint32_t, int) override { return length; }
};

class BenchServer : public MPAPI::ServerManager {
public:
    BenchServer() { SetSocket(new NullSocket()); }
};

// The same frame without the kernel: 32 clients whose every packet is
// acknowledged at once, so only the server's own work is timed.
class AckingSocket : public MPAPI::Socket {
public:
    bool Send(const void*, int) override { return true; }
    int SendTo(const void* data, int length, uint32_t, int port) override
    {
        auto* d = static_cast<const uint8_t*>(data);
        if (length >= 4 && d[0] == 0x40 && d[1] <= 16 && length >= 4 + 2 * d[1]) {
            int at = 2 + 2 * d[1];
            uint16_t sequence = uint16_t(d[at] | d[at + 1] << 8);
            if (sequence > 1 && port >= kFirstPort && port < kFirstPort + kClients)
                pending[size_t(port - kFirstPort)] = sequence;
        }
        return length;
    }
    static constexpr int kFirstPort = 6000;
    uint16_t pending[kClients] = {};
};

class AckingServer : public MPAPI::ServerManager {
public:
    AckingServer() : socket(new AckingSocket()) { SetSocket(socket); }
    void AckAll()
    {
        for (int i = 0; i < kClients; ++i) {
            uint16_t s = socket->pending[i];
            if (!s)
                continue;
            const uint8_t ack[] = {0x40, 1, uint8_t(s), uint8_t(s >> 8), 0, 0};
            InjectDatagram(ack, sizeof ack, 0x0100007Fu, AckingSocket::kFirstPort + i);
            socket->pending[i] = 0;
        }
    }
    AckingSocket* socket;
};

void BM_ServerUpdateWithoutKernel(benchmark::State& state)
{
    AckingServer server;
    std::vector<std::unique_ptr<NetTest::Thing>> players(kClients);
    for (int i = 0; i < kClients; ++i) {
        const uint8_t connect[] = {0xB2, 0x60, 0x0A}, confirm[] = {0xB2, 0x39}, stream[] = {0x40, 0x14};
        int port = AckingSocket::kFirstPort + i;
        server.InjectDatagram(connect, 3, 0x0100007Fu, port);
        server.InjectDatagram(confirm, 2, 0x0100007Fu, port);
        server.InjectDatagram(stream, 2, 0x0100007Fu, port);
        MPAPI::IConnection* c = server.NextNewConnection();
        players[size_t(i)] = std::make_unique<NetTest::Thing>();
        players[size_t(i)]->x = float(i % 8) * 600.0f;
        players[size_t(i)]->y = float(i / 8) * 600.0f;
        if (c)
            c->SetPlayerObject(players[size_t(i)].get());
    }
    std::vector<std::unique_ptr<NetTest::Thing>> things(kObjects);
    for (int i = 0; i < kObjects; ++i) {
        things[size_t(i)] = std::make_unique<NetTest::Thing>();
        things[size_t(i)]->x = float(i % 25) * 200.0f;
        things[size_t(i)]->y = float(i / 25) * 100.0f;
        server.AddObject(things[size_t(i)].get());
    }
    int frame = 0;
    auto move = [&] {
        for (size_t i = 0; i < things.size(); ++i) {
            NetTest::Thing* t = things[i].get();
            float a = float(frame) * 0.02f + float(i);
            t->vx = 40.0f * std::cos(a);
            t->vy = 40.0f * std::sin(a);
            t->x += t->vx * kFrame;
            t->y += t->vy * kFrame;
        }
        ++frame;
    };
    for (int i = 0; i < 200; ++i) {
        move();
        server.Update(kFrame);
        server.AckAll();
    }
    for (auto _ : state) {
        state.PauseTiming();
        move();
        state.ResumeTiming();
        server.Update(kFrame);
        server.AckAll();
    }
    server.RemoveAllObjects();
}
BENCHMARK(BM_ServerUpdateWithoutKernel)->Unit(benchmark::kMillisecond)->Iterations(500);

enum BadKind { kMalformed, kNeverSentAcks, kWrongVersion };

void BM_BadDatagram(benchmark::State& state)
{
    constexpr uint32_t kIp = 0x0100007Fu;
    constexpr int kPort = 5000;
    BenchServer server;
    const uint8_t connect[] = {0xB2, 0x60, 0x0A}, confirm[] = {0xB2, 0x39}, stream[] = {0x40, 0x14};
    server.InjectDatagram(connect, 3, kIp, kPort);
    server.InjectDatagram(confirm, 2, kIp, kPort);
    server.InjectDatagram(stream, 2, kIp, kPort);
    MPAPI::IConnection* c = server.NextNewConnection();
    NetTest::Thing player;
    std::vector<std::unique_ptr<NetTest::Thing>> things(kObjects);
    if (c)
        c->SetPlayerObject(&player);
    for (auto& t : things) {
        t = std::make_unique<NetTest::Thing>();
        server.AddObject(t.get());
    }
    // Entries and packets in flight, as in a match.
    for (int i = 0; i < 30; ++i) {
        for (auto& t : things)
            t->x += 1.0f;
        server.Update(0.05f);
    }
    std::vector<uint8_t> d;
    int port = kPort;
    switch (BadKind(state.range(0))) {
    case kMalformed:
        d = {0x40, 16, 1, 2, 3};
        break;
    case kNeverSentAcks:
        d = {0x40, 16};
        for (int i = 0; i < 16; ++i) {
            d.push_back(uint8_t(0x00 + i));
            d.push_back(0x90);
        }
        d.push_back(0);
        d.push_back(0);
        break;
    case kWrongVersion:
        d = {0xB2, 0x60, 0x0B};
        port = kPort + 1;
        break;
    }
    long before = allocations.load();
    for (auto _ : state)
        server.InjectDatagram(d.data(), int(d.size()), kIp, port);
    state.counters["allocs_per_datagram"] = double(allocations.load() - before) / double(state.iterations());
    server.RemoveAllObjects();
}
BENCHMARK(BM_BadDatagram)
    ->ArgName("kind")
    ->Arg(kMalformed)
    ->Arg(kNeverSentAcks)
    ->Arg(kWrongVersion)
    ->Unit(benchmark::kNanosecond);

// Yardstick of the rows above: the cheapest system call.
void BM_EmptySystemCall(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(getppid());
}
BENCHMARK(BM_EmptySystemCall)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
