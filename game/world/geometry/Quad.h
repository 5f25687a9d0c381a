#pragma once

// The drawing record lives with the renderer that reads it; its builders and
// transforms are the game's and are defined in Quad.cpp beside this header.
#include "engine/render/Quad.h"
#include "game/world/geometry/Vector2.h"

class IRenderer;

// Fills (x0, y0)-(x1, y1) of the screen through IRenderer::FillQuad.
void FillScreenRect(IRenderer* r, float x0, float y0, float x1, float y1, int red, int green, int blue, float alpha);
