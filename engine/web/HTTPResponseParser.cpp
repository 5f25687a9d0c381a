#include "engine/web/HTTPResponseParser.h"

#include <algorithm>
#include <cstring>

namespace HTTPUtils {

namespace {

constexpr size_t kMaxFramingLine = 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const char* s, size_t n)
{
    size_t b = 0;
    while (b < n && IsBlank(s[b]))
        ++b;
    while (n > b && IsBlank(s[n - 1]))
        --n;
    return std::string(s + b, n - b);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

void HTTPResponseParser::Fail(const char* why)
{
    if (state_ != State::Error) {
        state_ = State::Error;
        error_ = why;
    }
}

size_t HTTPResponseParser::Feed(const char* data, size_t size)
{
    if (!data || size == 0)
        return 0;
    size_t used = 0;
    if (state_ == State::Header) {
        size_t room = kMaxHeader - header_.size();
        size_t take = std::min(room, size);
        size_t before = header_.size();
        header_.append(data, take);
        ParseHeader(false);
        if (state_ == State::Header) {
            if (header_.size() >= kMaxHeader)
                Fail("header too long");
            return take;
        }
        if (state_ == State::Error)
            return take;
        // Part of what was appended belongs to the body.
        size_t headerEnd = headerScan_;
        used = headerEnd > before ? headerEnd - before : 0;
        used += FeedBody(header_.data() + headerEnd, header_.size() - headerEnd);
        header_.resize(headerEnd);
        data += take;
        size -= take;
    }
    if (state_ == State::Body)
        used += FeedBody(data, size);
    return used;
}

void HTTPResponseParser::Finish()
{
    if (state_ == State::Header) {
        ParseHeader(true);
        if (state_ == State::Body) {
            size_t headerEnd = headerScan_;
            FeedBody(header_.data() + headerEnd, header_.size() - headerEnd);
            header_.resize(headerEnd);
        } else if (state_ == State::Header) {
            Fail("header incomplete");
        }
    }
    if (state_ != State::Body)
        return;
    if (mode_ == BodyMode::ToClose)
        state_ = State::Done;
    else
        Fail("body truncated");
}

void HTTPResponseParser::ParseHeader(bool atEnd)
{
    while (state_ == State::Header) {
        size_t i = headerScan_;
        while (i < header_.size() && header_[i] != '\r' && header_[i] != '\n')
            ++i;
        if (i >= header_.size())
            return; // no complete line yet
        // A CR or LF may pair with the other one in either order; a last
        // byte that could still pair waits for the next receive.
        size_t end = i + 1;
        if (end < header_.size()) {
            char other = header_[i] == '\r' ? '\n' : '\r';
            if (header_[end] == other)
                ++end;
        } else if (!atEnd) {
            return;
        }
        const char* line = header_.data() + headerScan_;
        size_t length = i - headerScan_;
        headerScan_ = end;
        if (!statusSeen_) {
            statusSeen_ = true;
            // "HTTP/1.x NNN reason"
            if (length < 12 || std::memcmp(line, "HTTP/", 5) != 0) {
                Fail("no status line");
                return;
            }
            const char* sp = static_cast<const char*>(std::memchr(line, ' ', length));
            if (!sp || size_t(sp - line) + 4 > length) {
                Fail("no status code");
                return;
            }
            int code = 0;
            for (int k = 1; k <= 3; ++k) {
                if (sp[k] < '0' || sp[k] > '9') {
                    Fail("no status code");
                    return;
                }
                code = code * 10 + (sp[k] - '0');
            }
            statusCode_ = code;
            continue;
        }
        if (length == 0) {
            StartBody();
            return;
        }
        if (!HeaderLine(line, length))
            return;
    }
}

bool HTTPResponseParser::HeaderLine(const char* line, size_t length)
{
    const char* colon = static_cast<const char*>(std::memchr(line, ':', length));
    if (!colon)
        return true; // not a field; ignored
    std::string name = Lower(Trim(line, size_t(colon - line)));
    std::string value = Trim(colon + 1, length - size_t(colon - line) - 1);
    if (name == "content-length") {
        if (value.empty() || value.size() > 18)
            return Fail("bad Content-Length"), false;
        int64_t v = 0;
        for (char c : value) {
            if (c < '0' || c > '9')
                return Fail("bad Content-Length"), false;
            v = v * 10 + (c - '0');
        }
        if (contentLength_ >= 0 && contentLength_ != v)
            return Fail("conflicting Content-Length"), false;
        contentLength_ = v;
    } else if (name == "transfer-encoding") {
        std::string codings = Lower(value);
        size_t comma = codings.rfind(',');
        std::string last = Trim(codings.data() + (comma == std::string::npos ? 0 : comma + 1),
                                codings.size() - (comma == std::string::npos ? 0 : comma + 1));
        if (last == "chunked" && comma == std::string::npos)
            chunked_ = true;
        else if (codings != "identity")
            return Fail("unsupported transfer coding"), false;
    }
    return true;
}

void HTTPResponseParser::StartBody()
{
    headerDone_ = true;
    state_ = State::Body;
    if (statusCode_ == 204 || statusCode_ == 304 || (statusCode_ >= 100 && statusCode_ < 200)) {
        state_ = State::Done;
        return;
    }
    if (chunked_) {
        mode_ = BodyMode::Chunked;
        step_ = ChunkStep::SizeLine;
    } else if (contentLength_ >= 0) {
        if (maxBody_ && uint64_t(contentLength_) > maxBody_) {
            Fail("reply too large");
            return;
        }
        mode_ = BodyMode::Length;
        remaining_ = contentLength_;
        if (remaining_ == 0)
            state_ = State::Done;
    } else {
        mode_ = BodyMode::ToClose;
    }
}

size_t HTTPResponseParser::FeedBody(const char* data, size_t size)
{
    if (state_ != State::Body || size == 0)
        return 0;
    switch (mode_) {
    case BodyMode::Length: {
        size_t n = size_t(std::min<int64_t>(int64_t(size), remaining_));
        if (!AppendBody(data, n))
            return n;
        remaining_ -= int64_t(n);
        if (remaining_ == 0)
            state_ = State::Done;
        return n;
    }
    case BodyMode::ToClose:
        AppendBody(data, size);
        return size;
    case BodyMode::Chunked:
        return FeedChunked(data, size);
    }
    return 0;
}

size_t HTTPResponseParser::TakeLine(const char* data, size_t size, bool* complete)
{
    *complete = false;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            if (!line_.empty() && line_.back() == '\r')
                line_.pop_back();
            *complete = true;
            return i + 1;
        }
        line_.push_back(data[i]);
        if (line_.size() > kMaxFramingLine) {
            Fail("chunk framing line too long");
            return i + 1;
        }
    }
    return size;
}

size_t HTTPResponseParser::FeedChunked(const char* data, size_t size)
{
    size_t used = 0;
    while (used < size && state_ == State::Body) {
        if (step_ == ChunkStep::Data) {
            size_t n = size_t(std::min<int64_t>(int64_t(size - used), remaining_));
            if (!AppendBody(data + used, n))
                return used + n;
            used += n;
            remaining_ -= int64_t(n);
            if (remaining_ == 0)
                step_ = ChunkStep::DataEnd;
            continue;
        }
        bool complete = false;
        used += TakeLine(data + used, size - used, &complete);
        if (!complete)
            break;
        std::string line;
        line.swap(line_);
        if (step_ == ChunkStep::SizeLine) {
            int64_t v = 0;
            size_t k = 0;
            while (k < line.size() && HexDigit(line[k]) >= 0) {
                if (k >= 15)
                    return Fail("chunk size too large"), used;
                v = v * 16 + HexDigit(line[k]);
                ++k;
            }
            size_t rest = k;
            while (rest < line.size() && IsBlank(line[rest]))
                ++rest;
            if (k == 0 || (rest < line.size() && line[rest] != ';'))
                return Fail("bad chunk size"), used;
            if (v == 0) {
                step_ = ChunkStep::Trailer;
            } else {
                remaining_ = v;
                step_ = ChunkStep::Data;
            }
        } else if (step_ == ChunkStep::DataEnd) {
            if (!line.empty())
                return Fail("chunk not followed by a line end"), used;
            step_ = ChunkStep::SizeLine;
        } else if (line.empty()) { // end of the trailer
            state_ = State::Done;
        }
    }
    return used;
}

bool HTTPResponseParser::AppendBody(const char* data, size_t size)
{
    if (size == 0)
        return true;
    if (maxBody_ && (BodySize() > maxBody_ || size > maxBody_ - BodySize())) {
        Fail("reply too large");
        return false;
    }
    body_.append(data, size);
    bodyTotal_ += int64_t(size);
    return true;
}

size_t HTTPResponseParser::TakeBody(char* out, size_t size)
{
    size_t n = std::min(size, BodySize());
    if (n && out)
        std::memcpy(out, BodyData(), n);
    bodyStart_ += n;
    if (bodyStart_ == body_.size()) {
        body_.clear();
        bodyStart_ = 0;
    } else if (bodyStart_ > 65536 && bodyStart_ > body_.size() / 2) {
        body_.erase(0, bodyStart_);
        bodyStart_ = 0;
    }
    return n;
}

} // namespace HTTPUtils
