#include "game/world/objects/ObjectView.h"

#include "game/world/geometry/Quad.h"
#include "game/world/map/World.h"
#include "game/world/state/CameraPos.h"
#include "game/world/state/WorldServices.h"

namespace ObjectView {

void CameraOffset(float* x, float* y)
{
    CameraPos* camera = Services().camera;
    *x = camera ? camera->x : 0.0f;
    *y = camera ? camera->y : 0.0f;
}

bool InView(float x, float y, float pad)
{
    float cx, cy;
    CameraOffset(&cx, &cy);
    return x >= cx - pad && x <= cx + 1024.0f + pad && y >= cy - pad && y <= cy + 768.0f + pad;
}

int Pixel(float v)
{
    if (!(v > -1.0e9f))
        return -1000000000;
    if (v > 1.0e9f)
        return 1000000000;
    return int(v);
}

uint8_t Channel(float v) { return uint8_t(v <= 0.0f ? 0 : (v >= 1.0f ? 255 : int(v * 255.0f))); }

void Light(Quad* quad, float x, float y)
{
    float r = 1.0f, g = 1.0f, b = 1.0f;
    if (Services().world)
        Services().world->GetFloorTintAt(Pixel(x), Pixel(y), &r, &g, &b);
    quad->r = Channel(r);
    quad->g = Channel(g);
    quad->b = Channel(b);
    quad->a = 255;
}

} // namespace ObjectView
