#pragma once

// The drawing record lives with the renderer that reads it; its builders and
// transforms are the game's and are defined in Quad.cpp beside this header.
#include "engine/render/Quad.h"
#include "game/world/Vector2.h"
