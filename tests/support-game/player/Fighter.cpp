#include "Fighter.h"

#include "game/world/map/World.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/player/Player.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/resources/Inventory.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <deque>

void Fighter::Steer(TestGame::HeadlessClient& client, float dt)
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

uint32_t Fighter::Way()
{
    static const uint32_t ways[] = {PlayerInputFlags::Up, PlayerInputFlags::Down, PlayerInputFlags::Left,
                                    PlayerInputFlags::Right, PlayerInputFlags::Up | PlayerInputFlags::Left,
                                    PlayerInputFlags::Up | PlayerInputFlags::Right,
                                    PlayerInputFlags::Down | PlayerInputFlags::Left,
                                    PlayerInputFlags::Down | PlayerInputFlags::Right};
    return ways[random_() % 8];
}

void Fighter::NearestOpen(float* x, float* y)
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

void Fighter::ChooseWeapon(TestGame::HeadlessClient& client, int* weapon, int* clip)
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

void Fighter::Waypoint(Player* own, float gx, float gy, float* wx, float* wy)
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

void Fighter::Step(int from, int w, int tile, float* wx, float* wy) const
{
    int at = from;
    for (int i = 0; i < 2 && at >= 0 && ways_[size_t(at)] >= 0; ++i)
        at = ways_[size_t(at)];
    if (at < 0 || at == from)
        return;
    *wx = float((at % w) * tile + tile / 2), *wy = float((at / w) * tile + tile / 2);
}

Player* Fighter::Nearest(Player* own)
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
