#pragma once

#include "HeadlessGame.h"

#include <cstdint>
#include <string>
#include <vector>

namespace TestGame {

// One input of a scripted player, held for a number of frames.
struct ScriptStep {
    enum Kind { Move, Aim, Fire, SwitchWeapon, Chat, TeamChange };
    Kind kind = Move;
    int frames = 1;
    uint32_t moveFlags = 0; // Move: PlayerInputFlags movement bits
    float aimX = 0.0f;      // Aim: the world point aimed at
    float aimY = 0.0f;
    int weapon = -1;     // SwitchWeapon
    std::u16string text; // Chat
    bool teamOnly = false;
    int team = 1; // TeamChange: 1 Finland, 2 Russia
};

// A headless client: the game state with its client handler joined to a
// server through a real MPAPI client, playing a script of inputs frame by
// frame as the scene step would report them.
class HeadlessClient {
public:
    explicit HeadlessClient(const std::string& gameDir);
    ~HeadlessClient();

    // Connects, then waits for the level as the play loop does.
    bool Join(const char16_t* host, int port, const char16_t* password = nullptr);
    // One frame: the script's input into the client state, the handler's
    // network work and the game state's update.
    void Frame(float dt);
    void SetScript(std::vector<ScriptStep> script) { script_ = std::move(script), step_ = 0, held_ = 0; }
    bool ScriptDone() const { return step_ >= script_.size(); }
    // Input held from now on, for a player steered frame by frame instead
    // of by a script: the flags as they are, the point aimed at, the weapon
    // in hand and the explosive chosen (-1 none).
    void Hold(uint32_t flags, float aimX, float aimY, int weapon, int explosive = -1)
    {
        flags_ = flags, aimX_ = aimX, aimY_ = aimY, weapon_ = weapon, explosive_ = explosive;
    }
    // Throws (or lays) the explosive held, with a power of 0..255.
    void Throw(int power) { game_.Handler().SendPlayerAction(power); }
    void Leave();

    HeadlessGame& Game() { return game_; }
    ClientHandler& Handler() { return game_.Handler(); }

private:
    void ApplyStep(const ScriptStep& step);

    HeadlessGame game_;
    MPAPI::IClient* client_ = nullptr;
    std::vector<ScriptStep> script_;
    size_t step_ = 0;
    int held_ = 0;
    uint32_t flags_ = 0;
    float aimX_ = 0.0f, aimY_ = 0.0f;
    int weapon_ = -1;
    int explosive_ = -1;
};

} // namespace TestGame
