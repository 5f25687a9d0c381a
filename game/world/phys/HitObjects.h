#pragma once

#include "engine/core/List.h"

class Object;

// What one bullet has already met, so that it meets each object once.
class HitObjects {
public:
    // Raises the largest cover to cover when larger, and lists the object.
    void Add(Object* object, float cover);
    bool Contains(const Object* object) const { return objects.IndexOf(object) >= 0; }

    float maxCover = 0.0f;
    Util::List<Object> objects;
};
