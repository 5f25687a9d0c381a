#pragma once

#include "engine/core/List.h"
#include "engine/web/HTTPResponseParser.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace Net {
class TcpSocket;
}

namespace HTTPUtils {

// One HTTP/1.1 request with "Connection: Close": a GET or POST whose reply
// is read whole, or a GET whose body is handed out piece by piece. Every
// wait has a time-out and whole replies have a size cap, so a master server
// that stops answering holds no caller for long.
class HTTPConnection {
public:
    struct Param_t {
        char16_t* name;
        char16_t* value; // percent-encoded when added
    };

    struct Url {
        std::string host;
        int port = 80;
        std::string path; // escaped; empty when the URL has none
        bool hasPath = false;
    };

    static constexpr int kChunkSize = 1024;
    static constexpr int kDefaultConnectTimeoutMs = 5000;
    static constexpr int kDefaultReceiveTimeoutMs = 10000;
    static constexpr size_t kMaxReplyBytes = 16u << 20;
    // A streamed reply's header must be in within this time, however it
    // trickles, and its body may go this long without a byte.
    static constexpr int kDefaultHeaderDeadlineMs = 30000;
    static constexpr int kDefaultBodyIdleMs = 30000;

    // The moment an owner stops waiting on its requests (its shutdown): no
    // request starts after it, and one under way ends then, whatever its
    // time-outs still allow. Waits for data are cut into slices of
    // kGiveUpSliceMs to notice it; a connect under way runs its time-out out.
    class GiveUp {
    public:
        void At(std::chrono::steady_clock::time_point when);
        void Never();
        // Milliseconds left, INT_MAX while none is set, 0 once it passed.
        int LeftMs() const;

    private:
        std::atomic<int64_t> at_{INT64_MAX}; // steady clock ticks
    };
    static constexpr int kGiveUpSliceMs = 100;

    HTTPConnection();
    ~HTTPConnection();
    HTTPConnection(const HTTPConnection&) = delete;
    HTTPConnection& operator=(const HTTPConnection&) = delete;

    void AddParam(const char16_t* name, const char16_t* value);
    void AddParam(const char16_t* name, int value);

    // False when the connection cannot be made or the request not sent.
    bool Get(const char16_t* url, bool readWhole);
    bool Post(const char16_t* url, int length, const char* data);

    // After Get(url, false): the next body bytes, at most kChunkSize, into
    // buffer; 0 at the end of the body, when the reply failed or when no
    // body byte came within the body idle time.
    int ReceiveChunk(char* buffer);
    // After Get(url, false): reads until the reply's header is in; false
    // when it did not come within the header deadline.
    bool WaitForHeader();

    // After a whole read: the body, null when there is none.
    const char* GetBody() const;
    int GetBodyLength() const;
    int GetStatusCode() const { return parser_ ? parser_->GetStatusCode() : 0; }
    int64_t GetContentLength() const { return parser_ ? parser_->GetContentLength() : -1; }
    // The body arrived whole as the reply framed it.
    bool IsComplete() const { return parser_ && parser_->IsDone(); }
    // A 2xx reply that arrived whole.
    bool Succeeded() const;

    void SetTimeouts(int connectMs, int receiveMs);
    // giveUp: the owner's, which outlives the request; null for none.
    void SetGiveUp(const GiveUp* giveUp) { giveUp_ = giveUp; }
    void SetStreamDeadlines(int headerMs, int bodyIdleMs);

    const Util::List<Param_t>& GetParams() const { return params_; }

    // The helpers, open for their tests.
    static std::u16string EncodeValue(const char16_t* value);
    static bool SplitUrl(const char16_t* url, Url* out);
    static std::string EscapePath(const char16_t* path);
    // The URL followed by "?name=value&..." of the parameters.
    std::u16string BuildRequestUrl(const char16_t* url) const;
    static std::string GetRequestText(const Url& url);
    static std::string PostRequestHead(const Url& url, int length);

private:
    bool Open(const char16_t* url, Url* split);
    void ReadWhole();
    // One receive into the parser, waiting at most until deadline; false
    // at the end of the stream.
    bool ReceiveMore(std::chrono::steady_clock::time_point deadline, const char* late);
    // The owner's time left, INT_MAX without one; 0 once it gave up.
    int GiveUpLeftMs() const;

    std::unique_ptr<Net::TcpSocket> socket_;
    std::unique_ptr<HTTPResponseParser> parser_;
    Util::List<Param_t> params_;
    int connectTimeoutMs_ = kDefaultConnectTimeoutMs;
    int receiveTimeoutMs_ = kDefaultReceiveTimeoutMs;
    int headerDeadlineMs_ = kDefaultHeaderDeadlineMs;
    int bodyIdleMs_ = kDefaultBodyIdleMs;
    bool ended_ = false;
    const GiveUp* giveUp_ = nullptr;
};

} // namespace HTTPUtils
