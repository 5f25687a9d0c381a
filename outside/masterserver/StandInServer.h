#pragma once

#include "StandInState.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

// Answers the master-server and update-service requests. Serve may run on
// many connections at once: the state is kept under one lock, held only
// while a request is handled, never while a peer is waited for.
class StandInServer {
public:
    struct Request {
        std::string method;
        std::string path;
        std::map<std::string, std::string> query;
        std::string body;
        std::string peer;
        std::string host; // as the Host header gave it
    };
    struct Reply {
        int status = 200;
        std::string contentType = "text/xml";
        std::string body;
    };

    // A request must arrive whole within this time, however it trickles.
    static constexpr int kRequestDeadlineMs = 10000;
    // A reply must move on within this time, or its reader is dropped.
    static constexpr int kSendIdleMs = 10000;
    // Game servers announce every minute; three missed ones drop a server.
    static constexpr int64_t kDefaultServerTimeout = 180;

    StandInServer(StandInState* state, std::string filesDir) : state_(state), filesDir_(std::move(filesDir)) {}

    void SetServerTimeout(int64_t seconds) { serverTimeout_ = seconds; }
    void SetAccountsFile(std::string path) { accountsPath_ = std::move(path); }
    // Forgets, and saves so, the servers whose port refuses datagrams: a
    // game server that quit cannot say so (the service has no request for
    // it), so it is looked for.
    void DropDeadServers();
    // How long the refusals of the servers' hosts are waited for.
    static constexpr int kProbeWaitMs = 100;
    // Seconds since the epoch; the tests' clock instead of the wall clock.
    void SetClock(std::function<int64_t()> clock) { clock_ = std::move(clock); }

    // Reads one request from the connected socket, answers it and returns.
    void Serve(int fd, const std::string& peer);
    // Parses the head (up to the empty line) of a request.
    static bool ParseHead(const std::string& head, Request* r, size_t* contentLength);
    Reply Handle(const Request& request);

    // A copy of the state as it is between requests.
    StandInState Snapshot();

    static std::string PercentDecode(const std::string& text);
    // Strict: only the alphabet, whole groups, padding at the end.
    static bool Base64Decode(const std::string& text, std::string* out);
    static void Unscramble(unsigned char record[26]);

private:
    int64_t Now() const;
    Reply Login(const Request& r);
    Reply Servers();
    Reply UserId(const Request& r);
    Reply AddServer(const Request& r);
    Reply UpdateScores(const Request& r);
    Reply StaticFile(const std::string& path);
    // Without an "updates.xml" in the files folder: every package there
    // (a "*.data" file with a package header), by data version, offered
    // from this service.
    Reply UpdateList(const std::string& host);

    std::mutex mutex_;
    StandInState* state_;
    std::string filesDir_;
    std::string accountsPath_;
    int64_t serverTimeout_ = kDefaultServerTimeout;
    std::function<int64_t()> clock_;
};
