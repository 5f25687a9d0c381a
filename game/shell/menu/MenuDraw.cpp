#include "game/shell/menu/MenuDraw.h"

#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
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

} // namespace MenuDraw
