#include "game/shell/client/Game.h"

#include "game/world/state/GameSystem.h"

// The stages that the menus and the HUD fill in.
void Game::RunMainMenu() { game_->runMode = 5; }

void Game::RunHostMenu() { game_->runMode = 5; }

// The HUD's frame of play; weak so that the HUD's own takes its place.
__attribute__((weak)) void Game::DrawScene() {}

// Until the screens' map rendering is in: the level editor calls these.
__attribute__((weak)) void Game::RenderMiniMap(unsigned long) {}

__attribute__((weak)) void Game::DrawMiniMap(unsigned long, int, int) {}

__attribute__((weak)) void Game::RenderGameMap() {}

__attribute__((weak)) void Game::DrawGameMap(unsigned long, int, int) {}
