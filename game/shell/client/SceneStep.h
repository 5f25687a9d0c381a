#pragma once

#include "game/shell/client/SceneState.h"

#include <cstdint>

class Game;
class GameSystem;
class IEngine;
class IInput;
class IRenderer;
class Inventory;
class MultiplayerHandler;
class Player;

// One step of the scene as Game::StepScene runs it each frame of play: the
// keyboard and mouse into overlays, settings, weapon choice, the input sent
// to the server, the camera and the listener.
class SceneStep {
public:
    explicit SceneStep(Game& game);
    // True when play is to end.
    bool Run();

private:
    Player* FindLocalPlayer();
    void ApplyReverb(Player* player);
    void ReadActions();
    void ReleaseLatches();
    void MoveCursor();
    bool Leaving();
    void Screenshot();
    // True when a level was started and the step is to end here.
    bool AdminMenu();
    void OpenAdminPages();
    bool ActOnAdminPage();
    void Readouts();
    void ChatEntry();
    void AgeMessages();
    void WeaponUpkeep();
    void SelectUsableWeapon();
    uint32_t InputFlags(Player* player);
    void WeaponKeys();
    void CycleWithWheel();
    uint32_t ShootAndThrow();
    void SendClientState(Player* player, uint32_t flags);
    void FollowPlayer(Player* player);

    bool Down(int action) const { return actions_[action]; }
    bool Fixed(int key) const;
    void Latch() { scene_.keyLatch = true; }

    Game& game_;
    IEngine* engine_;
    IRenderer* renderer_;
    IInput* input_;
    GameSystem* state_;
    SceneState& scene_;
    MultiplayerHandler* handler_ = nullptr;
    Inventory* inventory_ = nullptr;
    bool actions_[GameAction::Count] = {};
};
