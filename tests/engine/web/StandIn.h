#pragma once

#include "StandInOptions.h"
#include "StandInServer.h"
#include "StandInService.h"
#include "StandInState.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The stand-in master server itself, run in the test's process on
// 127.0.0.1, with its state file and files folder in a temporary folder.
class StandIn {
public:
    // args: more of its command line; prepare: what the state holds before
    // the start.
    explicit StandIn(const std::vector<std::string>& args = {},
                     const std::function<void(StandInState&)>& prepare = nullptr)
    {
        TestSupport::MakeDirs(FilesDir());
        std::vector<std::string> line = {"--state", StatePath(), "--files", FilesDir()};
        line.insert(line.end(), args.begin(), args.end());
        StandInOptions options;
        std::string error;
        state_.reset(new StandInState(StatePath()));
        if (!ParseStandInArguments(line, &options, &error) || !PrepareStandInState(options, state_.get(), &error)) {
            ADD_FAILURE() << error;
            return;
        }
        if (prepare) {
            prepare(*state_);
            state_->Save();
        }
        server_.reset(new StandInServer(state_.get(), options.filesDir));
        server_->SetServerTimeout(options.serverTimeout);
        service_.reset(new StandInService(server_.get()));
        if (!service_->Start(options.port))
            service_.reset();
    }
    ~StandIn() { service_.reset(); }

    bool Running() const { return service_ != nullptr; }
    int Port() const { return service_ ? service_->Port() : 0; }
    std::u16string Host() const
    {
        std::string h = "127.0.0.1:" + std::to_string(Port());
        return std::u16string(h.begin(), h.end());
    }
    std::u16string Url(const std::string& path) const
    {
        std::string u = "http://127.0.0.1:" + std::to_string(Port()) + path;
        return std::u16string(u.begin(), u.end());
    }
    std::string StatePath() const { return dir_.File("state.txt"); }
    std::string FilesDir() const { return dir_.File("files"); }
    const TestSupport::TempDir& Dir() const { return dir_; }

    StandInServer& Server() { return *server_; }
    StandInState State() { return server_->Snapshot(); }

    // An account with the given id and totals, for prepare.
    static void AddAccount(StandInState& s, const std::string& user, const std::string& password,
                           const std::string& nick, const std::string& uid, int id, bool activated = true,
                           int score = 0, int frags = 0, int rank = 0)
    {
        Account& a = s.SetAccount(user, password, nick, uid);
        a.id = id;
        a.activated = activated;
        a.score = score;
        a.frags = frags;
        a.rank = rank;
    }

private:
    TestSupport::TempDir dir_;
    std::unique_ptr<StandInState> state_;
    std::unique_ptr<StandInServer> server_;
    std::unique_ptr<StandInService> service_;
};
