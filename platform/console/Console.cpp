#include "platform/console/Console.h"

#include "platform/os/ExitHooks.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace Console {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
bool g_terminal = false;
bool g_saved = false;
bool g_ended = false;
termios g_original{};

// Where an escape sequence is being skipped.
enum class Escape { None, Start, Params };
Escape g_escape = Escape::None;

void OnInterrupt(int) { g_interrupted = 1; }

// One byte, waiting at most timeoutMs (-1: forever); -1 when there is none.
int ReadByte(int timeoutMs)
{
    if (g_ended)
        return -1;
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    int ready = poll(&fd, 1, timeoutMs);
    if (ready < 0 && errno != EINTR)
        g_ended = true;
    if (ready <= 0)
        return -1;
    unsigned char byte = 0;
    ssize_t n = read(STDIN_FILENO, &byte, 1);
    if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
        g_ended = true;
        return -1;
    }
    return n == 1 ? int(byte) : -1;
}

// Key code of a byte, or kNoKey for what is not a key of ours.
int MapByte(int byte)
{
    switch (g_escape) {
    case Escape::Start:
        g_escape = byte == '[' || byte == 'O' ? Escape::Params : Escape::None;
        return kNoKey;
    case Escape::Params:
        if (byte >= 0x40 && byte <= 0x7E)
            g_escape = Escape::None;
        return kNoKey;
    case Escape::None:
        break;
    }
    if (byte == 0x1B) {
        g_escape = Escape::Start;
        return kNoKey;
    }
    if (byte == '\n' || byte == '\r')
        return kEnter;
    if (byte == 0x7F || byte == 0x08)
        return kBackspace;
    if (byte < 0x20)
        return kNoKey;
    return byte;
}

} // namespace

void Open()
{
    g_terminal = isatty(STDIN_FILENO) == 1;
    if (!g_terminal || g_saved || tcgetattr(STDIN_FILENO, &g_original) != 0)
        return;
    termios raw = g_original;
    raw.c_lflag &= tcflag_t(~(ICANON | ECHO));
    // Ctrl+S would hold all output until Ctrl+Q: here it is no key at all.
    raw.c_iflag &= tcflag_t(~IXON);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) {
        g_saved = true;
        std::atexit(Restore);
        // A fatal error ends the process without the exit handlers.
        Os::AddExitHook(Restore);
    }
}

void Restore()
{
    if (g_saved)
        tcsetattr(STDIN_FILENO, TCSANOW, &g_original);
    g_saved = false;
}

int PollKey()
{
    for (;;) {
        int byte = ReadByte(0);
        if (byte < 0)
            return kNoKey;
        int key = MapByte(byte);
        if (key != kNoKey)
            return key;
    }
}

void WaitKey()
{
    while (!g_interrupted) {
        int byte = ReadByte(-1);
        if (byte >= 0 || g_ended)
            return;
    }
}

void InstallInterruptFlag()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocked read returns so the flag is seen.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal ends the server in order too; a console that went
    // away must not end it in the middle of a write.
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

bool InterruptRequested() { return g_interrupted != 0; }

} // namespace Console
