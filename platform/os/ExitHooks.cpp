#include "platform/os/ExitHooks.h"

#include <atomic>
#include <cstdio>
#include <unistd.h>

namespace Os {

namespace {

// Fixed slots: nothing here allocates, so a fatal path may run them.
std::atomic<void (*)()> g_hooks[kMaxExitHooks];

} // namespace

void AddExitHook(void (*hook)())
{
    if (!hook)
        return;
    for (auto& slot : g_hooks) {
        void (*empty)() = nullptr;
        if (slot.load() == hook || slot.compare_exchange_strong(empty, hook))
            return;
    }
}

void ExitNow(int code)
{
    for (auto& slot : g_hooks)
        if (void (*hook)() = slot.exchange(nullptr))
            hook();
    std::fflush(nullptr);
    _exit(code);
}

} // namespace Os
