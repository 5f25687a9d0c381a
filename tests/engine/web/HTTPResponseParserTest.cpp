#include "engine/web/HTTPResponseParser.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using HTTPUtils::HTTPResponseParser;

namespace {

struct Outcome {
    HTTPResponseParser::State state;
    int status;
    std::string body;
};

// Feeds the reply in two pieces split at `at` and, when close is set, ends
// the stream.
Outcome Parse(const std::string& reply, size_t at, bool close, size_t maxBody = 0)
{
    HTTPResponseParser p(maxBody);
    p.Feed(reply.data(), at);
    p.Feed(reply.data() + at, reply.size() - at);
    if (close)
        p.Finish();
    return {p.GetState(), p.GetStatusCode(), std::string(p.BodyData(), p.BodySize())};
}

Outcome ParseBytewise(const std::string& reply, bool close)
{
    HTTPResponseParser p;
    for (char c : reply)
        p.Feed(&c, 1);
    if (close)
        p.Finish();
    return {p.GetState(), p.GetStatusCode(), std::string(p.BodyData(), p.BodySize())};
}

const std::string kLengthReply =
    "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 12\r\n\r\nhello\r\nworld";
const std::string kChunkedReply = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                  "5;ext=1\r\nhello\r\n6\r\n\r\nworl\r\n0\r\nX-Trailer: a\r\n\r\n";
const std::string kCloseReply = "HTTP/1.0 200 OK\r\nServer: x\r\n\r\n\r\nbody\r\n";

} // namespace

TEST(HTTPResponseParser, WholeBodyAtEverySplitPoint)
{
    struct Case {
        const char* name;
        const std::string& reply;
        bool close;
        std::string body;
    } cases[] = {
        {"length", kLengthReply, false, "hello\r\nworld"},
        {"chunked", kChunkedReply, false, "hello\r\nworl"},
        {"close", kCloseReply, true, "\r\nbody\r\n"},
    };
    for (const Case& c : cases) {
        TestSupport::WriteFuzzSeed("http_reply", std::string(c.name) + ".txt", c.reply.data(), c.reply.size());
        for (size_t at = 0; at <= c.reply.size(); ++at) {
            Outcome o = Parse(c.reply, at, c.close);
            ASSERT_EQ(o.state, HTTPResponseParser::State::Done) << c.name << " split at " << at;
            EXPECT_EQ(o.status, 200);
            EXPECT_EQ(o.body, c.body) << c.name << " split at " << at;
        }
        Outcome o = ParseBytewise(c.reply, c.close);
        EXPECT_EQ(o.state, HTTPResponseParser::State::Done) << c.name;
        EXPECT_EQ(o.body, c.body) << c.name;
    }
}

TEST(HTTPResponseParser, LoneCarriageReturnAtTheEndOfAReceiveWaitsForItsLineFeed)
{
    // Split right after the CR of the header's last line: the LF that
    // follows must not read as the empty line.
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc";
    size_t at = reply.find("3\r") + 2;
    HTTPResponseParser p;
    p.Feed(reply.data(), at);
    EXPECT_FALSE(p.HeaderComplete());
    p.Feed(reply.data() + at, reply.size() - at);
    EXPECT_TRUE(p.IsDone());
    EXPECT_EQ(std::string(p.BodyData(), p.BodySize()), "abc");
}

TEST(HTTPResponseParser, BodyStopsAtTheContentLength)
{
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n0123456789";
    for (size_t at = 0; at <= reply.size(); ++at) {
        Outcome o = Parse(reply, at, false);
        ASSERT_EQ(o.state, HTTPResponseParser::State::Done) << at;
        EXPECT_EQ(o.body, "01234");
    }
}

TEST(HTTPResponseParser, HeaderFieldsIgnoreCaseAndBlanks)
{
    Outcome o = Parse("HTTP/1.1 404 Not Found\r\ncontent-length:\t 4 \r\n\r\nnope", 0, false);
    EXPECT_EQ(o.state, HTTPResponseParser::State::Done);
    EXPECT_EQ(o.status, 404);
    EXPECT_EQ(o.body, "nope");
    Outcome chunked = Parse("HTTP/1.1 200 OK\r\nTRANSFER-ENCODING: Chunked\r\n\r\n1\r\nz\r\n0\r\n\r\n", 7, false);
    EXPECT_EQ(chunked.state, HTTPResponseParser::State::Done);
    EXPECT_EQ(chunked.body, "z");
}

TEST(HTTPResponseParser, BadFramingFailsWithoutOverReading)
{
    const char* bad[] = {
        "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nabc",
        "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\nabc",
        "HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n\r\nabc",
        "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\nabcd",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFFFF\r\nabc",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n-5\r\nabc",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabcX\r\n0\r\n\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n0\r\n\r\n",
        "SSH-2.0-OpenSSH\r\n\r\n",
        "HTTP/1.1 2x0 OK\r\n\r\n",
    };
    for (const char* reply : bad) {
        Outcome o = Parse(reply, 0, true);
        EXPECT_EQ(o.state, HTTPResponseParser::State::Error) << reply;
        EXPECT_TRUE(o.body.size() <= 4) << reply;
    }
}

TEST(HTTPResponseParser, ShortBodiesAndLongHeadersAreErrors)
{
    // A chunk line past its cap fails at the byte that overran it.
    HTTPResponseParser p;
    const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    EXPECT_EQ(p.Feed(head.data(), head.size()), head.size());
    const std::string line = std::string(1025, '0') + "\r\n";
    EXPECT_EQ(p.Feed(line.data(), line.size()), 1025u);
    EXPECT_TRUE(p.HasError());
    EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", 5, true).state,
              HTTPResponseParser::State::Error);
    EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab", 5, true).state,
              HTTPResponseParser::State::Error);
    EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\nContent-Le", 5, true).state, HTTPResponseParser::State::Error);

    std::string huge = "HTTP/1.1 200 OK\r\nX: " + std::string(20000, 'a') + "\r\n\r\nbody";
    Outcome o = Parse(huge, 100, true);
    EXPECT_EQ(o.state, HTTPResponseParser::State::Error);
    EXPECT_TRUE(o.body.empty());
}

TEST(HTTPResponseParser, BodyCapRejectsOversizedReplies)
{
    EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", 0, false, 64).state,
              HTTPResponseParser::State::Error);
    std::string closeDelimited = "HTTP/1.1 200 OK\r\n\r\n" + std::string(100, 'x');
    Outcome o = Parse(closeDelimited, 30, true, 64);
    EXPECT_EQ(o.state, HTTPResponseParser::State::Error);
    EXPECT_LE(o.body.size(), 64u);
    EXPECT_EQ(Parse(closeDelimited, 30, true, 100).state, HTTPResponseParser::State::Done);
}

TEST(HTTPResponseParser, TakingBodyHandsOutBytesInOrder)
{
    std::vector<uint8_t> payload = TestSupport::PseudoRandomBytes(5000, 7);
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + std::string(payload.begin(), payload.end());
    HTTPResponseParser p;
    std::string got;
    char out[700];
    for (size_t at = 0; at < reply.size(); at += 333) {
        p.Feed(reply.data() + at, std::min<size_t>(333, reply.size() - at));
        size_t n;
        while ((n = p.TakeBody(out, sizeof out)) > 0)
            got.append(out, n);
    }
    EXPECT_TRUE(p.IsDone());
    EXPECT_EQ(p.BodyTotal(), 5000);
    EXPECT_EQ(got, std::string(payload.begin(), payload.end()));
}

TEST(HTTPResponseParser, NoContentStatusesHaveNoBody)
{
    Outcome o = Parse("HTTP/1.1 204 No Content\r\n\r\n", 3, false);
    EXPECT_EQ(o.state, HTTPResponseParser::State::Done);
    EXPECT_TRUE(o.body.empty());
}
