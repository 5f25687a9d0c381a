// The dedicated server's versions of the player's drawing (PlayerDraw.cpp):
// it draws nothing.
#include "game/world/player/Player.h"

void Player::MakeDrawing() {}
void Player::FreeDrawing() {}
void Player::Draw() {}
void Player::DrawNameTag() {}
void Player::DrawShadowCaster(float, float, float) {}
void Player::DrawUpperLayer(float, float, float, bool) {}
