// The dedicated server's versions of the map's drawing (WorldDraw.cpp): it
// keeps no meshes and draws nothing.
#include "game/world/map/World.h"

void World::BuildMeshes(bool) {}
void World::RefreshWallQuad(int, int) {}
void World::DrawTiles(bool, const float*) {}
void World::DrawWallAlpha() {}
void World::DrawRubble(ITexture*) {}
void World::DrawLitFloor(float, float, float) {}
void World::DrawWallShadows(float, float, float) {}
void World::DrawLightBoxes() {}
