#pragma once

#include <cstdint>
#include <random>
#include <vector>

class Player;

// Walks a player over the open tiles of the level: the movement bits that
// take it a step along the shortest way round the walls, with a random step
// aside (or a press of the use key at a door) when the walk gets nowhere.
// The way is worked out the same every time, so one walker can tell the way
// another will take.
class Walker {
public:
    explicit Walker(uint32_t seed) : random_(seed) {}

    // The movement bits toward (gx, gy); exact steers onto the point itself
    // once near, else it is enough to come within about a tile.
    uint32_t Towards(Player* own, float gx, float gy, float dt, bool exact);
    // The use key's share of the unsticking, held for a few frames.
    bool WantsUse();

    // Tiles of the level: index = y * width + x, -1 off the map.
    static int TileOf(float x, float y);
    static void TileCentre(int tile, float* x, float* y);
    static bool IsOpen(int tile);
    // The centre of the open tile nearest a point.
    static void NearestOpen(float* x, float* y);
    // The tiles a walker standing on `from` walks through to reach `goal`,
    // both included; empty when there is no way.
    std::vector<int> Route(int from, int goal);

private:
    uint32_t Way();
    uint32_t Unstick(Player* own, uint32_t walk, float dt);
    // The centre of a tile a few steps along the way from `from` to `goal`;
    // (gx, gy) itself without a way.
    void Waypoint(int from, int goal, float* wx, float* wy);
    // Fills `next` breadth first from the goal until `from` is reached:
    // each tile's step toward the goal.
    static void Search(std::vector<int>& next, int from, int goal);

    std::mt19937 random_;
    std::vector<int> ways_;
    int wayGoal_ = -1;
    float sinceCheck_ = 0.0f, aside_ = 0.0f;
    float lastX_ = 0.0f, lastY_ = 0.0f;
    unsigned stuckCount_ = 0;
    int useFrames_ = 0;
    // The random way taken to get unstuck.
    uint32_t wander_ = 0x4;
};
