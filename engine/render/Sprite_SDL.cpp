#ifndef VORNHAL_DEDICATED

#include "engine/render/Sprite_SDL.h"

#include <initializer_list>

Sprite_SDL::Sprite_SDL(SpritePainter_SDL* painter, int order) : painter_(painter), order_(order)
{
    // Nothing a caller sets matches these, so the first Set writes it all.
    for (Vector2* v : {&quad_.topLeft, &quad_.topRight, &quad_.bottomLeft, &quad_.bottomRight})
        v->x = v->y = -1000.0f;
    quad_.texLeft = -1000.0f;
}

bool Sprite_SDL::CornersDiffer(const Quad& q) const
{
    return q.topLeft.x != quad_.topLeft.x || q.topLeft.y != quad_.topLeft.y || q.topRight.x != quad_.topRight.x ||
           q.topRight.y != quad_.topRight.y || q.bottomLeft.x != quad_.bottomLeft.x ||
           q.bottomLeft.y != quad_.bottomLeft.y || q.bottomRight.x != quad_.bottomRight.x ||
           q.bottomRight.y != quad_.bottomRight.y;
}

void Sprite_SDL::Set(const Quad* quad, float depth)
{
    if (!quad)
        return;
    if (CornersDiffer(*quad) || depth != depth_)
        geometryDirty_ = true;
    if (quad->r != quad_.r || quad->g != quad_.g || quad->b != quad_.b || quad->a != quad_.a ||
        quad->texLeft != quad_.texLeft || quad->texTop != quad_.texTop || quad->texRight != quad_.texRight ||
        quad->texBottom != quad_.texBottom)
        appearanceDirty_ = true;
    quad_ = *quad;
    depth_ = depth;
}

void Sprite_SDL::SetCorners(const Quad* quad)
{
    if (!quad || !CornersDiffer(*quad))
        return;
    quad_.topLeft = quad->topLeft;
    quad_.topRight = quad->topRight;
    quad_.bottomLeft = quad->bottomLeft;
    quad_.bottomRight = quad->bottomRight;
    geometryDirty_ = true;
}

void Sprite_SDL::SetParams(float a, float b, float c)
{
    params_[0] = a;
    params_[1] = b;
    params_[2] = c;
}

void Sprite_SDL::SetVisible(bool visible) { visible_ = visible; }

bool Sprite_SDL::IsVisible() { return visible_; }

#endif
