#pragma once

// The vector lives in the engine tree with the drawing record that uses it;
// Normalize is defined in Vector2.cpp beside this header.
#include "engine/core/Vector2.h"
