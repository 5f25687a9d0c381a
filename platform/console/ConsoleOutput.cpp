#include "platform/console/ConsoleOutput.h"

#include "platform/os/ExitHooks.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace Console {

namespace {

constexpr int kPollMs = 100;

// The output a process that ends at once (a fatal error) still writes out.
std::atomic<ConsoleOutput*> g_open{nullptr};

void WriteOutAtExit()
{
    if (ConsoleOutput* output = g_open.load())
        output->WriteOut();
}

} // namespace

ConsoleOutput::ConsoleOutput(int fd) : fd_(fd)
{
    struct stat st;
    // A file on disk takes its bytes without waiting on anyone. Anything
    // else is opened a second time to be written without waiting: the
    // descriptor we were given shares its mode with the shell and with our
    // own standard input.
    if (fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        const int own = ::open(self.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (own >= 0) {
            fd_ = own;
            ownsFd_ = true;
        } else {
            socket_ = S_ISSOCK(st.st_mode);
        }
    }
    writer_ = std::thread(&ConsoleOutput::Run, this);
    g_open = this;
    Os::AddExitHook(WriteOutAtExit);
}

ConsoleOutput::~ConsoleOutput()
{
    ConsoleOutput* self = this;
    g_open.compare_exchange_strong(self, nullptr);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    writer_.join();
    if (ownsFd_)
        ::close(fd_);
}

void ConsoleOutput::Write(std::string piece)
{
    if (piece.empty())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (queue_.size() >= kMaxPieces || bytes_ + piece.size() > kMaxBytes) {
            ++dropped_;
            return;
        }
        bytes_ += piece.size();
        queue_.push_back(std::move(piece));
    }
    wake_.notify_one();
}

void ConsoleOutput::CountDropped(int pieces)
{
    std::lock_guard<std::mutex> lock(mutex_);
    dropped_ += pieces;
}

int ConsoleOutput::TakeDropped()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (dropped_ == 0 || !queue_.empty() || writing_)
        return 0;
    const int n = dropped_;
    dropped_ = 0;
    return n;
}

void ConsoleOutput::WriteOut()
{
    stopping_ = true;
    std::deque<std::string> rest;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        rest.swap(queue_);
        bytes_ = 0;
    }
    for (const std::string& piece : rest)
        if (!Put(piece))
            return;
}

void ConsoleOutput::Run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        std::string piece = std::move(queue_.front());
        queue_.pop_front();
        bytes_ -= piece.size();
        writing_ = true;
        lock.unlock();
        const bool written = Put(piece);
        lock.lock();
        writing_ = false;
        if (!written) {
            dropped_ += int(queue_.size()) + 1;
            queue_.clear();
            bytes_ = 0;
            return;
        }
    }
}

bool ConsoleOutput::Put(const std::string& piece)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point progress = Clock::now();
    for (size_t at = 0; at < piece.size() && !broken_;) {
        const ssize_t n = socket_ ? ::send(fd_, piece.data() + at, piece.size() - at, MSG_DONTWAIT | MSG_NOSIGNAL)
                                  : ::write(fd_, piece.data() + at, piece.size() - at);
        if (n > 0) {
            at += size_t(n);
            progress = Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            WaitWritable();
            if (stopping_ && Clock::now() - progress > std::chrono::milliseconds(kCloseWaitMs))
                return false;
            continue;
        }
        // A terminal hung up or a reader gone: nobody will see any more.
        broken_ = true;
    }
    return true;
}

void ConsoleOutput::WaitWritable()
{
    pollfd p{fd_, POLLOUT, 0};
    ::poll(&p, 1, kPollMs);
}

} // namespace Console
