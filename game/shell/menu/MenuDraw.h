#pragma once

class IRenderer;
class ITexture;

// Drawing pieces the menu controls share.
namespace MenuDraw {

// The 9 x 8 arrow at (srcX, 0) of the arrows picture, drawn additively.
void Arrow(IRenderer* r, ITexture* arrows, int srcX, int x, int y);

} // namespace MenuDraw
