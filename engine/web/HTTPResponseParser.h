#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace HTTPUtils {

// Frames one HTTP/1.1 response fed in arbitrary pieces: the header (at most
// 10,240 bytes), then a body delimited by Content-Length, by chunked
// transfer coding, or by the end of the stream. Body bytes collect in a
// buffer the caller reads or takes from; nothing is read past what the
// framing allows.
class HTTPResponseParser {
public:
    static constexpr size_t kMaxHeader = 10240;

    enum class State { Header, Body, Done, Error };

    // maxBody caps the bytes held at once (0 = no cap): a whole-body read
    // sets the reply cap, a streaming reader drains as it goes.
    explicit HTTPResponseParser(size_t maxBody = 0) : maxBody_(maxBody) {}

    // Takes bytes from the stream; returns how many were used (the rest lie
    // beyond the response or came after an error).
    size_t Feed(const char* data, size_t size);
    // The stream ended: completes a close-delimited body, fails a short one.
    void Finish();
    // The stream broke off (time-out, error): whatever came is not whole.
    void Abort(const char* why) { Fail(why); }

    State GetState() const { return state_; }
    bool HeaderComplete() const { return headerDone_; }
    bool IsDone() const { return state_ == State::Done; }
    bool HasError() const { return state_ == State::Error; }
    const char* GetError() const { return error_; }

    int GetStatusCode() const { return statusCode_; }
    int64_t GetContentLength() const { return contentLength_; } // -1 when not given
    bool IsChunked() const { return chunked_; }

    // Body bytes held (not yet taken).
    size_t BodySize() const { return body_.size() - bodyStart_; }
    const char* BodyData() const { return body_.data() + bodyStart_; }
    // Total body bytes framed so far, taken or not.
    int64_t BodyTotal() const { return bodyTotal_; }
    // Moves up to size held bytes to out; returns the count.
    size_t TakeBody(char* out, size_t size);

private:
    enum class BodyMode { Length, Chunked, ToClose };
    enum class ChunkStep { SizeLine, Data, DataEnd, Trailer };

    void Fail(const char* why);
    void ParseHeader(bool atEnd);
    bool HeaderLine(const char* line, size_t length);
    void StartBody();
    size_t FeedBody(const char* data, size_t size);
    size_t FeedChunked(const char* data, size_t size);
    bool AppendBody(const char* data, size_t size);
    // A line of the chunk framing from line_ plus data; returns the bytes
    // used, and sets complete when the line ended.
    size_t TakeLine(const char* data, size_t size, bool* complete);

    size_t maxBody_;
    State state_ = State::Header;
    const char* error_ = "";
    bool headerDone_ = false;
    std::string header_;
    size_t headerScan_ = 0;
    bool statusSeen_ = false;
    int statusCode_ = 0;
    int64_t contentLength_ = -1;
    bool chunked_ = false;
    BodyMode mode_ = BodyMode::ToClose;
    int64_t remaining_ = 0;
    ChunkStep step_ = ChunkStep::SizeLine;
    std::string line_;
    std::string body_;
    size_t bodyStart_ = 0;
    int64_t bodyTotal_ = 0;
};

} // namespace HTTPUtils
