#include "engine/web/HTTPConnection.h"

#include "ScriptedServer.h"
#include "platform/net/TcpListener.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using HTTPUtils::HTTPConnection;

namespace {

std::u16string U(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string N(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out.push_back(char(c & 0xFF));
    return out;
}

// The bytes that go out as %XX, written out from the encoding table.
std::set<int> EncodedBytes()
{
    std::set<int> s;
    auto range = [&](int a, int b) {
        for (int i = a; i <= b; ++i)
            s.insert(i);
    };
    range(0, 32);
    range(34, 38);
    range(43, 44);
    range(47, 47);
    range(58, 64);
    range(91, 94);
    range(96, 96);
    range(123, 126);
    range(128, 255);
    return s;
}

} // namespace

TEST(HTTPConnection, PercentEncodingFollowsTheTableForEveryUnit)
{
    std::set<int> encoded = EncodedBytes();
    char hex[4];
    for (int u = 1; u < 0x200; ++u) {
        char16_t value[2] = {char16_t(u), 0};
        std::string got = N(HTTPConnection::EncodeValue(value));
        int b = u & 0xFF;
        if (b == 0)
            continue;
        std::snprintf(hex, sizeof hex, "%%%02X", b);
        std::string want = encoded.count(b) ? std::string(hex) : std::string(1, char(b));
        EXPECT_EQ(got, want) << "unit " << u;
    }
    // Above 255 the unit's low byte decides: U+0126 is no raw "&", U+010A
    // no raw line feed.
    EXPECT_EQ(N(HTTPConnection::EncodeValue(u"\u0126\u010A")), "%26%0A");
    EXPECT_EQ(N(HTTPConnection::EncodeValue(u"a b&c")), "a%20b%26c");
    EXPECT_EQ(N(HTTPConnection::EncodeValue(u"\n")), "%0A");
    std::u16string many(2000, u'/');
    std::u16string out = HTTPConnection::EncodeValue(many.c_str());
    ASSERT_EQ(out.size(), 6000u);
    for (size_t i = 0; i < out.size(); i += 3)
        ASSERT_EQ(N(out.substr(i, 3)), "%2F") << i;
}

TEST(HTTPConnection, SplitsUrls)
{
    struct Case {
        const char16_t* url;
        bool ok;
        const char* host;
        int port;
        bool hasPath;
        const char* path;
    } cases[] = {
        {u"http://h/a b+c", true, "h", 80, true, "/a%20b%2Bc"},
        {u"h:8080", true, "h", 8080, false, ""},
        {u"http://127.0.0.1:1234/x.php?a=%20", true, "127.0.0.1", 1234, true, "/x.php?a=%20"},
        {u"master.vornhal.net/servers.php", true, "master.vornhal.net", 80, true, "/servers.php"},
        {u"http://h/a\r\nX: y", true, "h", 80, true, "/a%0D%0AX:%20y"},
        {u"http:///path", false, "", 80, true, "/path"},
        {u"http://bad host/", false, "bad host", 80, true, "/"},
        {u"http://h\r\nX:1/", false, "h\r\nX", 1, true, "/"},
    };
    for (const Case& c : cases) {
        HTTPConnection::Url url;
        EXPECT_EQ(HTTPConnection::SplitUrl(c.url, &url), c.ok) << N(c.url);
        EXPECT_EQ(url.host, c.host) << N(c.url);
        EXPECT_EQ(url.port, c.port) << N(c.url);
        EXPECT_EQ(url.hasPath, c.hasPath) << N(c.url);
        EXPECT_EQ(url.path, c.path) << N(c.url);
    }
}

TEST(HTTPConnection, GetSendsTheRequestAndReadsTheReply)
{
    ScriptedServer server({"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n", "hello"});
    HTTPConnection c;
    c.AddParam(u"name", u"a b&c");
    c.AddParam(u"port", 27015);
    std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/addserver.php";
    ASSERT_TRUE(c.Get(U(url).c_str(), true));
    EXPECT_TRUE(c.Succeeded());
    ASSERT_NE(c.GetBody(), nullptr);
    EXPECT_EQ(std::string(c.GetBody(), size_t(c.GetBodyLength())), "hello");
    std::string host = "127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(server.Request(), "GET http://127.0.0.1/addserver.php?name=a%20b%26c&port=27015 HTTP/1.1\r\n"
                                "Host: " +
                                    host + "\r\nConnection: Close\r\n\r\n");
}

TEST(HTTPConnection, UrlWithoutPathAsksForTheRoot)
{
    ScriptedServer server({"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"});
    HTTPConnection c;
    ASSERT_TRUE(c.Get(U("127.0.0.1:" + std::to_string(server.Port())).c_str(), true));
    EXPECT_TRUE(c.Succeeded());
    EXPECT_EQ(c.GetBody(), nullptr);
    EXPECT_EQ(server.Request().substr(0, 31), "GET http://127.0.0.1/ HTTP/1.1\r");
}

TEST(HTTPConnection, PostSendsEveryByteOfALargeBody)
{
    std::vector<uint8_t> body = TestSupport::PseudoRandomBytes(40000, 3);
    ScriptedServer server({"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"});
    HTTPConnection c;
    ASSERT_TRUE(c.Post(U(server.Url("/updatescores.php")).c_str(), int(body.size()),
                       reinterpret_cast<const char*>(body.data())));
    EXPECT_TRUE(c.Succeeded());
    std::string head =
        "POST http://127.0.0.1/updatescores.php HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
        "\r\nConnection: Close\r\nContent-Length: 40000\r\n\r\n";
    std::string request = server.Request();
    ASSERT_EQ(request.size(), head.size() + body.size());
    EXPECT_EQ(request.substr(0, head.size()), head);
    EXPECT_EQ(request.substr(head.size()), std::string(body.begin(), body.end()));
}

TEST(HTTPConnection, StopsReadingAtTheContentLengthWhileThePeerStaysOpen)
{
    // The peer never closes: only framing by the length completes the reply.
    ScriptedServer server({"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n01234", "56789"}, true);
    HTTPConnection c;
    c.SetTimeouts(5000, 5000);
    ASSERT_TRUE(c.Get(U(server.Url("/")).c_str(), true));
    EXPECT_TRUE(c.Succeeded());
    EXPECT_EQ(std::string(c.GetBody(), size_t(c.GetBodyLength())), "01234");
}

TEST(HTTPConnection, ByteByByteChunkedReplyArrivesWhole)
{
    std::string reply = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nabcd\r\n3\r\nefg\r\n0\r\n\r\n";
    std::vector<std::string> pieces;
    for (char ch : reply)
        pieces.push_back(std::string(1, ch));
    ScriptedServer server(pieces);
    HTTPConnection c;
    ASSERT_TRUE(c.Get(U(server.Url("/")).c_str(), true));
    EXPECT_TRUE(c.Succeeded());
    EXPECT_EQ(std::string(c.GetBody(), size_t(c.GetBodyLength())), "abcdefg");
}

TEST(HTTPConnection, StreamedBodyComesInChunksOfAtMost1024Bytes)
{
    std::vector<uint8_t> payload = TestSupport::PseudoRandomBytes(5000, 11);
    std::string data(payload.begin(), payload.end());
    ScriptedServer server(
        {"HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + data.substr(0, 3000), data.substr(3000)});
    HTTPConnection c;
    ASSERT_TRUE(c.Get(U(server.Url("/f")).c_str(), false));
    std::string got;
    char buffer[HTTPConnection::kChunkSize + 16];
    int n;
    while ((n = c.ReceiveChunk(buffer)) > 0) {
        ASSERT_LE(n, HTTPConnection::kChunkSize);
        got.append(buffer, size_t(n));
    }
    EXPECT_TRUE(c.IsComplete());
    EXPECT_EQ(got, data);
}

TEST(HTTPConnection, FailuresToConnectOrToAnswer)
{
    int closedPort;
    {
        Net::TcpListener l;
        ASSERT_TRUE(l.Listen(0x0100007F, 0));
        closedPort = l.GetLocalPort();
    }
    HTTPConnection refused;
    EXPECT_FALSE(refused.Get(U("http://127.0.0.1:" + std::to_string(closedPort) + "/").c_str(), true));
    EXPECT_EQ(refused.GetBody(), nullptr);

    HTTPConnection badHost;
    EXPECT_FALSE(badHost.Get(u"http://no host/", true));

    // A peer that takes the request and never answers.
    ScriptedServer silent({}, true);
    HTTPConnection c;
    c.SetTimeouts(2000, 200);
    ASSERT_TRUE(c.Get(U(silent.Url("/")).c_str(), true));
    EXPECT_FALSE(c.Succeeded());
    EXPECT_EQ(c.GetBody(), nullptr);

    // A reply that breaks off before its announced length.
    ScriptedServer truncated({"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nshort"});
    HTTPConnection t;
    ASSERT_TRUE(t.Get(U(truncated.Url("/")).c_str(), true));
    EXPECT_FALSE(t.IsComplete());
    EXPECT_FALSE(t.Succeeded());
}
