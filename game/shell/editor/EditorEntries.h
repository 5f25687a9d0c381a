#pragma once

#include <cstdint>

class Light;
class Object;

// A placed object as the editor keeps it; the world owns the object.
struct EditorObjectEntry {
    enum State : int32_t { None = 0, Hovered = 1, Selected = 2 };

    int32_t definitionId = 0;
    int32_t state = None;
    float x = 0.0f;
    float y = 0.0f;
    float angle = 0.0f; // degrees
    Object* object = nullptr;
};

// A placed light; the world owns the light.
struct EditorLightEntry {
    Light* light = nullptr;
    bool selected = false;
};
