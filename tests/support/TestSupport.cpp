#include "support/TestSupport.h"

#include "platform/os/ExitHooks.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

// Defined by a sanitizer's runtime when one is linked in.
extern "C" __attribute__((weak)) void __sanitizer_set_death_callback(void (*callback)());

namespace TestSupport {

namespace {

// The live folders, for a process that ends without unwinding: exit(), the
// engine's fatal error (inside a death test) or a fatal signal. Fixed slots
// and system calls only, so that a signal handler may read them.
struct LiveDir {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 live
    pid_t owner = 0;
    char path[32] = {};
};
constexpr int kLiveDirs = 64;
LiveDir g_live[kLiveDirs];
constexpr int kFatalSignals[] = {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction g_previous[sizeof kFatalSignals / sizeof kFatalSignals[0]];

bool IsDotOrDotDot(const char* name) { return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])); }

bool RemoveTreeAt(int parent, const char* name)
{
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        // Listed again after each removal: a listing changed while being
        // read may skip entries.
        for (bool removed = true; removed;) {
            removed = false;
            lseek(fd, 0, SEEK_SET);
            char buffer[4096];
            for (ssize_t n; (n = getdents64(fd, buffer, sizeof buffer)) > 0;)
                for (ssize_t at = 0; at < n;) {
                    const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
                    at += entry->d_reclen;
                    if (!IsDotOrDotDot(entry->d_name) &&
                        (unlinkat(fd, entry->d_name, 0) == 0 || RemoveTreeAt(fd, entry->d_name)))
                        removed = true;
                }
        }
        close(fd);
    }
    return unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

void RemoveLiveDirs()
{
    const pid_t self = getpid();
    for (LiveDir& d : g_live)
        if (d.state.load(std::memory_order_acquire) == 2 && d.owner == self)
            RemoveTreeAt(AT_FDCWD, d.path);
}

void OnFatalSignal(int signal, siginfo_t* info, void*)
{
    RemoveLiveDirs();
    for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i)
        if (kFatalSignals[i] == signal)
            sigaction(signal, &g_previous[i], nullptr);
    // A fault comes again from the same instruction, now to the handler
    // before ours (a sanitizer's report, or the core dump); anything else
    // is sent again.
    const bool fault = signal != SIGABRT && info->si_code > 0;
    if (!fault)
        raise(signal);
}

void WatchProcessEnd()
{
    static const bool watching = [] {
        std::atexit(RemoveLiveDirs);
        // The engine's fatal errors end the process past the exit handlers,
        // and so do the sanitizers' reports.
        Os::AddExitHook(RemoveLiveDirs);
        if (__sanitizer_set_death_callback)
            __sanitizer_set_death_callback(RemoveLiveDirs);
        struct sigaction action {};
        action.sa_sigaction = OnFatalSignal;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i)
            sigaction(kFatalSignals[i], &action, &g_previous[i]);
        return true;
    }();
    (void)watching;
}

// The slot the folder is kept in, -1 when there is none.
int Track(const std::string& path)
{
    WatchProcessEnd();
    if (path.size() >= sizeof LiveDir::path)
        return -1;
    for (int i = 0; i < kLiveDirs; ++i) {
        int free = 0;
        if (g_live[i].state.compare_exchange_strong(free, 1)) {
            g_live[i].owner = getpid();
            std::memcpy(g_live[i].path, path.c_str(), path.size() + 1);
            g_live[i].state.store(2, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

} // namespace

TempDir::TempDir()
{
    char tmpl[] = "/tmp/vornhal-test-XXXXXX";
    if (!mkdtemp(tmpl))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
    slot_ = Track(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    if (slot_ >= 0)
        g_live[slot_].state.store(0, std::memory_order_release);
}

ScopedChdir::ScopedChdir(const std::string& dir)
{
    char buf[4096];
    if (getcwd(buf, sizeof buf))
        old_ = buf;
    if (chdir(dir.c_str()) != 0)
        throw std::runtime_error("chdir failed: " + dir);
}

ScopedChdir::~ScopedChdir()
{
    if (!old_.empty() && chdir(old_.c_str()) != 0)
        std::perror("chdir");
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteAll(const std::string& path, const void* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes)
{
    WriteAll(path, bytes.data(), bytes.size());
}

void MakeDirs(const std::string& path) { std::filesystem::create_directories(path); }

void WriteFuzzSeed(const std::string& target, const std::string& name, const void* data, size_t size)
{
    const char* root = std::getenv("VORNHAL_FUZZ_SEEDS");
    if (!root || !*root)
        return;
    std::string dir = std::string(root) + "/" + target;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    WriteAll(dir + "/" + name, data, size);
}

void WriteFuzzSeed(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes)
{
    WriteFuzzSeed(target, name, bytes.data(), bytes.size());
}

std::vector<uint8_t> PseudoRandomBytes(size_t n, uint32_t seed)
{
    std::vector<uint8_t> v(n);
    uint32_t s = seed ? seed : 1;
    for (size_t i = 0; i < n; ++i) {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        v[i] = uint8_t(s >> 24);
    }
    return v;
}

} // namespace TestSupport
