#include "engine/web/HTTPConnection.h"

#include "engine/core/StringKit.h"
#include "platform/net/TcpSocket.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>

namespace HTTPUtils {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPostPiece = 16000;
constexpr int kWholeReplyDeadlineMs = 60000;

bool NeedsEncoding(unsigned b)
{
    return b <= 32 || (b >= 34 && b <= 38) || b == 43 || b == 44 || b == 47 || (b >= 58 && b <= 64) ||
           (b >= 91 && b <= 94) || b == 96 || (b >= 123 && b <= 126) || b >= 128;
}

const char kHex[] = "0123456789ABCDEF";

bool IsHostByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_';
}

} // namespace

void HTTPConnection::GiveUp::At(Clock::time_point when) { at_ = when.time_since_epoch().count(); }

void HTTPConnection::GiveUp::Never() { at_ = INT64_MAX; }

int HTTPConnection::GiveUp::LeftMs() const
{
    int64_t at = at_.load();
    if (at == INT64_MAX)
        return INT_MAX;
    auto left = Clock::time_point(Clock::duration(at)) - Clock::now();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
    return ms <= 0 ? 0 : ms >= INT_MAX ? INT_MAX - 1 : int(ms);
}

HTTPConnection::HTTPConnection() = default;

HTTPConnection::~HTTPConnection()
{
    for (int i = 0; i < params_.GetCount(); ++i) {
        Param_t* p = params_.Get(i);
        delete[] p->name;
        delete[] p->value;
        delete p;
    }
}

void HTTPConnection::SetTimeouts(int connectMs, int receiveMs)
{
    connectTimeoutMs_ = connectMs;
    receiveTimeoutMs_ = receiveMs;
}

int HTTPConnection::GiveUpLeftMs() const { return giveUp_ ? giveUp_->LeftMs() : INT_MAX; }

void HTTPConnection::SetStreamDeadlines(int headerMs, int bodyIdleMs)
{
    headerDeadlineMs_ = headerMs;
    bodyIdleMs_ = bodyIdleMs;
}

std::u16string HTTPConnection::EncodeValue(const char16_t* value)
{
    std::u16string out;
    if (!value)
        return out;
    // Units above 255 are sent as their low byte; narrowing before the
    // check keeps such a unit from turning into a raw "&" or line feed.
    for (const char16_t* p = value; *p; ++p) {
        unsigned b = unsigned(*p) & 0xFF;
        if (NeedsEncoding(b)) {
            out.push_back(u'%');
            out.push_back(char16_t(kHex[b >> 4]));
            out.push_back(char16_t(kHex[b & 15]));
        } else {
            out.push_back(char16_t(b));
        }
    }
    return out;
}

void HTTPConnection::AddParam(const char16_t* name, const char16_t* value)
{
    std::u16string encoded = EncodeValue(value);
    Param_t* p = new Param_t;
    p->name = Util::StrDup(name ? name : u"");
    p->value = Util::StrDup(encoded.c_str());
    params_.Add(p);
}

void HTTPConnection::AddParam(const char16_t* name, int value) { AddParam(name, Util::IntToString16(value).c_str()); }

std::u16string HTTPConnection::BuildRequestUrl(const char16_t* url) const
{
    std::u16string out = url ? url : u"";
    for (int i = 0; i < params_.GetCount(); ++i) {
        const Param_t* p = params_.Get(i);
        out.push_back(i == 0 ? u'?' : u'&');
        out += p->name;
        out.push_back(u'=');
        out += p->value;
    }
    return out;
}

std::string HTTPConnection::EscapePath(const char16_t* path)
{
    std::string out;
    if (!path)
        return out;
    for (const char16_t* p = path; *p; ++p) {
        unsigned char b = static_cast<unsigned char>(*p & 0xFF);
        // Control bytes would end the request line; they go escaped too.
        if (b == ' ' || b == '+' || b < 0x20 || b == 0x7F) {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        } else {
            out.push_back(char(b));
        }
    }
    return out;
}

bool HTTPConnection::SplitUrl(const char16_t* url, Url* out)
{
    *out = Url();
    if (!url)
        return false;
    std::u16string u = url;
    size_t hostStart = 0;
    size_t colon = u.find(u':');
    if (colon != std::u16string::npos && u.compare(colon + 1, 2, u"//") == 0)
        hostStart = colon + 3;
    size_t slash = u.find(u'/', hostStart);
    std::u16string hostPart =
        u.substr(hostStart, slash == std::u16string::npos ? std::u16string::npos : slash - hostStart);
    size_t portColon = hostPart.find(u':');
    if (portColon != std::u16string::npos) {
        std::u16string digits = hostPart.substr(portColon + 1, 30);
        out->port = Util::AtoI(Util::Narrow(digits).c_str());
        hostPart.resize(portColon);
    }
    out->host = Util::Narrow(hostPart);
    if (slash != std::u16string::npos) {
        out->hasPath = true;
        out->path = EscapePath(u.c_str() + slash);
    }
    if (out->host.empty())
        return false;
    for (char c : out->host)
        if (!IsHostByte(c))
            return false;
    return true;
}

std::string HTTPConnection::GetRequestText(const Url& url)
{
    std::string path = url.hasPath ? url.path : "/";
    return "GET http://" + url.host + path + " HTTP/1.1\r\nHost: " + url.host + ":" + Util::IntToString(url.port) +
           "\r\nConnection: Close\r\n\r\n";
}

std::string HTTPConnection::PostRequestHead(const Url& url, int length)
{
    std::string path = url.hasPath ? url.path : "/";
    return "POST http://" + url.host + path + " HTTP/1.1\r\nHost: " + url.host + ":" + Util::IntToString(url.port) +
           "\r\nConnection: Close\r\nContent-Length: " + Util::IntToString(length) + "\r\n\r\n";
}

bool HTTPConnection::Open(const char16_t* url, Url* split)
{
    socket_.reset();
    parser_.reset();
    ended_ = false;
    std::u16string full = BuildRequestUrl(url);
    int giveUpLeft = GiveUpLeftMs();
    if (!SplitUrl(full.c_str(), split) || giveUpLeft == 0)
        return false;
    socket_.reset(new Net::TcpSocket());
    if (!socket_->Connect(split->host.c_str(), split->port, std::min(connectTimeoutMs_, giveUpLeft))) {
        socket_.reset();
        return false;
    }
    return true;
}

bool HTTPConnection::Get(const char16_t* url, bool readWhole)
{
    Url split;
    if (!Open(url, &split))
        return false;
    parser_.reset(new HTTPResponseParser(readWhole ? kMaxReplyBytes : 0));
    std::string request = GetRequestText(split);
    if (!socket_->SendAll(request.data(), int(request.size()), std::min(receiveTimeoutMs_, GiveUpLeftMs()))) {
        parser_->Abort("request not sent");
        ended_ = true;
        return true;
    }
    if (readWhole)
        ReadWhole();
    return true;
}

bool HTTPConnection::Post(const char16_t* url, int length, const char* data)
{
    Url split;
    if (length < 0 || (length > 0 && !data) || !Open(url, &split))
        return false;
    parser_.reset(new HTTPResponseParser(kMaxReplyBytes));
    std::string head = PostRequestHead(split, length);
    bool sent = socket_->SendAll(head.data(), int(head.size()), std::min(receiveTimeoutMs_, GiveUpLeftMs()));
    for (int at = 0; sent && at < length; at += kPostPiece)
        sent =
            socket_->SendAll(data + at, std::min(kPostPiece, length - at), std::min(receiveTimeoutMs_, GiveUpLeftMs()));
    if (!sent) {
        parser_->Abort("request not sent");
        ended_ = true;
        return true;
    }
    ReadWhole();
    return true;
}

bool HTTPConnection::ReceiveMore(Clock::time_point deadline, const char* late)
{
    if (ended_ || !socket_ || !parser_)
        return false;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    int n = Net::TcpSocket::kTimedOut;
    bool gaveUp = false;
    if (left > 0) {
        // One wait of the receive time-out, in slices while the owner may
        // give up meanwhile.
        Clock::time_point quietEnd =
            Clock::now() + std::chrono::milliseconds(std::min<int64_t>(left, receiveTimeoutMs_));
        for (;;) {
            int quiet = int(std::chrono::duration_cast<std::chrono::milliseconds>(quietEnd - Clock::now()).count());
            int giveUpLeft = GiveUpLeftMs();
            gaveUp = giveUpLeft == 0;
            if (quiet <= 0 || gaveUp)
                break;
            int wait = std::min(quiet, giveUpLeft);
            if (giveUp_)
                wait = std::min(wait, kGiveUpSliceMs);
            char buffer[kChunkSize];
            n = socket_->Receive(buffer, kChunkSize, wait);
            if (n > 0) {
                parser_->Feed(buffer, size_t(n));
                return true;
            }
            if (n != Net::TcpSocket::kTimedOut)
                break;
        }
    }
    ended_ = true;
    if (n == Net::TcpSocket::kClosed)
        parser_->Finish();
    else
        parser_->Abort(n != Net::TcpSocket::kTimedOut ? "receive failed"
                       : gaveUp                       ? "given up"
                       : left > 0                     ? "no answer in time"
                                                      : late);
    socket_->Close();
    return false;
}

void HTTPConnection::ReadWhole()
{
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kWholeReplyDeadlineMs);
    while (!parser_->IsDone() && !parser_->HasError())
        if (!ReceiveMore(deadline, "reply took too long"))
            break;
    if (socket_)
        socket_->Close();
}

bool HTTPConnection::WaitForHeader()
{
    if (!parser_)
        return false;
    // A trickled header would reset every receive's time-out; this bounds
    // the whole of it.
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(headerDeadlineMs_);
    while (!parser_->HeaderComplete() && !parser_->HasError())
        if (!ReceiveMore(deadline, "header took too long"))
            break;
    return parser_->HeaderComplete();
}

int HTTPConnection::ReceiveChunk(char* buffer)
{
    if (!parser_ || !buffer)
        return 0;
    if (!parser_->HeaderComplete() && !WaitForHeader())
        return 0;
    // Framing bytes alone (chunk lines, trailers) do not keep a body alive.
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(bodyIdleMs_);
    for (;;) {
        if (parser_->BodySize() > 0)
            return int(parser_->TakeBody(buffer, kChunkSize));
        if (parser_->IsDone() || parser_->HasError() || ended_)
            return 0;
        ReceiveMore(deadline, "body stalled");
    }
}

const char* HTTPConnection::GetBody() const
{
    return parser_ && parser_->BodySize() > 0 ? parser_->BodyData() : nullptr;
}

int HTTPConnection::GetBodyLength() const { return parser_ ? int(parser_->BodySize()) : 0; }

bool HTTPConnection::Succeeded() const
{
    int code = GetStatusCode();
    return IsComplete() && code >= 200 && code < 300;
}

} // namespace HTTPUtils
