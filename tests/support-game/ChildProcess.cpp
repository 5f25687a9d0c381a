#include "ChildProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace TestGame {

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ChildProcess::ChildProcess(const std::string& binary, const std::vector<std::string>& args,
                           const std::string& folder)
{
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
        if (chdir(folder.c_str()) != 0)
            _exit(120);
        std::vector<char*> argv{const_cast<char*>(binary.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(121);
    }
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    output_fd_ = out[0];
    // A test that stops typing must not die of a closed pipe.
    signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess()
{
    if (Running() && kill(pid_, SIGKILL) == 0)
        WaitExit(5000);
    if (input_ >= 0)
        close(input_);
    if (output_fd_ >= 0)
        close(output_fd_);
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
    for (int wait = timeoutMs; output_fd_ >= 0; wait = 0) {
        pollfd fd{output_fd_, POLLIN, 0};
        if (poll(&fd, 1, wait) <= 0)
            return;
        char buffer[4096];
        ssize_t n = read(output_fd_, buffer, sizeof buffer);
        if (n <= 0) {
            close(output_fd_);
            output_fd_ = -1;
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
        if (left <= 0 || output_fd_ < 0)
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
    for (int64_t end = NowMs() + timeoutMs; Running() && NowMs() < end;)
        Drain(20);
    Drain(0);
    return Running() ? -1 : status_;
}

} // namespace TestGame
