#pragma once

// Where one editor window looks: the world point at the view's top-left
// corner. One per window the editor has drawn into or sent input from.
class EditorCamera {
public:
    explicit EditorCamera(unsigned long window) : window(window) {}
    virtual ~EditorCamera() {}

    float x = 0.0f;
    float y = 0.0f;
    unsigned long window;
};
