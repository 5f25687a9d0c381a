#pragma once

#include "Canvas.h"

#include <string>

// The generator's own lettering: glyphs of five by seven cells (capitals and
// digits; lower case adds two rows of descenders), printable ASCII only.
namespace PixelFont {

constexpr int kCapHeight = 7;

// Width in cells of a text, the gaps between glyphs included.
int Cells(const std::string& text);
inline float Width(const std::string& text, float scale) { return Cells(text) * scale; }

// One pixel a cell, the top of the capitals at y.
void Draw(Canvas& c, int x, int y, const std::string& text, Rgb colour);
// Scaled lettering: round strokes through the centres of the cells, scale
// pixels a cell, anti-aliased.
void DrawStroked(Canvas& c, float x, float y, const std::string& text, float scale, float stroke, Rgb colour);
// The same, centred on x, with a shadow one stroke down and right.
void DrawCentred(Canvas& c, float cx, float y, const std::string& text, float scale, float stroke, Rgb colour,
                 Rgb shadow);

} // namespace PixelFont
