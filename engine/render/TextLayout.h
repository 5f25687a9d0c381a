#pragma once

#include "engine/render/IRenderer.h"

#include <algorithm>

// Screens are laid out for the built-in 13-pixel font; a taller font moves
// each line of text down by what it has more, so lines never overlap.
namespace TextLayout {

constexpr int kDesignHeight = 13;

// The pixels a line of the renderer's font is taller than the design's.
inline int Extra(IRenderer* r) { return r ? std::max(0, r->GetTextHeight() - kDesignHeight) : 0; }

// A distance laid out for the design's font (a line step, a row, a band).
inline int Step(IRenderer* r, int designed) { return designed + Extra(r); }

} // namespace TextLayout
