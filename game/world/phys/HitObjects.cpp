#include "game/world/phys/HitObjects.h"

void HitObjects::Add(Object* object, float cover)
{
    if (cover > maxCover)
        maxCover = cover;
    objects.Add(object);
}
