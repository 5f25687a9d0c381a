#pragma once

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

// The stand-in master server as a process of its own on 127.0.0.1, with
// its state file and files folder in a temporary folder.
class StandIn {
public:
    // stateLines: the state file's lines before the start.
    explicit StandIn(const std::string& stateLines = "")
    {
        TestSupport::MakeDirs(dir_.File("files"));
        TestSupport::WriteAll(StatePath(), stateLines.data(), stateLines.size());
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string exe = VORNHAL_MASTERSERVER_EXE, state = StatePath(), files = FilesDir();
        std::vector<char*> argv = {&exe[0], const_cast<char*>("--state"), &state[0],
                                   const_cast<char*>("--files"), &files[0], nullptr};
        if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string line;
        char c;
        pollfd p{out[0], POLLIN, 0};
        while (pid_ > 0 && poll(&p, 1, 20000) > 0 && read(out[0], &c, 1) == 1 && c != '\n')
            line.push_back(c);
        close(out[0]);
        if (line.compare(0, 5, "port ") == 0)
            port_ = std::atoi(line.c_str() + 5);
    }
    ~StandIn()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }

    bool Running() const { return port_ > 0; }
    int Port() const { return port_; }
    std::u16string Host() const
    {
        std::string h = "127.0.0.1:" + std::to_string(port_);
        return std::u16string(h.begin(), h.end());
    }
    std::u16string Url(const std::string& path) const
    {
        std::string u = "http://127.0.0.1:" + std::to_string(port_) + path;
        return std::u16string(u.begin(), u.end());
    }
    std::string StatePath() const { return dir_.File("state.txt"); }
    std::string FilesDir() const { return dir_.File("files"); }
    const TestSupport::TempDir& Dir() const { return dir_; }

    // The state file's records of one kind, fields decoded.
    std::vector<std::vector<std::string>> Records(const std::string& kind) const
    {
        std::vector<std::vector<std::string>> out;
        std::ifstream in(StatePath());
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> fields;
            std::istringstream split(line);
            std::string f;
            while (std::getline(split, f, '\t'))
                fields.push_back(Decode(f));
            if (!fields.empty() && fields[0] == kind)
                out.push_back(fields);
        }
        return out;
    }

    static std::string Field(const std::string& s)
    {
        static const char kHex[] = "0123456789ABCDEF";
        std::string out;
        for (unsigned char c : s) {
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

    // An account line: user, password, nick, uid, id, activated, score,
    // frags, deaths, suicides, rank.
    static std::string Account(const std::string& user, const std::string& password, const std::string& nick,
                               const std::string& uid, int id, bool activated = true, int score = 0, int frags = 0,
                               int rank = 0)
    {
        return "account\t" + Field(user) + "\t" + Field(password) + "\t" + Field(nick) + "\t" + Field(uid) + "\t" +
               std::to_string(id) + "\t" + (activated ? "1" : "0") + "\t" + std::to_string(score) + "\t" +
               std::to_string(frags) + "\t0\t0\t" + std::to_string(rank) + "\n";
    }

private:
    static std::string Decode(const std::string& f)
    {
        std::string out;
        for (size_t i = 0; i < f.size(); ++i) {
            if (f[i] == '%' && i + 2 < f.size()) {
                out.push_back(char(std::strtol(f.substr(i + 1, 2).c_str(), nullptr, 16)));
                i += 2;
            } else {
                out.push_back(f[i]);
            }
        }
        return out;
    }

    TestSupport::TempDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
};
