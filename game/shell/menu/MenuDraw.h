#pragma once

class IRenderer;
class ITexture;
class MenuButton;

// Drawing pieces the menu controls and screens share.
namespace MenuDraw {

// The 9 x 8 arrow at (srcX, 0) of the arrows picture, drawn additively.
void Arrow(IRenderer* r, ITexture* arrows, int srcX, int x, int y);

// A rectangle of a picture with its top-left corner at (x, y) of the
// 1024 x 768 screen, alpha-blended; nothing when the picture is missing.
void Picture(IRenderer* r, ITexture* picture, int left, int top, int right, int bottom, int x, int y);

// A whole picture at (0, 0), unblended: a screen's background.
void Background(IRenderer* r, ITexture* picture);

// Which face of a button's picture shows: 0 normal, 1 hovered, 2 pressed
// (pressed and hovered).
int ButtonFace(const MenuButton& button);

// The rows of a button's picture that hold each face: top and bottom.
struct Faces {
    int normal[2];
    int hovered[2];
    int pressed[2];
};
// The button's face at the button's place, as wide as the button.
void Button(IRenderer* r, ITexture* picture, const MenuButton& button, const Faces& faces);

} // namespace MenuDraw
