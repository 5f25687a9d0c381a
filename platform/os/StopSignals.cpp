#include "platform/os/StopSignals.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace Os {

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::atomic<bool> g_taking{false};
std::atomic<int> g_requestedBy{0};

void EndBy(int signal)
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    // Blocked while the handler runs: delivered, by default, as it returns.
    raise(signal);
}

void OnStopSignal(int signal)
{
    int none = 0;
    if (g_taking.load() && g_requestedBy.compare_exchange_strong(none, signal))
        return;
    EndBy(signal);
}

} // namespace

void CatchStopSignals()
{
    static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
                  "the handler may only touch lock-free atomics");
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int s : kStopSignals)
        sigaddset(&action.sa_mask, s);
    action.sa_flags = SA_RESTART;
    for (int s : kStopSignals)
        sigaction(s, &action, nullptr);
}

void TakeStopRequests(bool on) { g_taking.store(on); }

bool StopRequested() { return g_requestedBy.load() != 0; }

void EndByStopSignal()
{
    if (const int signal = g_requestedBy.load()) {
        std::fflush(nullptr);
        EndBy(signal);
    }
}

} // namespace Os
