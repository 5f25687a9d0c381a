#pragma once

#include <cstdint>
#include <functional>

class IGameOptions;
class IInput;

// The game actions of the settings' key bindings, in their order.
namespace GameAction {
enum : int {
    ThrowGrenade = 0,
    Chat,
    TeamChat,
    Shoot,
    Remote,
    Light,
    Pick,
    SelectExplosive,
    SelectSmall,
    SelectMain,
    SelectGrenade,
    SelectFive,
    Zoom, // bound to nothing: no effect
    Use,
    Reload,
    Drop,
    MoveUp,
    MoveDown,
    MoveRight,
    MoveLeft,
    Aiming,
    Sprint,
    Crouch,
    Map,
    Scores,
    ChangeTeam,
    BrightDown,
    BrightUp,
    VolumeDown,
    VolumeUp,
    QuitToMenu,
    KickPlayer,
    BalanceTeams,
    ChangeMap,
    ExecuteAdmin,
    ExitAdmin,
    Screenshot,
    Count,
};
} // namespace GameAction

// The game actions read once at the start of a frame and tested throughout.
struct ActionSnapshot {
    bool down[GameAction::Count] = {};

    void Read(IGameOptions* options, IInput* input);
    bool operator[](int action) const { return action >= 0 && action < GameAction::Count && down[action]; }
};

// Keys of the engine's fixed key table that play reads directly.
namespace FixedKey {
enum : int {
    Escape = 0,
    Return = 1,
    Space = 2,
    F1 = 5,
    F8 = 12,
    Digit0 = 17,
    Digit5 = 22,
    N = 41,
    Y = 52,
    Plus = 61,
    Minus = 62,
};
} // namespace FixedKey

// What lies over the game view.
enum class OverlayMode : int {
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

inline bool IsAdminPage(OverlayMode mode) { return mode >= OverlayMode::AdminKick; }

// The play frame's state that the scene step and the HUD share. It lives as
// long as the game; play only resets what it says it resets.
struct SceneState {
    static constexpr float kFullStamina = 10.0f;
    static constexpr float kFullCharge = 255.0f;

    OverlayMode overlay = OverlayMode::None;
    // An overlay key acted: none acts again until every one of them is up.
    bool keyLatch = false;
    // Which keys of the latch's set were down at the last step, one bit each.
    uint64_t latchKeysDown = 0;
    // The shoot and throw bits are held back: the player is dead, or the
    // weapon was switched under a held trigger.
    bool fireLatch = false;
    // The aim point from the view's centre, in world pixels.
    float cursorX = 0.0f;
    float cursorY = 0.0f;
    bool screenshotLatch = false;
    // The highlighted line of the balance page: 0 now, 1 auto on, 2 auto off.
    int balanceItem = 0;
    // Team selection was opened because the local player has no team.
    bool teamMenuForced = false;
    float brightnessReadout = 0.0f;
    float volumeReadout = 0.0f;
    float stamina = 0.0f;
    bool grenadeCharging = false;
    // Gathered in fractions so that any frame rate charges; only the byte
    // sent is whole.
    float grenadeCharge = 0.0f;
    // Seconds since the local player died; 0 while alive.
    float deathTime = 0.0f;
    float lastHealth = 0.0f;
    float damageFlash = 0.0f;
    float breathFade = 0.0f;
    // The view's size in pixels as the world was last drawn.
    int32_t screenWidth = 1024;
    int32_t screenHeight = 768;

    // The in-game menus the HUD runs for one frame while their overlay
    // shows; play makes them. Empty: nothing is run.
    std::function<void()> stepChatMenu;
    std::function<void()> stepKickMenu;

    uint8_t GrenadeChargeByte() const
    {
        return grenadeCharge <= 0.0f ? 0 : grenadeCharge >= kFullCharge ? 255 : uint8_t(grenadeCharge);
    }
};
