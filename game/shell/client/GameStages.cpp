#include "game/shell/client/Game.h"

#include "game/world/state/GameSystem.h"

// The stages that the menus, the dialogs and play fill in.
void Game::RunUpdateCheck() {}

bool Game::RunLogin() { return true; }

void Game::CreateInGameMenus() {}

void Game::RunMainMenu() { game_->runMode = 5; }

void Game::RunHostMenu() { game_->runMode = 5; }

void Game::Play() { game_->runMode = 0; }

// Until the screens' map rendering is in: the level editor calls these.
void Game::RenderMiniMap(unsigned long) {}

void Game::DrawMiniMap(unsigned long, int, int) {}

void Game::RenderGameMap() {}

void Game::DrawGameMap(unsigned long, int, int) {}
