#include "platform/os/CrashReport.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace Os {

namespace {

constexpr size_t kContextSize = 512;

struct Context {
    char text[kContextSize];
    size_t length;
};

// Two copies: the handler reads the one not being written.
Context g_contexts[2];
std::atomic<int> g_current{-1};
std::atomic<int> g_exitCode{3};

void Put(const char* text, size_t length)
{
    while (length > 0) {
        const ssize_t n = write(STDERR_FILENO, text, length);
        if (n <= 0)
            return;
        text += n;
        length -= size_t(n);
    }
}

template <size_t N> void Put(const char (&text)[N]) { Put(text, N - 1); }

void OnCrash(int signal)
{
    Put("game: the game crashed: ");
    if (signal == SIGSEGV)
        Put("segmentation fault (SIGSEGV)");
    else if (signal == SIGILL)
        Put("illegal instruction (SIGILL)");
    else
        Put("fatal signal");
    const int current = g_current.load();
    if (current >= 0) {
        Put(" while ");
        Put(g_contexts[current].text, g_contexts[current].length);
    }
    Put("\n");
    _exit(g_exitCode.load());
}

} // namespace

void CatchCrashes(int exitCode)
{
    static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch lock-free atomics");
    g_exitCode.store(exitCode);
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnCrash;
    sigemptyset(&action.sa_mask);
    // A crash in the handler ends the process by default.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGSEGV, &action, nullptr);
    sigaction(SIGILL, &action, nullptr);
}

void SetCrashContext(const char* doing)
{
    const int next = g_current.load() == 0 ? 1 : 0;
    Context& context = g_contexts[next];
    const size_t length = doing ? strnlen(doing, kContextSize - 1) : 0;
    std::memcpy(context.text, doing ? doing : "", length);
    context.length = length;
    g_current.store(next);
}

} // namespace Os
