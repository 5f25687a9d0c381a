#pragma once

#include "Canvas.h"

#include <string>

// The look the front end's pictures share: colours, map paper, panels, the
// game's badge and the two flags.
namespace UiPaint {

constexpr Rgb kInk{18, 17, 14};
constexpr Rgb kPanel{24, 22, 18};
// The menus' own frame colours, so that the art meets the drawn frames.
constexpr Rgb kFrameDark{65, 46, 22};
constexpr Rgb kFrameLight{190, 139, 66};
constexpr Rgb kCream{236, 224, 196};
constexpr Rgb kGold{228, 186, 84};
constexpr Rgb kShadow{8, 7, 5};
// The teams' colours on screen, and their flags' colours.
constexpr Rgb kFinland{151, 145, 253};
constexpr Rgb kRussia{252, 81, 90};
constexpr Rgb kFinBlue{24, 62, 150};
constexpr Rgb kFinWhite{240, 240, 234};
constexpr Rgb kRusRed{176, 30, 28};

enum class Side { Finland, Russia };

// Olive map paper seen from above: lakes, woods, roads and contour lines.
Canvas TerrainMap(int w, int h, uint32_t seed);
// Darkens towards the corners by up to the strength (0..1).
void Vignette(Canvas& c, float strength);
void Darken(Canvas& c, int x, int y, int w, int h, float factor);
// A filled panel with a dark outer and a light inner frame line.
void FramedPanel(Canvas& c, int x, int y, int w, int h, Rgb fill);

// The badge: a shield split between the two sides with a chevron, width
// size, centred on (cx, cy); it is 1.2 times as tall as wide.
void Emblem(Canvas& c, float cx, float cy, float size);
void Star(Canvas& c, float cx, float cy, float r, Rgb colour);
// A flag's cloth in the rectangle, waving by amplitude pixels (0: flat).
void FlagCloth(Canvas& c, float x, float y, float w, float h, Side side, float amplitude);
// "FINLAND - RUSSIA" in the sides' colours, shadowed, from (x, y).
void SidesLine(Canvas& c, float x, float y, float scale, float stroke);

} // namespace UiPaint
