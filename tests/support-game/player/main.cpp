// A headless player as a program of its own (the game state is
// process-wide, so each player of a match is a process): joins a server,
// follows its levels and, when told to fight, plays the level's mode as a
// Fighter; told to chase, it only walks at the enemy. Prints what a
// supervisor waits for, one a line:
//   join took <ms>   joined <level>   frags <n>   lost   left
//   score <Finland> <Russia>   (the team numbers of its scoreboard)
//   rates in <B/s> out <B/s> datagrams in <per s>   at <x> <y> ... (with --trace)
//   received <datagrams so far> (with --trace, once a second)
#include "Fighter.h"
#include "HeadlessClient.h"

#include "engine/net/IConnection.h"
#include "game/world/modes/GameMod.h"
#include "game/world/player/Player.h"
#include "game/world/resources/Inventory.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string Narrow(const char16_t* s)
{
    std::string out;
    for (; s && *s; ++s)
        out += char(*s);
    return out;
}

struct Settings {
    std::string host = "127.0.0.1";
    int port = 0;
    std::string name = "Player";
    bool levels = false;
    bool fight = false;
    bool chase = false;
    bool trace = false;
    double seconds = 0.0;
    int chatMs = 0; // a chat line this often once joined
    int team = 0;
    std::string user, password, master;
};

bool Parse(int argc, char** argv, Settings* s)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool more = i + 1 < argc;
        if (a == "--port" && more)
            s->port = std::atoi(argv[++i]);
        else if (a == "--host" && more)
            s->host = argv[++i];
        else if (a == "--name" && more)
            s->name = argv[++i];
        else if (a == "--seconds" && more)
            s->seconds = std::atof(argv[++i]);
        else if (a == "--chat" && more)
            s->chatMs = std::atoi(argv[++i]);
        else if (a == "--team" && more)
            s->team = std::atoi(argv[++i]);
        else if (a == "--levels")
            s->levels = true;
        else if (a == "--fight")
            s->fight = true;
        else if (a == "--chase")
            s->chase = true;
        else if (a == "--trace")
            s->trace = true;
        else if (a == "--login" && i + 3 < argc)
            s->user = argv[i + 1], s->password = argv[i + 2], s->master = argv[i + 3], i += 3;
        else
            return false;
    }
    return s->port > 0;
}

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    Settings s;
    if (!Parse(argc, argv, &s)) {
        std::fprintf(stderr,
                     "usage: %s --port N [--host H] [--name N] [--levels] [--fight | --chase] [--seconds S] [--team "
                     "1|2] [--trace] [--chat MS] "
                     "[--login USER PASSWORD MASTER]\n",
                     argv[0]);
        return 2;
    }
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGINT, RequestStop);
    std::signal(SIGPIPE, SIG_IGN);
    const std::string dir = std::filesystem::current_path().string();
    if (s.levels) {
        std::filesystem::create_directories(dir + "/levels");
        for (const auto& e : std::filesystem::directory_iterator(std::string(VORNHAL_BUILD_DIR) + "/levels"))
            std::filesystem::copy_file(e.path(), dir + "/levels/" + e.path().filename().string(),
                                       std::filesystem::copy_options::overwrite_existing);
    }
    TestGame::HeadlessClient client(dir);
    if (!client.Game().Ok()) {
        Say("no game state");
        return 1;
    }
    client.Game().Game().Options().SetPlayerName(Wide(s.name).c_str());
    if (!s.user.empty()) {
        Engine& engine = client.Game().GetEngine();
        engine.SetMasterServer(Wide(s.master).c_str());
        int status = 0;
        bool in = engine.Login(Wide(s.user).c_str(), Wide(s.password).c_str(), &status);
        Say(in && engine.GetLoginUid() && *engine.GetLoginUid() ? "login ok" : "login failed");
    }
    const auto joinStart = std::chrono::steady_clock::now();
    if (!client.Join(Wide(s.host).c_str(), s.port)) {
        Say("join failed");
        return 1;
    }
    ClientHandler& handler = client.Handler();
    std::printf("join took %.0f ms\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - joinStart).count());

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto frameTime = std::chrono::microseconds(1000000 / 30);
    const Fighter::Role role = s.chase ? Fighter::Role::Chase : Fighter::Role::Fight;
    Fighter fighter{uint32_t(getpid()), role};
    int shownScore[2] = {-1, -1};
    double inSum = 0.0, outSum = 0.0;
    int datagrams0 = 0, datagrams1 = 0;
    int samples = 0, frags = 0;
    bool wasInLevel = false;
    std::u16string joined;
    auto last = Clock::now(), nextSample = last + std::chrono::seconds(1), nextChat = last;
    int said = 0;
    auto sampleStart = last, sampleEnd = last;
    while (!stopRequested) {
        auto now = Clock::now();
        if (s.seconds > 0.0 && now - start >= std::chrono::duration<double>(s.seconds))
            break;
        // A level change mid-play runs through the handler's own messages.
        bool inLevel = handler.IsLevelLoaded() && handler.HasPlayerId();
        if (inLevel && !wasInLevel) {
            joined = handler.GetLevelPath();
            fighter = Fighter{uint32_t(getpid()) + frags, role};
            Say("joined " + Narrow(handler.GetLevelPath()));
            if (s.team)
                handler.RequestTeamChange(s.team);
        }
        wasInLevel = inLevel;
        int state = handler.GetConnectionState();
        if (state == MPAPI::IConnection::kClosed || state == MPAPI::IConnection::kTimedOut) {
            Say("lost");
            return 3;
        }
        float dt = std::chrono::duration<float>(now - last).count();
        last = now;
        if (s.fight || s.chase)
            fighter.Steer(client, dt);
        client.Frame(dt > 0.1f ? 0.1f : dt);
        int own = handler.GetPlayerFrags(handler.GetLocalPlayerId());
        if (own != frags)
            frags = own, Say("frags " + std::to_string(frags));
        // The scoreboard of the level joined, not of one being changed to.
        const bool sameLevel = inLevel && joined == handler.GetLevelPath();
        if (GameMod* mode = sameLevel ? client.Game().Game().GetGameMode() : nullptr) {
            const int score[2] = {mode->GetScoreboardNumber(GameMod::kFinland),
                                  mode->GetScoreboardNumber(GameMod::kRussia)};
            if (score[0] != shownScore[0] || score[1] != shownScore[1]) {
                shownScore[0] = score[0], shownScore[1] = score[1];
                Say("score " + std::to_string(score[0]) + " " + std::to_string(score[1]));
            }
        }
        if (s.chatMs > 0 && inLevel && now >= nextChat) {
            handler.SendChat(Wide("line " + std::to_string(++said) + " from " + s.name).c_str(), false);
            nextChat = now + std::chrono::milliseconds(s.chatMs);
        }
        if (now >= nextSample && s.trace) {
            Say("received " + std::to_string(handler.GetPacketsReceived()));
            // Where the player is and whom it sees, once a second.
            Player* own = handler.GetOwnPlayer();
            std::string line = own ? "at " + std::to_string(int(own->GetX())) + " " + std::to_string(int(own->GetY())) +
                                         (own->IsAlive() ? "" : " dead")
                                   : "at nowhere";
            if (s.fight || s.chase)
                line += " " + fighter.Describe();
            if (Inventory* inventory = client.Game().Game().GetInventory())
                for (const Inventory::WeaponEntry& e : inventory->GetWeapons()) {
                    int ammo = 0, clip = 0;
                    inventory->GetWeaponAmmo(e.id, &ammo, &clip);
                    line += " w" + std::to_string(e.type) + ":" + std::to_string(clip) + "+" + std::to_string(ammo);
                }
            if (ObjectManager* objects = Services().objects)
                for (Object* p : objects->Players())
                    if (p != own)
                        line += " | " + std::to_string(int(p->GetX())) + " " + std::to_string(int(p->GetY())) + " h" +
                                std::to_string(int(p->GetHealth()));
            Say(line);
        }
        if (now >= nextSample) {
            if (samples == 0)
                datagrams0 = handler.GetPacketsReceived(), sampleStart = now;
            datagrams1 = handler.GetPacketsReceived(), sampleEnd = now;
            inSum += handler.GetBytesInPerSecond(), outSum += handler.GetBytesOutPerSecond(), ++samples;
            nextSample += std::chrono::seconds(1);
        }
        std::this_thread::sleep_until(now + frameTime);
    }
    const double sampled = std::chrono::duration<double>(sampleEnd - sampleStart).count();
    if (samples > 0)
        std::printf("rates in %.0f out %.0f datagrams in %.1f\n", inSum / samples, outSum / samples,
                    sampled > 0 ? double(datagrams1 - datagrams0) / sampled : 0.0);
    client.Leave();
    Say("left");
    return 0;
}
