// The dedicated server's versions of the game state's drawing
// (GameSystemDraw.cpp).
#include "game/world/system/GameSystem.h"

// The server draws no map: the flag stays as it was.
void GameSystem::ReadMapPicture(const std::vector<uint8_t>&) {}
