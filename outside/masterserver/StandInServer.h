#pragma once

#include "StandInState.h"

#include <map>
#include <string>

// Answers the master-server and update-service requests on one
// connection at a time.
class StandInServer {
public:
    struct Request {
        std::string method;
        std::string path;
        std::map<std::string, std::string> query;
        std::string body;
        std::string peer;
    };
    struct Reply {
        int status = 200;
        std::string contentType = "text/xml";
        std::string body;
    };

    StandInServer(StandInState* state, std::string filesDir) : state_(state), filesDir_(std::move(filesDir)) {}

    // Reads one request from the connected socket, answers it and returns.
    void Serve(int fd, const std::string& peer);
    Reply Handle(const Request& request);

    static std::string PercentDecode(const std::string& text);
    // Strict: only the alphabet, whole groups, padding at the end.
    static bool Base64Decode(const std::string& text, std::string* out);
    static void Unscramble(unsigned char record[26]);

private:
    Reply Login(const Request& r);
    Reply Servers();
    Reply UserId(const Request& r);
    Reply AddServer(const Request& r);
    Reply UpdateScores(const Request& r);
    Reply StaticFile(const std::string& path);

    StandInState* state_;
    std::string filesDir_;
};
