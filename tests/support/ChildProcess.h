#pragma once

#include <string>
#include <vector>

namespace TestSupport {

// A program run in a folder of its own. Its standard input and output (with
// standard error) are pipes, as when a script or a supervisor runs it, or
// one pseudo-terminal, as when a person types at its console.
class ChildProcess {
public:
    enum Io { Pipes, Terminal };

    ChildProcess(const std::string& binary, const std::vector<std::string>& args, const std::string& folder,
                 Io io = Pipes);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    int Pid() const { return pid_; }
    void Type(const std::string& text);
    // Reads what has come, waiting at most timeoutMs for the first bytes.
    void Drain(int timeoutMs = 0);
    // Reads until the output holds text after what earlier waits consumed,
    // at most timeoutMs; false when it did not come.
    bool WaitFor(const std::string& text, int timeoutMs = 20000);
    // Occurrences of text in the whole output so far.
    int Count(const std::string& text) const;
    void Signal(int signal);
    bool Running();
    // The exit code (128 + signal when killed), or -1 when still running.
    int WaitExit(int timeoutMs = 20000);
    const std::string& Output() const { return output_; }
    // Output since the last WaitFor's match.
    std::string Unread() const { return output_.substr(readPos_); }

private:
    void CloseOutput();

    int pid_ = -1;
    int input_ = -1;
    int outputFd_ = -1;
    int status_ = -1;
    std::string output_;
    size_t readPos_ = 0;
};

} // namespace TestSupport
