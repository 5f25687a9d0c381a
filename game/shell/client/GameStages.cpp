#include "game/shell/client/Game.h"

#include "game/world/state/GameSystem.h"

// The stages that the menus, the dialogs and play fill in.
void Game::CreateInGameMenus() {}

void Game::RunMainMenu() { game_->runMode = 5; }

void Game::RunHostMenu() { game_->runMode = 5; }

void Game::Play() { game_->runMode = 0; }
