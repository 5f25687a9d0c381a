#pragma once

#include <string>
#include <vector>

// The real "server" program on a pseudo-terminal in a folder of its own.
class ServerProcess {
public:
    ServerProcess(const std::string& folder, const std::vector<std::string>& args = {});
    ~ServerProcess();

    void Type(const std::string& keys);
    // Reads until the output holds text (after what earlier waits consumed),
    // at most timeoutMs; false when it did not come.
    bool WaitFor(const std::string& text, int timeoutMs = 20000);
    // The exit code, or -1 when the program did not end in time.
    int WaitExit(int timeoutMs = 20000);
    bool Running();
    const std::string& Output() const { return output_; }
    // Output since the last WaitFor's match.
    std::string Unread() const { return output_.substr(readPos_); }

private:
    bool Drain(int timeoutMs);

    int pid_ = -1;
    int master_ = -1;
    int status_ = -1;
    std::string output_;
    size_t readPos_ = 0;
};
