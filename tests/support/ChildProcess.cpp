#include "support/ChildProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace TestSupport {

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

[[noreturn]] void Exec(const std::string& binary, const std::vector<std::string>& args, const std::string& folder)
{
    if (chdir(folder.c_str()) != 0)
        _exit(120);
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(121);
}

} // namespace

ChildProcess::ChildProcess(const std::string& binary, const std::vector<std::string>& args, const std::string& folder,
                           Io io)
{
    // A test that stops typing must not die of a closed pipe.
    signal(SIGPIPE, SIG_IGN);
    if (io == Terminal) {
        termios mode{};
        cfmakeraw(&mode);
        mode.c_lflag |= ISIG; // Ctrl+C typed on the terminal interrupts
        mode.c_cc[VINTR] = 3;
        mode.c_iflag |= IXON; // and Ctrl+S stops its output, as a terminal starts
        mode.c_cc[VSTOP] = 0x13;
        mode.c_cc[VSTART] = 0x11;
        int terminal = -1;
        pid_ = forkpty(&terminal, nullptr, &mode, nullptr);
        if (pid_ == 0)
            Exec(binary, args, folder);
        if (pid_ > 0) {
            fcntl(terminal, F_SETFD, FD_CLOEXEC);
            input_ = outputFd_ = terminal;
        }
        return;
    }
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0)
        return;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]), close(in[1]);
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(out[1], 2);
        Exec(binary, args, folder);
    }
    close(in[0]);
    close(out[1]);
    if (pid_ < 0) {
        close(in[1]), close(out[0]);
        return;
    }
    input_ = in[1];
    outputFd_ = out[0];
}

ChildProcess::~ChildProcess()
{
    if (Running() && kill(pid_, SIGKILL) == 0)
        WaitExit(5000);
    CloseOutput();
    if (input_ >= 0)
        close(input_);
}

void ChildProcess::CloseOutput()
{
    if (outputFd_ < 0)
        return;
    // A terminal's one descriptor carries both ways.
    if (input_ == outputFd_)
        input_ = -1;
    close(outputFd_);
    outputFd_ = -1;
}

void ChildProcess::Type(const std::string& text)
{
    for (size_t done = 0; input_ >= 0 && done < text.size();) {
        ssize_t n = write(input_, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += size_t(n);
    }
}

void ChildProcess::Drain(int timeoutMs)
{
    for (int wait = timeoutMs; outputFd_ >= 0; wait = 0) {
        pollfd fd{outputFd_, POLLIN, 0};
        if (poll(&fd, 1, wait) <= 0)
            return;
        char buffer[4096];
        // A terminal whose program has ended reads as an error, not as the end.
        ssize_t n = read(outputFd_, buffer, sizeof buffer);
        if (n <= 0) {
            CloseOutput();
            return;
        }
        output_.append(buffer, size_t(n));
    }
}

bool ChildProcess::WaitFor(const std::string& text, int timeoutMs)
{
    for (int64_t end = NowMs() + timeoutMs;;) {
        size_t at = output_.find(text, readPos_);
        if (at != std::string::npos) {
            readPos_ = at + text.size();
            return true;
        }
        int64_t left = end - NowMs();
        if (left <= 0 || outputFd_ < 0)
            return false;
        Drain(int(left < 50 ? left : 50));
    }
}

int ChildProcess::Count(const std::string& text) const
{
    int n = 0;
    for (size_t at = output_.find(text); at != std::string::npos; at = output_.find(text, at + text.size()))
        ++n;
    return n;
}

void ChildProcess::Signal(int signal)
{
    if (Running())
        kill(pid_, signal);
}

bool ChildProcess::Running()
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

int ChildProcess::WaitExit(int timeoutMs)
{
    for (int64_t end = NowMs() + timeoutMs; Running() && NowMs() < end;) {
        if (outputFd_ >= 0)
            Drain(20);
        else
            usleep(10000); // output closed: nothing to wait on but the exit
    }
    Drain(0);
    return Running() ? -1 : status_;
}

} // namespace TestSupport
