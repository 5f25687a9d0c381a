#include "game/shell/client/Game.h"

#include "game/world/state/GameSystem.h"

// The stages that the menus, the dialogs and play fill in.
void Game::RunUpdateCheck() {}

bool Game::RunLogin() { return true; }

void Game::CreateInGameMenus() {}

void Game::Play() { game_->runMode = 0; }
