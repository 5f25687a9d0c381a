#include "ServerProcess.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <pty.h>
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
