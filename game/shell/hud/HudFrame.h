#pragma once

#include "game/shell/client/SceneState.h"

class GameMod;
class GameSystem;
class IEngine;
class IInput;
class IRenderer;
class ITexture;
class Inventory;
class MultiplayerHandler;
class Player;
struct CommonMedia;

// Everything one HUD frame reads, gathered once at its start.
struct HudFrame {
    IRenderer* r = nullptr;
    IEngine* engine = nullptr;
    IInput* input = nullptr;
    GameSystem* game = nullptr;
    CommonMedia* media = nullptr;
    SceneState* scene = nullptr;
    // Null without an active handler.
    MultiplayerHandler* handler = nullptr;
    // The player this client controls, or null.
    Player* local = nullptr;
    GameMod* mode = nullptr;
    Inventory* inventory = nullptr;
    ActionSnapshot actions;
    // The local player's breath, 0..100; full without a local player.
    float breath = 100.0f;
    // The scene step's clock and the play loop's.
    float dt1 = 0.0f;
    float dt2 = 0.0f;

    float Health() const;
    ITexture* Picture(int slot) const;
};

namespace Hud {

// A value of the world (some come from the network) truncated into
// lo..hi; one that is not a number at all gives lo.
int Truncate(float value, int lo, int hi);

// The handler the game state uses, as the shell's handler; null when none.
MultiplayerHandler* ActiveHandler(GameSystem* game);
// The handler's local player when it is a player of the world, else null.
Player* LocalPlayer(GameSystem* game, MultiplayerHandler* handler);

// Status bar and what lies on it.
void DrawDamageFlash(HudFrame& f);
void DrawStatusBar(HudFrame& f);
void DrawHealthAndArmour(HudFrame& f);
void KeepExplosives(HudFrame& f);
void DrawAmmunition(HudFrame& f);
void DrawWeaponIcons(HudFrame& f);
void DrawStamina(HudFrame& f);
void DrawBreath(HudFrame& f);
// A number of at most three digits from the digit strip, one cell every
// 13 pixels from x; values outside 0..999 are clamped.
void DrawNumber(HudFrame& f, float value, int x, int y);

// Overlays.
void DrawMapView(HudFrame& f);
void DrawMessages(HudFrame& f);
void DrawTeamSelection(HudFrame& f);
void DrawScoreboard(HudFrame& f);
void ToggleMapView(HudFrame& f);
void DrawChatPrompt(HudFrame& f);
void DrawAdminMenu(HudFrame& f);
void DrawCentreTexts(HudFrame& f);
void DrawReadouts(HudFrame& f);
void DrawCrosshair(HudFrame& f);

// A screen rectangle of a picture with its top-left corner at (x, y),
// mapped to the window; additive or alpha-blended.
void DrawPicture(HudFrame& f, ITexture* picture, int left, int top, int right, int bottom, float x, float y,
                 bool additive, float alpha = 1.0f);

} // namespace Hud
