// A headless player as a program of its own (the game state is
// process-wide, so each player of a match is a process): joins a server,
// follows its levels and, when told to fight, walks at the nearest enemy
// and shoots. Prints what a supervisor waits for, one line each:
//   join took <ms>   joined <level>   frags <n>   lost   left
//   rates in <B/s> out <B/s>   at <x> <y> ... (with --trace)
#include "HeadlessClient.h"

#include "engine/net/IConnection.h"
#include "game/world/BlockResource.h"
#include "game/world/Inventory.h"
#include "game/world/ObjectManager.h"
#include "game/world/Player.h"
#include "game/world/World.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/WorldServices.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <random>
#include <vector>
#include <string>
#include <thread>
#include <unistd.h>

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
    bool trace = false;
    double seconds = 0.0;
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
        else if (a == "--team" && more)
            s->team = std::atoi(argv[++i]);
        else if (a == "--levels")
            s->levels = true;
        else if (a == "--fight")
            s->fight = true;
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

// Walks at the nearest living enemy and shoots at it; steps aside for a
// while when the walk gets nowhere (a wall between).
class Fighter {
public:
    explicit Fighter(uint32_t seed) : random_(seed) {}

    void Steer(TestGame::HeadlessClient& client, float dt)
    {
        Player* own = client.Handler().GetOwnPlayer();
        if (!own) {
            client.Hold(0, 0.0f, 0.0f, -1);
            return;
        }
        ++frame_;
        if (!own->IsAlive()) {
            client.Hold(frame_ % 2 ? PlayerInputFlags::Respawn : 0, own->GetX(), own->GetY() - 100.0f, -1);
            return;
        }
        Player* target = Nearest(own);
        float ax = target ? target->GetX() : own->GetX();
        float ay = target ? target->GetY() : own->GetY() - 100.0f;
        float dx = ax - own->GetX(), dy = ay - own->GetY();
        // Far enemies are not brought up to date: a place that has not
        // changed for a while is stale, and both sides then make for the
        // middle between the places they first saw each other at.
        if (target) {
            if (!meetSet_)
                meetX_ = (own->GetX() + ax) * 0.5f, meetY_ = (own->GetY() + ay) * 0.5f, meetSet_ = true;
            still_ = (ax == seenX_ && ay == seenY_) ? still_ + dt : 0.0f;
            seenX_ = ax, seenY_ = ay;
        }
        float gx = ax, gy = ay;
        if (target && still_ > 1.5f && dx * dx + dy * dy > 200.0f * 200.0f)
            gx = meetX_, gy = meetY_;
        // Nobody in sight: back and forth between the own start and its
        // mirror image across the map, where the other side starts.
        if (!patrolSet_) {
            homeX_ = own->GetX(), homeY_ = own->GetY(), patrolSet_ = true;
            World* world = Services().world;
            awayX_ = world ? float(world->GetWidth() * BlockResource::kTileSize) - homeX_ : homeX_;
            awayY_ = homeY_;
            NearestOpen(&awayX_, &awayY_);
        }
        if (!target) {
            gx = outbound_ ? awayX_ : homeX_, gy = outbound_ ? awayY_ : homeY_;
            if ((gx - own->GetX()) * (gx - own->GetX()) + (gy - own->GetY()) * (gy - own->GetY()) < 120.0f * 120.0f)
                outbound_ = !outbound_;
        }
        const bool chasing = target && gx == ax && gy == ay;
        float gdx = gx - own->GetX(), gdy = gy - own->GetY();
        uint32_t flags = PlayerInputFlags::Aiming;
        int weapon = -1, clip = 0;
        ChooseWeapon(client, &weapon, &clip);
        if (target && weapon >= 0 && clip > 0 && frame_ % 4 != 0)
            flags |= PlayerInputFlags::Shoot;
        if (weapon >= 0 && clip == 0 && frame_ % 30 == 0)
            flags |= PlayerInputFlags::Reload;
        uint32_t walk = 0;
        if (gdx * gdx + gdy * gdy > 120.0f * 120.0f) {
            // Towards the next tile of the way round the walls.
            float wx = gx, wy = gy;
            Waypoint(own, gx, gy, &wx, &wy);
            float mx = wx - own->GetX(), my = wy - own->GetY();
            if (mx > 4.0f)
                walk |= PlayerInputFlags::Right;
            if (mx < -4.0f)
                walk |= PlayerInputFlags::Left;
            if (my > 4.0f)
                walk |= PlayerInputFlags::Down;
            if (my < -4.0f)
                walk |= PlayerInputFlags::Up;
        } else if (!chasing) {
            walk = wander_;
        }
        // Once a second: a walk that moved less than a body's width is
        // blocked; try a random way for a moment.
        sinceCheck_ += dt;
        if (sinceCheck_ >= 1.0f) {
            float mx = own->GetX() - lastX_, my = own->GetY() - lastY_;
            bool stuck = walk != 0 && mx * mx + my * my < 16.0f * 16.0f;
            lastX_ = own->GetX(), lastY_ = own->GetY(), sinceCheck_ = 0.0f;
            if (stuck || (!chasing && random_() % 3 == 0))
                wander_ = Way();
            // A door in the way opens to one press; else step aside.
            if (stuck && ++stuckCount_ % 2 == 1)
                useFrames_ = 8;
            else if (stuck)
                aside_ = 0.5f;
        }
        if (aside_ > 0.0f) {
            aside_ -= dt;
            walk = wander_;
        }
        if (useFrames_ > 0 && useFrames_-- > 0)
            flags |= PlayerInputFlags::Use;
        client.Hold(flags | walk, ax, ay, weapon);
    }

private:
    uint32_t Way()
    {
        static const uint32_t ways[] = {PlayerInputFlags::Up, PlayerInputFlags::Down, PlayerInputFlags::Left,
                                        PlayerInputFlags::Right, PlayerInputFlags::Up | PlayerInputFlags::Left,
                                        PlayerInputFlags::Up | PlayerInputFlags::Right,
                                        PlayerInputFlags::Down | PlayerInputFlags::Left,
                                        PlayerInputFlags::Down | PlayerInputFlags::Right};
        return ways[random_() % 8];
    }

    // The centre of the open tile nearest a point.
    static void NearestOpen(float* x, float* y)
    {
        World* world = Services().world;
        if (!world || !world->HasCells())
            return;
        const int w = world->GetWidth(), h = world->GetHeight(), tile = BlockResource::kTileSize;
        const int cx = int(*x) / tile, cy = int(*y) / tile;
        for (int r = 0; r < 8; ++r)
            for (int ty = cy - r; ty <= cy + r; ++ty)
                for (int tx = cx - r; tx <= cx + r; ++tx)
                    if (tx >= 0 && ty >= 0 && tx < w && ty < h && !(world->GetCell(tx, ty) & World::kWall)) {
                        *x = float(tx * tile + tile / 2), *y = float(ty * tile + tile / 2);
                        return;
                    }
    }

    // A gun of the inventory, one with a loaded clip first.
    static void ChooseWeapon(TestGame::HeadlessClient& client, int* weapon, int* clip)
    {
        Inventory* inventory = client.Game().Game().GetInventory();
        if (!inventory)
            return;
        for (const Inventory::WeaponEntry& e : inventory->GetWeapons()) {
            if (e.category == 4 || e.type == 8)
                continue;
            if (*weapon < 0 || (*clip <= 0 && e.clip > 0))
                *weapon = e.id, *clip = e.clip;
        }
    }

    // The centre of a tile a few steps along the shortest way over open
    // tiles from the player to the goal; the goal itself without a way.
    void Waypoint(Player* own, float gx, float gy, float* wx, float* wy)
    {
        World* world = Services().world;
        PhysEng::PhysicsEngine* physics = Services().physics;
        const int w = world ? world->GetWidth() : 0, h = world ? world->GetHeight() : 0;
        const int tile = BlockResource::kTileSize;
        if (!world || !world->HasCells() || !physics)
            return;
        PhysEng::IntersectionPacket* packet = physics->NewPacket();
        // A step from one tile's centre to the next that no body stops.
        auto open = [&](int from, int to) {
            if ((world->GetCell(to % w, to / w) & World::kWall) != 0)
                return false;
            float cx = float((from % w) * tile + tile / 2), cy = float((from / w) * tile + tile / 2);
            float mx = float((to % w - from % w) * tile), my = float((to / w - from / w) * tile);
            float sx = 0.0f, sy = 0.0f;
            packet->Clear();
            physics->MoveCircle(cx, cy, &mx, &my, Player::kBodyRadius + 2.0f, false, false, false, &sx, &sy, packet);
            return !packet->hit;
        };
        auto index = [&](float x, float y) {
            int tx = int(x) / tile, ty = int(y) / tile;
            return tx >= 0 && ty >= 0 && tx < w && ty < h ? ty * w + tx : -1;
        };
        const int from = index(own->GetX(), own->GetY()), goal = index(gx, gy);
        if (from < 0 || goal < 0 || from == goal)
            return;
        // Breadth first from the goal, so each tile knows its step towards
        // it; kept while the goal stays on its tile (the walls change little).
        std::vector<int>& next = ways_;
        if (goal != wayGoal_ || next.size() != size_t(w) * size_t(h) || next[size_t(from)] == -2) {
            next.assign(size_t(w) * size_t(h), -2);
            next[size_t(goal)] = -1;
            wayGoal_ = goal;
        } else {
            return Step(from, w, tile, wx, wy);
        }
        std::deque<int> queue{goal};
        while (!queue.empty() && next[size_t(from)] == -2) {
            int at = queue.front();
            queue.pop_front();
            const int x = at % w, y = at / w;
            const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto& d : steps) {
                int nx = x + d[0], ny = y + d[1];
                if (nx < 0 || ny < 0 || nx >= w || ny >= h || next[size_t(ny * w + nx)] != -2)
                    continue;
                if (ny * w + nx != from && !open(ny * w + nx, at))
                    continue;
                next[size_t(ny * w + nx)] = at;
                queue.push_back(ny * w + nx);
            }
        }
        Step(from, w, tile, wx, wy);
    }

    void Step(int from, int w, int tile, float* wx, float* wy) const
    {
        int at = from;
        for (int i = 0; i < 2 && at >= 0 && ways_[size_t(at)] >= 0; ++i)
            at = ways_[size_t(at)];
        if (at < 0 || at == from)
            return;
        *wx = float((at % w) * tile + tile / 2), *wy = float((at / w) * tile + tile / 2);
    }

    static Player* Nearest(Player* own)
    {
        Player* best = nullptr;
        float bestDistance = 0.0f;
        ObjectManager* objects = Services().objects;
        if (!objects)
            return nullptr;
        for (Object* o : objects->Players()) {
            Player* p = static_cast<Player*>(o);
            if (!p || p == own || !p->IsAlive() || p->GetTeam() == own->GetTeam())
                continue;
            float dx = p->GetX() - own->GetX(), dy = p->GetY() - own->GetY();
            float d = dx * dx + dy * dy;
            if (!best || d < bestDistance)
                best = p, bestDistance = d;
        }
        return best;
    }

    std::mt19937 random_;
    unsigned frame_ = 0;
    float sinceCheck_ = 0.0f, aside_ = 0.0f;
    float lastX_ = 0.0f, lastY_ = 0.0f;
    unsigned stuckCount_ = 0;
    bool patrolSet_ = false, outbound_ = true;
    float homeX_ = 0.0f, homeY_ = 0.0f, awayX_ = 0.0f, awayY_ = 0.0f;
    std::vector<int> ways_;
    int wayGoal_ = -1;
    bool meetSet_ = false;
    float meetX_ = 0.0f, meetY_ = 0.0f, seenX_ = 0.0f, seenY_ = 0.0f, still_ = 0.0f;
    int useFrames_ = 0;
    uint32_t wander_ = PlayerInputFlags::Up;
};

} // namespace

int main(int argc, char** argv)
{
    Settings s;
    if (!Parse(argc, argv, &s)) {
        std::fprintf(stderr, "usage: %s --port N [--host H] [--name N] [--levels] [--fight] [--seconds S] [--team 1|2] [--trace] "
                             "[--login USER PASSWORD MASTER]\n", argv[0]);
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
    Fighter fighter{uint32_t(getpid())};
    double inSum = 0.0, outSum = 0.0;
    int samples = 0, frags = 0;
    bool wasInLevel = false;
    auto last = Clock::now(), nextSample = last + std::chrono::seconds(1);
    while (!stopRequested) {
        auto now = Clock::now();
        if (s.seconds > 0.0 && now - start >= std::chrono::duration<double>(s.seconds))
            break;
        // A level change mid-play runs through the handler's own messages.
        bool inLevel = handler.IsLevelLoaded() && handler.HasPlayerId();
        if (inLevel && !wasInLevel) {
            fighter = Fighter{uint32_t(getpid()) + frags};
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
        if (s.fight)
            fighter.Steer(client, dt);
        client.Frame(dt > 0.1f ? 0.1f : dt);
        int own = handler.GetPlayerFrags(handler.GetLocalPlayerId());
        if (own != frags)
            frags = own, Say("frags " + std::to_string(frags));
        if (now >= nextSample && s.trace) {
            // Where the player is and whom it sees, once a second.
            Player* own = handler.GetOwnPlayer();
            std::string line = own ? "at " + std::to_string(int(own->GetX())) + " " + std::to_string(int(own->GetY())) +
                                         (own->IsAlive() ? "" : " dead")
                                   : "at nowhere";
            if (ObjectManager* objects = Services().objects)
                for (Object* p : objects->Players())
                    if (p != own)
                        line += " | " + std::to_string(int(p->GetX())) + " " + std::to_string(int(p->GetY()));
            Say(line);
        }
        if (now >= nextSample) {
            inSum += handler.GetBytesInPerSecond(), outSum += handler.GetBytesOutPerSecond(), ++samples;
            nextSample += std::chrono::seconds(1);
        }
        std::this_thread::sleep_until(now + frameTime);
    }
    if (samples > 0)
        std::printf("rates in %.0f out %.0f\n", inSum / samples, outSum / samples);
    client.Leave();
    Say("left");
    return 0;
}
