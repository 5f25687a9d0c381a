#include "game/shell/menu/MenuDraw.h"

#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "game/shell/menu/MenuButton.h"
#include "game/world/geometry/Quad.h"

namespace MenuDraw {

void Arrow(IRenderer* r, ITexture* arrows, int srcX, int x, int y)
{
    if (!arrows)
        return;
    Quad q;
    q.SetFromTextureRect(arrows, srcX, 0, srcX + 9, 8);
    q.Translate(float(x), float(y));
    r->SetTexture(0, arrows);
    r->SetAdditiveBlend();
    r->DrawScreenQuad(&q, true, 1.0f);
    r->SetAlphaBlend();
}

void Picture(IRenderer* r, ITexture* picture, int left, int top, int right, int bottom, int x, int y)
{
    if (!picture)
        return;
    Quad q;
    q.SetFromTextureRect(picture, left, top, right, bottom);
    q.Translate(float(x), float(y));
    r->SetTexture(0, picture);
    r->SetAlphaBlend();
    r->DrawScreenQuad(&q, true, 1.0f);
}

void Background(IRenderer* r, ITexture* picture)
{
    if (!picture)
        return;
    r->SetTexture(0, picture);
    r->DrawImage(0, 0, false);
}

int ButtonFace(const MenuButton& button)
{
    if (button.pressed && button.hovered)
        return 2;
    return button.hovered ? 1 : 0;
}

void Button(IRenderer* r, ITexture* picture, const MenuButton& button, const Faces& faces)
{
    const int face = ButtonFace(button);
    const int* rows = face == 2 ? faces.pressed : (face == 1 ? faces.hovered : faces.normal);
    Picture(r, picture, 0, rows[0], button.width, rows[1], button.x, button.y);
}

} // namespace MenuDraw
