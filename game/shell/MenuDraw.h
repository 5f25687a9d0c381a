#pragma once

class IRenderer;
class ITexture;

// Drawing pieces the menu controls share.
namespace MenuDraw {

// Fills (x0, y0)-(x1, y1) through IRenderer::FillQuad.
void Fill(IRenderer* r, float x0, float y0, float x1, float y1, int red, int green, int blue, float alpha);
// The 9 x 8 arrow at (srcX, 0) of the arrows picture, drawn additively.
void Arrow(IRenderer* r, ITexture* arrows, int srcX, int x, int y);

} // namespace MenuDraw
