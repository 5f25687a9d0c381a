// The dedicated server as a whole process: idle, and with 8 and 32
// headless players (each a process of its own) moving and firing on the
// default level, beside the yardstick of a process that only wakes at the
// server's rates; and the time a player takes to fetch the level.
// VORNHAL_BENCH_SECONDS sets how long the hosting is measured (3 s unless
// set; 60 s for the figures). VORNHAL_BENCH_SERVER names another
// server program to measure (another build's, for a before and after in
// one run).
#include "engine/net/LossyRelay.h"
#include "support/ChildProcess.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>
#include <time.h>

namespace {

namespace fs = std::filesystem;
using TestSupport::ChildProcess;

double Seconds()
{
    const char* text = std::getenv("VORNHAL_BENCH_SECONDS");
    double s = text ? std::atof(text) : 0.0;
    return s > 0.0 ? s : 3.0;
}

std::string ServerProgram()
{
    const char* other = std::getenv("VORNHAL_BENCH_SERVER");
    return other && *other ? std::string(other) : std::string(VORNHAL_BUILD_DIR) + "/server";
}

std::unique_ptr<ChildProcess> StartServer(const std::string& folder)
{
    auto server = std::make_unique<ChildProcess>(ServerProgram(), std::vector<std::string>{}, folder);
    if (!server->WaitFor("Playing level levels/tdm_riotcity.lvl.", 30000))
        return nullptr;
    return server;
}

std::unique_ptr<ChildProcess> StartPlayer(const std::string& folder, int port, const std::string& name,
                                          std::vector<std::string> more = {})
{
    fs::create_directories(folder);
    std::vector<std::string> args = {"--port", std::to_string(port), "--name", name};
    args.insert(args.end(), more.begin(), more.end());
    return std::make_unique<ChildProcess>(std::string(VORNHAL_BUILD_DIR) + "/tests/headless_player", args, folder);
}

struct CpuTimes {
    double all = 0, main = 0;
};

// Time on a processor of each thread of a process, in seconds, as the
// scheduler counts it (to the nanosecond, not in clock ticks).
CpuTimes CpuSeconds(int pid)
{
    CpuTimes times;
    const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    for (const auto& task : fs::directory_iterator(tasks, error)) {
        std::ifstream in(task.path() / "schedstat");
        double ns = 0;
        if (!(in >> ns))
            continue;
        times.all += ns / 1e9;
        if (task.path().filename() == std::to_string(pid))
            times.main = ns / 1e9;
    }
    return times;
}

double ResidentMiB(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0.0;
}

// The number after a label in a player's output, or -1.
double After(const std::string& output, const std::string& label)
{
    size_t at = output.rfind(label);
    return at == std::string::npos ? -1.0 : std::atof(output.c_str() + at + label.size());
}

// The cost of a player: the 32-player row's share above the 8-player row's,
// over the 24 players added.
void BM_ServerHosting(benchmark::State& state)
{
    const int players = int(state.range(0));
    const double seconds = Seconds();
    for (auto _ : state) {
        TestSupport::TempDir dir;
        const int port = TestSupport::LayOutGameFolder(dir.File("server"));
        std::unique_ptr<ChildProcess> server = StartServer(dir.File("server"));
        if (!server) {
            state.SkipWithError("the server did not start");
            return;
        }
        std::vector<std::unique_ptr<ChildProcess>> clients;
        for (int i = 0; i < players; ++i)
            clients.push_back(StartPlayer(dir.File("p" + std::to_string(i)), port, "P" + std::to_string(i),
                                          {"--levels", "--fight", "--team", std::to_string(1 + i % 2)}));
        for (auto& c : clients)
            if (!c->WaitFor("joined ", 60000)) {
                state.SkipWithError("a player did not join");
                return;
            }
        // Every player in: measure the hosting from here.
        const CpuTimes cpu0 = CpuSeconds(server->Pid());
        const auto t0 = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - t0 < std::chrono::duration<double>(seconds)) {
            for (auto& c : clients)
                c->Drain(0);
            server->Drain(100);
        }
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const CpuTimes cpu1 = CpuSeconds(server->Pid());
        state.counters["server_cpu_percent_of_core"] = 100.0 * (cpu1.all - cpu0.all) / wall;
        state.counters["server_main_thread_percent"] = 100.0 * (cpu1.main - cpu0.main) / wall;
        state.counters["server_resident_MiB"] = ResidentMiB(server->Pid());
        double in = 0.0, out = 0.0, datagrams = 0.0;
        int reported = 0;
        for (auto& c : clients) {
            c->Signal(SIGTERM);
            c->WaitExit(20000);
            if (After(c->Output(), "rates in ") >= 0.0) {
                in += After(c->Output(), "rates in "), out += After(c->Output(), " out "), ++reported;
                datagrams += std::max(After(c->Output(), "datagrams in "), 0.0);
            }
        }
        state.counters["server_datagrams_per_s"] = datagrams;
        state.counters["client_bytes_in_per_s"] = reported ? in / reported : 0.0;
        state.counters["client_bytes_out_per_s"] = reported ? out / reported : 0.0;
        state.counters["players_reporting"] = reported;
        server->Type("quit\n");
        server->WaitExit(20000);
    }
}
BENCHMARK(BM_ServerHosting)
    ->ArgName("players")
    ->Arg(0)
    ->Arg(8)
    ->Arg(32)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

double ThreadCpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Yardstick of the idle row: two threads that do nothing but wake at the
// server's rates, 100 passes a second and the physics' 200 steps a second.
void BM_WakeAtServerRates(benchmark::State& state)
{
    const double seconds = Seconds();
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        double cpu[2] = {0, 0};
        auto wake = [&](int index, int ms) {
            const double t0 = ThreadCpuSeconds();
            while (!stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            cpu[index] = ThreadCpuSeconds() - t0;
        };
        const auto t0 = std::chrono::steady_clock::now();
        std::thread passes(wake, 0, 10), steps(wake, 1, 5);
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        stop = true;
        passes.join();
        steps.join();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.counters["cpu_percent_of_core"] = 100.0 * (cpu[0] + cpu[1]) / wall;
    }
}
BENCHMARK(BM_WakeAtServerRates)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Connect, fetch the default level whole and load it, through a relay
// losing the given per cent of datagrams each way.
void BM_LevelDownload(benchmark::State& state)
{
    const double loss = double(state.range(0)) / 100.0;
    for (auto _ : state) {
        TestSupport::TempDir dir;
        const int port = TestSupport::LayOutGameFolder(dir.File("server"));
        std::unique_ptr<ChildProcess> server = StartServer(dir.File("server"));
        if (!server) {
            state.SkipWithError("the server did not start");
            return;
        }
        NetTest::LossProfile profile;
        profile.loss = loss;
        NetTest::LossyRelay relay(port, profile, 11);
        std::unique_ptr<ChildProcess> player = StartPlayer(dir.File("p"), relay.GetPort(), "Fetcher");
        if (!player->WaitFor("joined ", 120000)) {
            state.SkipWithError("the player did not join");
            return;
        }
        state.counters["join_ms"] = After(player->Output(), "join took ");
        state.counters["level_bytes"] = double(TestSupport::ReadAll(dir.File("p/levels/tdm_riotcity.lvl")).size());
        player->Signal(SIGTERM);
        player->WaitExit(20000);
        server->Type("quit\n");
        server->WaitExit(20000);
    }
}
BENCHMARK(BM_LevelDownload)->Arg(0)->Arg(10)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
