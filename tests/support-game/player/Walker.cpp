#include "Walker.h"

#include "game/world/map/World.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/player/Player.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/state/WorldServices.h"

#include <deque>

namespace {

constexpr int kTile = kTileSize;

int Width()
{
    World* world = Services().world;
    return world && world->HasCells() ? world->GetWidth() : 0;
}

int Height()
{
    World* world = Services().world;
    return world && world->HasCells() ? world->GetHeight() : 0;
}

// Movement bits toward a point, nothing within `near` on an axis.
uint32_t Steer(float dx, float dy, float near)
{
    uint32_t walk = 0;
    if (dx > near)
        walk |= PlayerInputFlags::Right;
    if (dx < -near)
        walk |= PlayerInputFlags::Left;
    if (dy > near)
        walk |= PlayerInputFlags::Down;
    if (dy < -near)
        walk |= PlayerInputFlags::Up;
    return walk;
}

} // namespace

int Walker::TileOf(float x, float y)
{
    const int w = Width(), h = Height();
    if (!(x >= 0.0f) || !(y >= 0.0f))
        return -1;
    const int tx = int(x) / kTile, ty = int(y) / kTile;
    return tx < w && ty < h ? ty * w + tx : -1;
}

void Walker::TileCentre(int tile, float* x, float* y)
{
    const int w = Width();
    if (w <= 0 || tile < 0)
        return;
    *x = float((tile % w) * kTile + kTile / 2), *y = float((tile / w) * kTile + kTile / 2);
}

bool Walker::IsOpen(int tile)
{
    World* world = Services().world;
    const int w = Width();
    return w > 0 && tile >= 0 && tile < w * Height() && !(world->GetCell(tile % w, tile / w) & World::kWall);
}

void Walker::NearestOpen(float* x, float* y)
{
    const int w = Width(), h = Height();
    if (w <= 0)
        return;
    const int cx = int(*x) / kTile, cy = int(*y) / kTile;
    for (int r = 0; r < 8; ++r)
        for (int ty = cy - r; ty <= cy + r; ++ty)
            for (int tx = cx - r; tx <= cx + r; ++tx)
                if (tx >= 0 && ty >= 0 && tx < w && ty < h && IsOpen(ty * w + tx)) {
                    TileCentre(ty * w + tx, x, y);
                    return;
                }
}

void Walker::Search(std::vector<int>& next, int from, int goal)
{
    const int w = Width(), h = Height();
    PhysEng::PhysicsEngine* physics = Services().physics;
    PhysEng::IntersectionPacket* packet = physics->NewPacket();
    // A step from one tile's centre to the next that no body stops.
    auto open = [&](int a, int b) {
        if (!IsOpen(b))
            return false;
        float cx = 0.0f, cy = 0.0f;
        TileCentre(a, &cx, &cy);
        float mx = float((b % w - a % w) * kTile), my = float((b / w - a / w) * kTile);
        float sx = 0.0f, sy = 0.0f;
        packet->Clear();
        physics->MoveCircle(cx, cy, &mx, &my, Player::kBodyRadius + 2.0f, false, false, false, &sx, &sy, packet);
        return !packet->hit;
    };
    next.assign(size_t(w) * size_t(h), -2);
    next[size_t(goal)] = -1;
    std::deque<int> queue{goal};
    while (!queue.empty() && next[size_t(from)] == -2) {
        const int at = queue.front();
        queue.pop_front();
        const int x = at % w, y = at / w;
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& d : steps) {
            const int nx = x + d[0], ny = y + d[1];
            if (nx < 0 || ny < 0 || nx >= w || ny >= h || next[size_t(ny * w + nx)] != -2)
                continue;
            // The walker's own tile may be half blocked: it walks out of it.
            if (ny * w + nx != from && !open(ny * w + nx, at))
                continue;
            next[size_t(ny * w + nx)] = at;
            queue.push_back(ny * w + nx);
        }
    }
}

std::vector<int> Walker::Route(int from, int goal)
{
    std::vector<int> route;
    if (from < 0 || goal < 0 || !Services().physics || Width() <= 0)
        return route;
    std::vector<int> next;
    Search(next, from, goal);
    for (int at = from; at >= 0; at = next[size_t(at)]) {
        route.push_back(at);
        if (at == goal)
            return route;
    }
    return {};
}

void Walker::Waypoint(int from, int goal, float* wx, float* wy)
{
    const int w = Width();
    if (from < 0 || goal < 0 || from == goal || !Services().physics || w <= 0)
        return;
    // Kept while the goal stays on its tile: the walls change little.
    if (goal != wayGoal_ || ways_.size() != size_t(w) * size_t(Height()) || ways_[size_t(from)] == -2) {
        Search(ways_, from, goal);
        wayGoal_ = goal;
    }
    int at = from;
    for (int i = 0; i < 2 && at >= 0 && ways_[size_t(at)] >= 0; ++i)
        at = ways_[size_t(at)];
    if (at >= 0 && at != from)
        TileCentre(at, wx, wy);
}

uint32_t Walker::Towards(Player* own, float gx, float gy, float dt, bool exact)
{
    const float dx = gx - own->GetX(), dy = gy - own->GetY();
    uint32_t walk = 0;
    if (exact && dx * dx + dy * dy < 1.5f * kTile * 1.5f * kTile) {
        // A step at walking pace lands within this of the point.
        walk = Steer(dx, dy, 3.0f);
    } else if (dx * dx + dy * dy > 0.75f * kTile * 0.75f * kTile) {
        float wx = gx, wy = gy;
        Waypoint(TileOf(own->GetX(), own->GetY()), TileOf(gx, gy), &wx, &wy);
        walk = Steer(wx - own->GetX(), wy - own->GetY(), 4.0f);
    }
    return Unstick(own, walk, dt);
}

uint32_t Walker::Unstick(Player* own, uint32_t walk, float dt)
{
    // Once a second: a walk that moved less than a body's width is
    // blocked; a door in the way opens to one press, else a random way
    // for a moment.
    sinceCheck_ += dt;
    if (sinceCheck_ >= 1.0f) {
        const float mx = own->GetX() - lastX_, my = own->GetY() - lastY_;
        const bool stuck = walk != 0 && mx * mx + my * my < 16.0f * 16.0f;
        lastX_ = own->GetX(), lastY_ = own->GetY(), sinceCheck_ = 0.0f;
        if (stuck) {
            wander_ = Way();
            if (++stuckCount_ % 2 == 1)
                useFrames_ = 8;
            else
                aside_ = 0.5f;
        }
    }
    if (aside_ > 0.0f) {
        aside_ -= dt;
        return wander_;
    }
    return walk;
}

bool Walker::WantsUse() { return useFrames_ > 0 && useFrames_-- > 0; }

uint32_t Walker::Way()
{
    static const uint32_t ways[] = {PlayerInputFlags::Up,
                                    PlayerInputFlags::Down,
                                    PlayerInputFlags::Left,
                                    PlayerInputFlags::Right,
                                    PlayerInputFlags::Up | PlayerInputFlags::Left,
                                    PlayerInputFlags::Up | PlayerInputFlags::Right,
                                    PlayerInputFlags::Down | PlayerInputFlags::Left,
                                    PlayerInputFlags::Down | PlayerInputFlags::Right};
    return ways[random_() % 8];
}
