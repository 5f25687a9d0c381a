#pragma once

#include <cstdint>
#include <functional>

class IGameOptions;
class IInput;

// What one frame of play keeps between frames: the scene step writes most of
// it and the HUD reads it; the HUD keeps the values that belong to the
// display (flash, stamina, breath, death time) and opens and closes the map
// view and the team menu.

enum class OverlayMode : int32_t {
    None = 0,
    Map = 1,
    Chat = 2,
    TeamChat = 3,
    TeamSelect = 4,
    ExitQuestion = 5,
    AdminKick = 6,
    AdminBalance = 7,
    AdminChangeMap = 8,
};

inline bool IsAdminPage(OverlayMode mode)
{
    return mode == OverlayMode::AdminKick || mode == OverlayMode::AdminBalance || mode == OverlayMode::AdminChangeMap;
}

// The game actions of the key bindings, by number.
namespace GameAction {
enum : int {
    ThrowGrenade = 0,
    Chat = 1,
    TeamChat = 2,
    Shoot = 3,
    Remote = 4,
    Light = 5,
    Pick = 6,
    SelectExplosive = 7,
    SelectSmall = 8,
    SelectMain = 9,
    SelectGrenade = 10,
    SelectFive = 11,
    Use = 13,
    Reload = 14,
    Drop = 15,
    MoveUp = 16,
    MoveDown = 17,
    MoveRight = 18,
    MoveLeft = 19,
    Aiming = 20,
    Sprint = 21,
    Crouch = 22,
    Map = 23,
    Scores = 24,
    ChangeTeam = 25,
    BrightDown = 26,
    BrightUp = 27,
    VolumeDown = 28,
    VolumeUp = 29,
    QuitToMenu = 30,
    KickPlayer = 31,
    BalanceTeams = 32,
    ChangeMap = 33,
    ExecuteAdmin = 34,
    ExitAdmin = 35,
    Screenshot = 36,
    Count = 37,
};
}

// The game actions read once at the start of a step and tested throughout.
struct ActionSnapshot {
    bool down[GameAction::Count] = {};

    void Read(IGameOptions* options, IInput* input);
    bool operator[](int action) const { return action >= 0 && action < GameAction::Count && down[action]; }
};

struct SceneState {
    OverlayMode overlay = OverlayMode::None;
    // Set when an overlay key acted; cleared once every latch key is up.
    bool keyLatch = false;
    // While set, shooting and throwing are not sent.
    bool fireLatch = false;
    // The aim point relative to the view's centre, in world pixels.
    float cursorX = 0.0f;
    float cursorY = 0.0f;
    bool screenshotLatch = false;
    int32_t balanceItem = 0;
    // The team menu was opened because the local player has no team.
    bool teamMenuForced = false;
    // Seconds the brightness and volume readouts stay on screen.
    float brightnessReadout = 0.0f;
    float volumeReadout = 0.0f;
    // 0..10: sprinting drains it, the sprint bit goes only while above 0.
    float stamina = 0.0f;
    bool grenadeCharging = false;
    // 0..255, gathered as a float so fast frames still charge.
    float grenadeCharge = 0.0f;
    // Seconds since the local player died; 0 while alive.
    float deathTime = 0.0f;
    // 0..1, the breath indicator's alpha; play sets it to 0 at its start.
    float breathFade = 0.0f;
    // The HUD's damage flash and the health it compares against.
    float lastHealth = 0.0f;
    float damageFlash = 0.0f;
    // The clip change shown by the reload bar: its whole time, taken when
    // the game state's countdown starts, and the countdown seen last frame.
    float reloadTotal = 0.0f;
    float reloadSeen = 0.0f;
    // The view's size in pixels as the world was last drawn.
    int32_t screenWidth = 1024;
    int32_t screenHeight = 768;

    // The in-game menus the HUD runs for one frame while their overlay
    // shows; the play side makes them. Empty: nothing is run.
    std::function<void()> stepChatMenu;
    std::function<void()> stepKickMenu;
};
