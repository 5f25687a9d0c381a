#include "ServerProcess.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <iterator>
#include <random>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ServerProcess::ServerProcess(const std::string& folder, const std::vector<std::string>& args)
{
    termios mode{};
    cfmakeraw(&mode);
    mode.c_lflag |= ISIG; // Ctrl+C typed on the terminal interrupts
    mode.c_cc[VINTR] = 3;
    std::string binary = std::string(VORNHAL_BUILD_DIR) + "/server";
    pid_ = forkpty(&master_, nullptr, &mode, nullptr);
    if (pid_ == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(120);
        std::vector<char*> argv{const_cast<char*>(binary.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(121);
    }
}

ServerProcess::~ServerProcess()
{
    if (Running() && kill(pid_, SIGKILL) == 0)
        WaitExit(5000);
    close(master_);
}

// A free UDP port the program binds later. Found below the kernel's range
// for unnamed binds, so that no other test's socket can take it meanwhile.
int ServerProcess::FreePort()
{
    int low = 0, high = 0;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> low >> high;
    std::mt19937 pick{std::random_device{}()};
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    bool found = false;
    for (int attempt = 0; attempt < 100 && low > 12000 && !found; ++attempt) {
        a.sin_port = htons(uint16_t(low - 1 - int(pick() % 10000u)));
        found = bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    if (!found) {
        a.sin_port = 0;
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    socklen_t size = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
    close(s);
    return ntohs(a.sin_port);
}

int ServerProcess::LayOutGameFolder(const std::string& folder)
{
    const int port = FreePort();
    namespace fs = std::filesystem;
    const fs::path build = VORNHAL_BUILD_DIR;
    fs::create_directories(fs::path(folder) / "levels");
    fs::copy_file(build / "game.data", fs::path(folder) / "game.data");
    fs::copy_file(build / "game.opt", fs::path(folder) / "game.opt");
    for (const auto& entry : fs::directory_iterator(build / "levels"))
        if (entry.path().extension() == ".lvl")
            fs::copy_file(entry.path(), fs::path(folder) / "levels" / entry.path().filename());
    SetOption(folder, "serverport", std::to_string(port));
    SetOption(folder, "masterserver", "127.0.0.1:1");
    return port;
}

std::string ServerProcess::ReadText(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ServerProcess::SetOption(const std::string& folder, const std::string& key, const std::string& value)
{
    std::regex element("<" + key + ">[^<]*</" + key + ">");
    std::string text = ReadText(folder + "/game.opt");
    std::ofstream(folder + "/game.opt") << std::regex_replace(text, element, "<" + key + ">" + value + "</" + key + ">");
}

void ServerProcess::Type(const std::string& keys)
{
    for (size_t done = 0; done < keys.size();) {
        ssize_t n = write(master_, keys.data() + done, keys.size() - done);
        if (n <= 0)
            return;
        done += size_t(n);
    }
}

bool ServerProcess::Drain(int timeoutMs)
{
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0)
        return false;
    char buffer[4096];
    ssize_t n = read(master_, buffer, sizeof buffer);
    output_.append(buffer, n > 0 ? size_t(n) : 0);
    return n > 0;
}

bool ServerProcess::WaitFor(const std::string& text, int timeoutMs)
{
    for (int64_t end = NowMs() + timeoutMs;;) {
        size_t at = output_.find(text, readPos_);
        if (at != std::string::npos) {
            readPos_ = at + text.size();
            return true;
        }
        int64_t left = end - NowMs();
        if (left <= 0)
            return false;
        Drain(int(left < 50 ? left : 50));
    }
}

bool ServerProcess::Running()
{
    if (pid_ <= 0 || status_ >= 0)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

int ServerProcess::WaitExit(int timeoutMs)
{
    for (int64_t end = NowMs() + timeoutMs; Running() && NowMs() < end;)
        Drain(20);
    while (Drain(10)) {
    }
    return Running() ? -1 : status_;
}
