#include "StandInServer.h"

#include "StandInOptions.h"
#include "StandInProbe.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

namespace {

constexpr size_t kMaxHead = 65536;
constexpr size_t kMaxBody = 1 << 20;

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : int(left);
}

// The score records' additive key, position by position, as the game
// servers apply it: added at even places, taken away at odd ones.
constexpr unsigned char kKey[26] = {0x5B, 0x17, 0xC4, 0x29, 0x8E, 0x73, 0x06, 0xB1, 0x4D, 0xE2, 0x38, 0x9A, 0x61,
                                    0xF5, 0x0C, 0x87, 0x2E, 0xD3, 0x7A, 0x45, 0xBC, 0x10, 0x96, 0x6F, 0xA8, 0x3D};

// False when the peer ended, failed or let the deadline pass.
bool ReadSome(int fd, std::string* into, Clock::time_point deadline)
{
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        int r = ::poll(&p, 1, MsLeft(deadline));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        char buffer[4096];
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into->append(buffer, size_t(n));
        return true;
    }
}

// A reader that takes nothing for kSendIdleMs is given up.
void SendAll(int fd, const std::string& data)
{
    size_t at = 0;
    while (at < data.size()) {
        ssize_t n = ::send(fd, data.data() + at, data.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            at += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, StandInServer::kSendIdleMs) > 0)
                continue;
        }
        return;
    }
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

// Quotes would end the attribute value in the list.
std::string Attr(std::string s)
{
    for (char& c : s)
        if (c == '"')
            c = '\'';
    return s;
}

int Get16(const unsigned char* p) { return int16_t(uint16_t(p[0] | p[1] << 8)); }
int Get32(const unsigned char* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

std::string Element(const char* name, const std::string& value)
{
    return std::string("<") + name + ">" + value + "</" + name + ">";
}

} // namespace

std::string StandInServer::PercentDecode(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            char hex[3] = {text[i + 1], text[i + 2], 0};
            char* end = nullptr;
            long v = std::strtol(hex, &end, 16);
            if (end == hex + 2) {
                out.push_back(char(v));
                i += 2;
                continue;
            }
        }
        out.push_back(c == '+' ? ' ' : c);
    }
    return out;
}

bool StandInServer::Base64Decode(const std::string& text, std::string* out)
{
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    out->clear();
    if (text.size() % 4 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 4) {
        uint32_t v = 0;
        int pad = 0;
        for (size_t k = 0; k < 4; ++k) {
            char c = text[i + k];
            if (c == '=') {
                // Padding only in the last group, only at its end.
                if (i + 4 != text.size() || k < 2)
                    return false;
                ++pad;
                v <<= 6;
                continue;
            }
            if (pad)
                return false;
            size_t d = kAlphabet.find(c);
            if (d == std::string::npos)
                return false;
            v = v << 6 | uint32_t(d);
        }
        out->push_back(char(v >> 16));
        if (pad < 2)
            out->push_back(char(v >> 8));
        if (pad < 1)
            out->push_back(char(v));
    }
    return true;
}

void StandInServer::Unscramble(unsigned char record[26])
{
    for (int i = 0; i < 26; ++i)
        record[i] = (unsigned char)(i % 2 == 0 ? record[i] - kKey[i] : record[i] + kKey[i]);
}

bool StandInServer::ParseHead(const std::string& head, Request* r, size_t* contentLength)
{
    std::istringstream in(head);
    std::string line, target, version;
    std::getline(in, line);
    std::istringstream first(line);
    first >> r->method >> target >> version;
    if (r->method.empty() || target.empty())
        return false;
    *contentLength = 0;
    while (std::getline(in, line)) {
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string name = Lower(line.substr(0, colon));
        if (name == "host") {
            size_t from = line.find_first_not_of(" \t", colon + 1);
            size_t to = line.find_last_not_of(" \t\r");
            r->host = from == std::string::npos || to < from ? std::string() : line.substr(from, to - from + 1);
            continue;
        }
        if (name != "content-length")
            continue;
        const char* digits = line.c_str() + colon + 1;
        while (*digits == ' ' || *digits == '\t')
            ++digits;
        if (*digits < '0' || *digits > '9')
            return false;
        errno = 0;
        unsigned long long n = std::strtoull(digits, nullptr, 10);
        if (errno || n > kMaxBody)
            return false;
        *contentLength = size_t(n);
    }
    // The game sends the absolute form: "http://host:port/path?query".
    if (target.compare(0, 7, "http://") == 0) {
        size_t slash = target.find('/', 7);
        target = slash == std::string::npos ? "/" : target.substr(slash);
    }
    size_t q = target.find('?');
    r->path = target.substr(0, q);
    if (q != std::string::npos) {
        std::istringstream pairs(target.substr(q + 1));
        std::string pair;
        while (std::getline(pairs, pair, '&')) {
            size_t eq = pair.find('=');
            std::string name = PercentDecode(pair.substr(0, eq));
            r->query[name] = eq == std::string::npos ? std::string() : PercentDecode(pair.substr(eq + 1));
        }
    }
    return true;
}

void StandInServer::Serve(int fd, const std::string& peer)
{
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kRequestDeadlineMs);
    std::string data;
    size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        if (data.size() > kMaxHead || !ReadSome(fd, &data, deadline))
            return;
    }
    Request r;
    r.peer = peer;
    size_t contentLength = 0;
    if (!ParseHead(data.substr(0, headEnd), &r, &contentLength))
        return;
    r.body = data.substr(headEnd + 4);
    while (r.body.size() < contentLength)
        if (!ReadSome(fd, &r.body, deadline))
            return;
    r.body.resize(contentLength);

    Reply reply = Handle(r);
    const char* reason = reply.status == 200 ? "OK" : reply.status == 404 ? "Not Found" : "Bad Request";
    std::string out =
        "HTTP/1.1 " + std::to_string(reply.status) + " " + reason + "\r\nContent-Type: " + reply.contentType +
        "\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n" + reply.body;
    SendAll(fd, out);
}

void StandInServer::DropDeadServers()
{
    // The service listens on this machine only, so its game servers run
    // here too; a row of another address (a state file made elsewhere) is
    // left to the time-out.
    std::vector<AnnouncedServer> listed;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const AnnouncedServer& s : state_->Servers())
            if (s.ip.compare(0, 4, "127.") == 0)
                listed.push_back(s);
    }
    std::vector<std::pair<std::string, int>> addresses;
    for (const AnnouncedServer& s : listed)
        addresses.emplace_back(s.ip, s.port);
    const std::vector<bool> refused = FindRefusingServers(addresses, kProbeWaitMs);
    std::lock_guard<std::mutex> lock(mutex_);
    bool dropped = false;
    for (size_t i = 0; i < listed.size(); ++i)
        if (refused[i])
            dropped = state_->DropServer(listed[i].ip, listed[i].port, listed[i].lastSeen) || dropped;
    if (dropped)
        state_->Save();
}

int64_t StandInServer::Now() const { return clock_ ? clock_() : int64_t(std::time(nullptr)); }

StandInState StandInServer::Snapshot()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return *state_;
}

StandInServer::Reply StandInServer::Handle(const Request& r)
{
    bool service = r.path == "/login.php" || r.path == "/servers.php" || r.path == "/getuserid.php" ||
                   r.path == "/addserver.php" || (r.path == "/updatescores.php" && r.method == "POST");
    if (r.path == "/servers.php")
        DropDeadServers(); // before the lock: it waits for the servers' hosts
    if (!service) {
        // Files need no state, and may be large.
        Reply file = StaticFile(r.path);
        if (file.status == 404 && r.path == "/updates.xml")
            return UpdateList(r.host);
        return file;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (!accountsPath_.empty() && (r.path == "/login.php" || r.path == "/getuserid.php") &&
        ApplyAccountsFile(accountsPath_, state_))
        state_->Save();
    if (r.path == "/login.php")
        return Login(r);
    if (r.path == "/servers.php")
        return Servers();
    if (r.path == "/getuserid.php")
        return UserId(r);
    if (r.path == "/addserver.php")
        return AddServer(r);
    return UpdateScores(r);
}

StandInServer::Reply StandInServer::Login(const Request& r)
{
    auto user = r.query.find("username");
    auto password = r.query.find("password");
    Reply reply;
    Account* a = user == r.query.end() ? nullptr : state_->FindUser(user->second);
    // 0 wrong password, 1 logged in, 2 no such account or not activated.
    std::string body;
    if (!a || !a->activated)
        body = Element("status", "2");
    else if (password == r.query.end() || password->second != a->password)
        body = Element("status", "0");
    else
        body = Element("status", "1") + "\n" + Element("nick", a->nick) + "\n" + Element("uid", a->uid);
    reply.body = "<?xml version=\"1.0\"?>\n<login>\n" + body + "\n</login>\n";
    return reply;
}

StandInServer::Reply StandInServer::Servers()
{
    // Each entry is the attributes of an end tag; no enclosing element,
    // whose end tag would make an empty entry.
    Reply reply;
    state_->DropSilentServers(Now(), serverTimeout_);
    reply.body = "<?xml version=\"1.0\"?>\n";
    for (const AnnouncedServer& s : state_->Servers())
        reply.body += "</server name=\"" + Attr(s.name) + "\" level=\"" + Attr(s.level) + "\" mode=\"" +
                      std::to_string(s.mode) + "\" ip=\"" + s.ip + "\" port=\"" + std::to_string(s.port) +
                      "\" players=\"" + std::to_string(s.players) + "\" maxplayers=\"" + std::to_string(s.maxPlayers) +
                      "\">\n";
    return reply;
}

StandInServer::Reply StandInServer::UserId(const Request& r)
{
    auto uid = r.query.find("uid");
    Account* a = uid == r.query.end() ? nullptr : state_->FindUid(uid->second);
    Reply reply;
    if (!a) {
        reply.body = "<user>" + Element("id", "0") + "</user>\n";
        return reply;
    }
    reply.body = "<user>" + Element("id", std::to_string(a->id)) + Element("score", std::to_string(a->score)) +
                 Element("frags", std::to_string(a->frags)) + Element("deaths", std::to_string(a->deaths)) +
                 Element("suicides", std::to_string(a->suicides)) + Element("rank", std::to_string(a->rank)) +
                 "</user>\n";
    return reply;
}

StandInServer::Reply StandInServer::AddServer(const Request& r)
{
    auto field = [&](const char* name) {
        auto it = r.query.find(name);
        return it == r.query.end() ? std::string() : it->second;
    };
    int port = std::atoi(field("port").c_str());
    Reply reply;
    if (port <= 0 || port > 65535) {
        reply.status = 400;
        reply.body = "<result>bad port</result>\n";
        return reply;
    }
    AnnouncedServer& s = state_->ServerAt(r.peer, port);
    s.name = field("name");
    s.level = field("level");
    s.mode = std::atoi(field("gamemode").c_str());
    s.players = std::atoi(field("players").c_str());
    s.maxPlayers = std::atoi(field("maxplayers").c_str());
    ++s.announcements;
    s.lastSeen = Now();
    state_->DropSilentServers(s.lastSeen, serverTimeout_);
    state_->Save();
    reply.body = "<result>ok</result>\n";
    return reply;
}

StandInServer::Reply StandInServer::UpdateScores(const Request& r)
{
    Reply reply;
    std::string bytes;
    std::string why;
    if (!Base64Decode(r.body, &bytes))
        why = "bad base64";
    else if (bytes.empty() || bytes.size() % 26 != 0)
        why = "size " + std::to_string(bytes.size()) + " is no whole number of records";
    if (!why.empty()) {
        state_->AddRejection(why);
        state_->Save();
        reply.status = 400;
        reply.body = "<result>" + why + "</result>\n";
        return reply;
    }
    // Each record stands alone: one stale or unknown record costs only
    // itself, the others of the upload count.
    int accepted = 0, rejected = 0;
    for (size_t at = 0; at < bytes.size(); at += 26) {
        unsigned char rec[26];
        std::memcpy(rec, bytes.data() + at, 26);
        Unscramble(rec);
        AcceptedScore s;
        s.id = Get32(rec);
        s.score = Get32(rec + 4);
        s.frags = Get32(rec + 8);
        s.deaths = Get16(rec + 12);
        s.suicides = Get16(rec + 14);
        s.captures = Get16(rec + 16);
        s.a = Get16(rec + 18);
        s.b = Get16(rec + 20);
        s.c = Get16(rec + 22);
        s.objective = Get16(rec + 24);
        Account* a = state_->FindId(s.id);
        if (!a || s.score < a->score || s.frags < a->frags) {
            state_->AddRejection(!a ? "unknown account " + std::to_string(s.id)
                                    : "totals of account " + std::to_string(s.id) + " went down");
            ++rejected;
            continue;
        }
        a->score = s.score;
        a->frags = s.frags;
        a->deaths += s.deaths;
        a->suicides += s.suicides;
        state_->AddScore(s);
        ++accepted;
    }
    state_->Save();
    reply.status = accepted ? 200 : 400;
    reply.body = "<result><accepted>" + std::to_string(accepted) + "</accepted><rejected>" + std::to_string(rejected) +
                 "</rejected></result>\n";
    return reply;
}

StandInServer::Reply StandInServer::StaticFile(const std::string& path)
{
    Reply reply;
    reply.status = 404;
    reply.contentType = "text/html";
    reply.body = "<html><body>404 Not Found</body></html>\n";
    if (filesDir_.empty() || path.size() < 2 || path[0] != '/' || path.find("..") != std::string::npos)
        return reply;
    std::ifstream in(filesDir_ + path, std::ios::binary);
    if (!in)
        return reply;
    std::ostringstream content;
    content << in.rdbuf();
    reply.status = 200;
    reply.contentType =
        path.size() > 4 && path.compare(path.size() - 4, 4, ".xml") == 0 ? "text/xml" : "application/octet-stream";
    reply.body = content.str();
    return reply;
}
