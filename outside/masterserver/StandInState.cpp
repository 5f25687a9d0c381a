#include "StandInState.h"

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

std::string N(int v) { return std::to_string(v); }

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

bool StandInState::Save() const
{
    std::string temp = path_ + ".new";
    {
        std::ofstream out(temp, std::ios::trunc);
        if (!out)
            return false;
        for (const Account& a : accounts_)
            Put(out, {"account", a.user, a.password, a.nick, a.uid, N(a.id), N(a.activated), N(a.score), N(a.frags),
                      N(a.deaths), N(a.suicides), N(a.rank)});
        for (const AnnouncedServer& s : servers_)
            Put(out, {"server", s.ip, N(s.port), s.name, s.level, N(s.mode), N(s.players), N(s.maxPlayers),
                      N(s.announcements)});
        for (const AcceptedScore& s : scores_)
            Put(out, {"score", N(s.id), N(s.score), N(s.frags), N(s.deaths), N(s.suicides), N(s.captures), N(s.a),
                      N(s.b), N(s.c), N(s.objective)});
        for (const std::string& r : rejections_)
            Put(out, {"rejected", r});
        if (!out.flush())
            return false;
    }
    return std::rename(temp.c_str(), path_.c_str()) == 0;
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
