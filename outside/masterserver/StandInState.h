#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the stand-in master server keeps: accounts, announced servers and
// the score records it accepted, in a text file of its own. Each line is one
// record of tab-separated, percent-encoded fields, its kind first.
struct Account {
    std::string user, password, nick, uid;
    int id = 0;
    bool activated = true;
    int score = 0, frags = 0, deaths = 0, suicides = 0, rank = 0;
};

struct AnnouncedServer {
    std::string ip;
    int port = 0;
    std::string name, level;
    int mode = 0, players = 0, maxPlayers = 0;
    int announcements = 0;
};

struct AcceptedScore {
    int id = 0, score = 0, frags = 0;
    int deaths = 0, suicides = 0, captures = 0, a = 0, b = 0, c = 0, objective = 0;
};

class StandInState {
public:
    explicit StandInState(std::string path) : path_(std::move(path)) {}

    bool Load();
    bool Save() const;

    Account* FindUser(const std::string& user);
    Account* FindUid(const std::string& uid);
    Account* FindId(int id);
    AnnouncedServer& ServerAt(const std::string& ip, int port);

    const std::vector<AnnouncedServer>& Servers() const { return servers_; }
    void AddScore(const AcceptedScore& s) { scores_.push_back(s); }
    void AddRejection(const std::string& reason) { rejections_.push_back(reason); }

    static std::string Encode(const std::string& field);
    static std::string Decode(const std::string& field);

private:
    std::string path_;
    std::vector<Account> accounts_;
    std::vector<AnnouncedServer> servers_;
    std::vector<AcceptedScore> scores_;
    std::vector<std::string> rejections_;
};
