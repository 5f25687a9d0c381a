// The server's frame with 32 streaming clients on loopback and 500 moving
// replicated objects: CPU time of one Update pass (target under 1 ms) and
// the bytes sent to each client per second of game time.
#include "engine/net/Socket.h"
#include "tests/engine/net/MpapiTestObjects.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

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

} // namespace

BENCHMARK_MAIN();
