#pragma once

#include "HeadlessClient.h"
#include "game/world/player/Player.h"

#include <cstdint>
#include <random>
#include <vector>

// A scripted player for whole matches: walks round the walls at the
// nearest enemy it sees and shoots at it; with nobody in sight it goes back
// and forth between its start and the other side's; steps aside or tries a
// door when the walk gets nowhere.
class Fighter {
public:
    explicit Fighter(uint32_t seed) : random_(seed) {}

    void Steer(TestGame::HeadlessClient& client, float dt);

private:
    uint32_t Way();

    // The centre of the open tile nearest a point.
    static void NearestOpen(float* x, float* y);

    // A gun of the inventory, one with a loaded clip first.
    static void ChooseWeapon(TestGame::HeadlessClient& client, int* weapon, int* clip);

    // The centre of a tile a few steps along the shortest way over open
    // tiles from the player to the goal; the goal itself without a way.
    void Waypoint(Player* own, float gx, float gy, float* wx, float* wy);

    void Step(int from, int w, int tile, float* wx, float* wy) const;

    static Player* Nearest(Player* own);

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
