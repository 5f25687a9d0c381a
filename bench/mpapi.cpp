// The server's frame with 32 streaming clients on loopback and 500 moving
// replicated objects: CPU time of one Update pass (target 0.25 ms) and the
// bytes sent to each client per second of game time, beside the yardstick
// of sending one full datagram to each of 32 sockets. Then the server's cost
// of one hostile datagram of each kind (target 1 us, nothing allocated),
// beside the yardstick of one empty system call.
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

void BM_ServerUpdate(benchmark::State& state)
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
BENCHMARK(BM_ServerUpdate)->Unit(benchmark::kMillisecond)->Iterations(500);

// Yardstick of the send share of an Update: one full datagram to each of 32
// loopback sockets.
void BM_SendFullDatagramTo32Sockets(benchmark::State& state)
{
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
    uint8_t packet[1400] = {0x40};
    uint8_t sink[1400];
    double cpu = 0;
    for (auto _ : state) {
        double t0 = CpuSeconds();
        for (auto& s : in)
            out.SendTo(packet, sizeof packet, lo, s->GetLocalPort());
        cpu += CpuSeconds() - t0;
        state.PauseTiming();
        for (auto& s : in)
            s->ReceiveFrom(sink, sizeof sink, nullptr, nullptr);
        state.ResumeTiming();
    }
    state.counters["cpu_ms_per_update"] = 1000.0 * cpu / double(state.iterations());
}
BENCHMARK(BM_SendFullDatagramTo32Sockets)->Unit(benchmark::kMillisecond)->Iterations(500);

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
