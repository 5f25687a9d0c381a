#pragma once

// A plain 2-D vector of world pixels, the corner type of the drawing record
// that engine and game share.
struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;

    // Makes the vector unit length and returns the length it divided by; a
    // zero vector divides by 0.0001 and so stays (0, 0). Defined with the
    // game's geometry (game/world/geometry/Vector2.cpp).
    float Normalize();
};
