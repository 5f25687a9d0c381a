#include "game/world/geometry/Quad.h"

#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Angle.h"

#include <initializer_list>

namespace {

void RotateCorner(Vector2& p, float c, float s)
{
    // Each product is rounded to float before the sums.
    float cx = c * p.x, sy = s * p.y, sx = s * p.x, cy = c * p.y;
    p.x = cx - sy;
    p.y = sx + cy;
}

} // namespace

void Quad::SetCorners(float w, float h)
{
    topLeft = {0.0f, 0.0f};
    topRight = {w, 0.0f};
    bottomLeft = {0.0f, h};
    bottomRight = {w, h};
    r = g = b = a = 255;
    depth = -1.0f;
}

void Quad::SetTexRect(float l, float t, float rt, float bt)
{
    texLeft = l;
    texTop = t;
    texRight = rt;
    texBottom = bt;
}

void Quad::SetSize(int w, int h)
{
    SetCorners(float(w), float(h));
    SetTexRect(0.0f, 0.0f, 1.0f, 1.0f);
}

void Quad::SetFromTexture(ITexture* t)
{
    int w = t ? t->GetWidth() : 1;
    int h = t ? t->GetHeight() : 1;
    SetCorners(float(w), float(h));
    SetTexRect(0.0f, 0.0f, 0.0f, 0.0f);
    if (t)
        t->GetTexCoords(0, 0, w, h, &texLeft, &texTop, &texRight, &texBottom);
}

void Quad::SetFromTextureRect(ITexture* t, int left, int top, int right, int bottom)
{
    SetCorners(float(right - left), float(bottom - top));
    SetTexRect(0.0f, 0.0f, 0.0f, 0.0f);
    if (t)
        t->GetTexCoords(left, top, right, bottom, &texLeft, &texTop, &texRight, &texBottom);
}

void Quad::SetFromSize(int texW, int texH, int w, int h)
{
    SetCorners(float(w), float(h));
    // A texture without a size has no rectangle to map; dividing by it
    // would fill the record with infinities.
    if (texW == 0 || texH == 0)
        SetTexRect(0.0f, 0.0f, 0.0f, 0.0f);
    else
        SetTexRect(0.0f, 0.0f, float(w) / float(texW), float(h) / float(texH));
}

void Quad::Translate(float dx, float dy)
{
    for (Vector2* p : {&topLeft, &topRight, &bottomLeft, &bottomRight}) {
        p->x += dx;
        p->y += dy;
    }
}

void Quad::Scale(float sx, float sy)
{
    for (Vector2* p : {&topLeft, &topRight, &bottomLeft, &bottomRight}) {
        p->x *= sx;
        p->y *= sy;
    }
}

void Quad::RotateAboutOrigin(float degrees)
{
    float c, s;
    CosSinOfDegrees(degrees, &c, &s);
    for (Vector2* p : {&topLeft, &topRight, &bottomLeft, &bottomRight})
        RotateCorner(*p, c, s);
}

void Quad::Rotate(float cx, float cy, float degrees)
{
    Translate(-cx, -cy);
    RotateAboutOrigin(degrees);
    Translate(cx, cy);
}

void FillScreenRect(IRenderer* r, float x0, float y0, float x1, float y1, int red, int green, int blue, float alpha)
{
    Quad q;
    q.topLeft = Vector2{x0, y0};
    q.topRight = Vector2{x1, y0};
    q.bottomLeft = Vector2{x0, y1};
    q.bottomRight = Vector2{x1, y1};
    r->FillQuad(&q, red * 65536 + green * 256 + blue, alpha);
}
