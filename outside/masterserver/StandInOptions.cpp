#include "StandInOptions.h"

#include "StandInState.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

const char* const kStandInUsage =
    "usage: masterserver --state FILE [--files DIR] [--port N] [--server-timeout SECONDS]\n"
    "                    [--add-account USER PASSWORD NICK UID]... [--accounts FILE]\n";

namespace {

bool Number(const std::string& text, long long low, long long high, long long* out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno || *end || v < low || v > high)
        return false;
    *out = v;
    return true;
}

} // namespace

bool ParseStandInArguments(const std::vector<std::string>& args, StandInOptions* out, std::string* error)
{
    *out = StandInOptions();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        size_t values = a == "--add-account" ? 4 : 1;
        if (i + values >= args.size()) {
            *error = a + " needs " + std::to_string(values) + (values == 1 ? " value" : " values");
            return false;
        }
        long long n = 0;
        if (a == "--state") {
            out->statePath = args[++i];
        } else if (a == "--files") {
            out->filesDir = args[++i];
        } else if (a == "--accounts") {
            out->accountsPath = args[++i];
        } else if (a == "--port") {
            if (!Number(args[++i], 0, 65535, &n))
                return *error = "bad port " + args[i], false;
            out->port = int(n);
        } else if (a == "--server-timeout") {
            if (!Number(args[++i], 1, 1LL << 40, &n))
                return *error = "bad server time-out " + args[i], false;
            out->serverTimeout = n;
        } else if (a == "--add-account") {
            StandInOptions::NewAccount account{args[i + 1], args[i + 2], args[i + 3], args[i + 4]};
            i += 4;
            if (account.user.empty() || account.uid.empty())
                return *error = "an account needs a user name and a uid", false;
            out->accounts.push_back(account);
        } else {
            *error = "unknown option " + a;
            return false;
        }
    }
    if (out->statePath.empty()) {
        *error = "--state is required";
        return false;
    }
    return true;
}

bool PrepareStandInState(const StandInOptions& options, StandInState* state, std::string* error)
{
    if (!state->Load()) {
        *error = "cannot read " + options.statePath;
        return false;
    }
    for (const StandInOptions::NewAccount& a : options.accounts)
        state->SetAccount(a.user, a.password, a.nick, a.uid);
    const bool listed = !options.accountsPath.empty() && ApplyAccountsFile(options.accountsPath, state);
    if ((!options.accounts.empty() || listed) && !state->Save()) {
        *error = "cannot write " + options.statePath;
        return false;
    }
    return true;
}

bool ApplyAccountsFile(const std::string& path, StandInState* state)
{
    std::ifstream in(path);
    bool changed = false;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            f.push_back(field);
        if (f.size() != 4 || f[0].empty() || f[3].empty())
            continue;
        const Account* a = state->FindUser(f[0]);
        if (a && a->password == f[1] && a->nick == f[2] && a->uid == f[3])
            continue;
        state->SetAccount(f[0], f[1], f[2], f[3]);
        changed = true;
    }
    return changed;
}
