#include "game/shell/MenuDraw.h"

#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "game/world/Quad.h"

namespace MenuDraw {

void Fill(IRenderer* r, float x0, float y0, float x1, float y1, int red, int green, int blue, float alpha)
{
    Quad q;
    q.topLeft = Vector2{x0, y0};
    q.topRight = Vector2{x1, y0};
    q.bottomLeft = Vector2{x0, y1};
    q.bottomRight = Vector2{x1, y1};
    r->FillQuad(&q, red * 65536 + green * 256 + blue, alpha);
}

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

} // namespace MenuDraw
