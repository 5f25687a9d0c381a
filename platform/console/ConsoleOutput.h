#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace Console {

// Standard output written by a thread of its own, so that no caller ever
// waits for the terminal: a terminal stopped with Ctrl+S, one that nobody
// reads or a stalled pipe takes the text later or never, while Write
// returns at once. Text that finds the queue full is dropped and counted.
class ConsoleOutput {
public:
    static constexpr size_t kMaxPieces = 512;
    static constexpr size_t kMaxBytes = 32 * 1024;
    // How long the last pieces may wait for a terminal that takes nothing
    // when the output closes.
    static constexpr int kCloseWaitMs = 2000;

    explicit ConsoleOutput(int fd);
    // Writes what is still queued (giving up after kCloseWaitMs without
    // progress), then stops and joins the writer.
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // Queues the piece, or drops and counts it when the queue is full.
    void Write(std::string piece);
    // Counts pieces that never reached the queue.
    void CountDropped(int pieces);
    // The pieces dropped since the last call, once everything queued has
    // gone out; 0 while the queue still holds some or none were dropped.
    int TakeDropped();
    // Writes what is queued on the calling thread, for a process that ends
    // without its destructors.
    void WriteOut();

private:
    void Run();
    // False when it gave up on a terminal that takes nothing while closing.
    bool Put(const std::string& piece);
    void WaitWritable();

    int fd_;
    bool ownsFd_ = false;
    bool socket_ = false;
    std::atomic<bool> broken_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> queue_;
    size_t bytes_ = 0;
    bool writing_ = false;
    std::atomic<bool> stopping_{false};
    int dropped_ = 0;
    std::thread writer_;
};

} // namespace Console
