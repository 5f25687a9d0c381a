#include "StandInState.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t'))
        out.push_back(StandInState::Decode(field));
    return out;
}

int Int(const std::vector<std::string>& f, size_t i) { return i < f.size() ? std::atoi(f[i].c_str()) : 0; }
int64_t Int64(const std::vector<std::string>& f, size_t i) { return i < f.size() ? std::atoll(f[i].c_str()) : 0; }
std::string Str(const std::vector<std::string>& f, size_t i) { return i < f.size() ? f[i] : std::string(); }

void Put(std::ostream& out, std::initializer_list<std::string> fields)
{
    bool first = true;
    for (const std::string& f : fields) {
        if (!first)
            out << '\t';
        out << StandInState::Encode(f);
        first = false;
    }
    out << '\n';
}

std::string N(int64_t v) { return std::to_string(v); }

bool WriteAllTo(int fd, const std::string& data)
{
    size_t at = 0;
    while (at < data.size()) {
        ssize_t n = ::write(fd, data.data() + at, data.size() - at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += size_t(n);
    }
    return true;
}

} // namespace

std::string StandInState::Encode(const std::string& field)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : field) {
        if (c <= 0x20 || c == '%' || c >= 0x7F) {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        } else {
            out.push_back(char(c));
        }
    }
    return out;
}

std::string StandInState::Decode(const std::string& field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '%' && i + 2 < field.size()) {
            char hex[3] = {field[i + 1], field[i + 2], 0};
            char* end = nullptr;
            long v = std::strtol(hex, &end, 16);
            if (end == hex + 2) {
                out.push_back(char(v));
                i += 2;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

bool StandInState::Load()
{
    std::ifstream in(path_);
    if (!in)
        return true; // a new file
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f = Split(line);
        if (f.empty())
            continue;
        if (f[0] == "account") {
            Account a;
            a.user = Str(f, 1);
            a.password = Str(f, 2);
            a.nick = Str(f, 3);
            a.uid = Str(f, 4);
            a.id = Int(f, 5);
            a.activated = Int(f, 6) != 0;
            a.score = Int(f, 7);
            a.frags = Int(f, 8);
            a.deaths = Int(f, 9);
            a.suicides = Int(f, 10);
            a.rank = Int(f, 11);
            accounts_.push_back(a);
        } else if (f[0] == "server") {
            AnnouncedServer s;
            s.ip = Str(f, 1);
            s.port = Int(f, 2);
            s.name = Str(f, 3);
            s.level = Str(f, 4);
            s.mode = Int(f, 5);
            s.players = Int(f, 6);
            s.maxPlayers = Int(f, 7);
            s.announcements = Int(f, 8);
            s.lastSeen = Int64(f, 9);
            servers_.push_back(s);
        } else if (f[0] == "score") {
            AcceptedScore s;
            s.id = Int(f, 1);
            s.score = Int(f, 2);
            s.frags = Int(f, 3);
            s.deaths = Int(f, 4);
            s.suicides = Int(f, 5);
            s.captures = Int(f, 6);
            s.a = Int(f, 7);
            s.b = Int(f, 8);
            s.c = Int(f, 9);
            s.objective = Int(f, 10);
            scores_.push_back(s);
        } else if (f[0] == "rejected") {
            rejections_.push_back(Str(f, 1));
        }
    }
    return true;
}

std::string StandInState::Text() const
{
    std::ostringstream out;
    for (const Account& a : accounts_)
        Put(out, {"account", a.user, a.password, a.nick, a.uid, N(a.id), N(a.activated), N(a.score), N(a.frags),
                  N(a.deaths), N(a.suicides), N(a.rank)});
    for (const AnnouncedServer& s : servers_)
        Put(out, {"server", s.ip, N(s.port), s.name, s.level, N(s.mode), N(s.players), N(s.maxPlayers),
                  N(s.announcements), N(s.lastSeen)});
    for (const AcceptedScore& s : scores_)
        Put(out, {"score", N(s.id), N(s.score), N(s.frags), N(s.deaths), N(s.suicides), N(s.captures), N(s.a), N(s.b),
                  N(s.c), N(s.objective)});
    for (const std::string& r : rejections_)
        Put(out, {"rejected", r});
    return out.str();
}

bool StandInState::Save() const
{
    if (path_.empty())
        return true;
    // The file holds passwords: a new one is the owner's alone, an old one
    // keeps the bits its operator gave it.
    mode_t mode = 0600;
    struct stat st;
    if (::stat(path_.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    std::string temp = path_ + ".XXXXXX";
    int fd = ::mkstemp(&temp[0]);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAllTo(fd, Text()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    size_t slash = path_.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

Account* StandInState::FindUser(const std::string& user)
{
    for (Account& a : accounts_)
        if (a.user == user)
            return &a;
    return nullptr;
}

Account* StandInState::FindUid(const std::string& uid)
{
    for (Account& a : accounts_)
        if (!uid.empty() && a.uid == uid)
            return &a;
    return nullptr;
}

Account* StandInState::FindId(int id)
{
    for (Account& a : accounts_)
        if (id != 0 && a.id == id)
            return &a;
    return nullptr;
}

AnnouncedServer& StandInState::ServerAt(const std::string& ip, int port)
{
    for (AnnouncedServer& s : servers_)
        if (s.ip == ip && s.port == port)
            return s;
    servers_.push_back(AnnouncedServer());
    servers_.back().ip = ip;
    servers_.back().port = port;
    return servers_.back();
}

Account& StandInState::SetAccount(const std::string& user, const std::string& password, const std::string& nick,
                                  const std::string& uid)
{
    Account* a = FindUser(user);
    if (!a) {
        int id = 0;
        for (const Account& other : accounts_)
            id = std::max(id, other.id);
        accounts_.push_back(Account());
        a = &accounts_.back();
        a->user = user;
        a->id = id + 1;
    }
    a->password = password;
    a->nick = nick;
    a->uid = uid;
    return *a;
}

void StandInState::DropSilentServers(int64_t now, int64_t timeout)
{
    servers_.erase(std::remove_if(servers_.begin(), servers_.end(),
                                  [&](const AnnouncedServer& s) { return now - s.lastSeen > timeout; }),
                   servers_.end());
}

bool StandInState::DropServer(const std::string& ip, int port, int64_t lastSeen)
{
    const size_t before = servers_.size();
    servers_.erase(std::remove_if(servers_.begin(), servers_.end(),
                                  [&](const AnnouncedServer& s) {
                                      return s.ip == ip && s.port == port && s.lastSeen <= lastSeen;
                                  }),
                   servers_.end());
    return servers_.size() != before;
}
