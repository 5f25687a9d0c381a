#pragma once

// Top-left corner of the 1024 x 768 game view, in world units.
struct CameraPos {
    float x = 0.0f;
    float y = 0.0f;
};
