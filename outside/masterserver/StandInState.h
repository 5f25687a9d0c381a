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
    int64_t lastSeen = 0; // seconds since the epoch
};

struct AcceptedScore {
    int id = 0, score = 0, frags = 0;
    int deaths = 0, suicides = 0, captures = 0, a = 0, b = 0, c = 0, objective = 0;
};

class StandInState {
public:
    explicit StandInState(std::string path = std::string()) : path_(std::move(path)) {}

    // A missing file is an empty state.
    bool Load();
    // Writes a temporary file beside the state file and renames it over,
    // so a failed write never leaves half a file; the file keeps its mode.
    bool Save() const;
    const std::string& Path() const { return path_; }

    Account* FindUser(const std::string& user);
    Account* FindUid(const std::string& uid);
    Account* FindId(int id);
    // A new account with the next free id, or new password, nick and uid
    // for the account of that user name.
    Account& SetAccount(const std::string& user, const std::string& password, const std::string& nick,
                        const std::string& uid);
    AnnouncedServer& ServerAt(const std::string& ip, int port);
    // Forgets the servers not announced within timeout seconds of now.
    void DropSilentServers(int64_t now, int64_t timeout);
    // Forgets that server unless it announced itself again after lastSeen.
    bool DropServer(const std::string& ip, int port, int64_t lastSeen);

    const std::vector<Account>& Accounts() const { return accounts_; }
    const std::vector<AnnouncedServer>& Servers() const { return servers_; }
    const std::vector<AcceptedScore>& Scores() const { return scores_; }
    const std::vector<std::string>& Rejections() const { return rejections_; }
    void AddScore(const AcceptedScore& s) { scores_.push_back(s); }
    void AddRejection(const std::string& reason) { rejections_.push_back(reason); }

    std::string Text() const;
    static std::string Encode(const std::string& field);
    static std::string Decode(const std::string& field);

private:
    std::string path_;
    std::vector<Account> accounts_;
    std::vector<AnnouncedServer> servers_;
    std::vector<AcceptedScore> scores_;
    std::vector<std::string> rejections_;
};
