#pragma once

#include <cstdint>

// The 37 key bindings: element name in "game.opt", default key code and
// what is tested while the binding is -1.
struct KeyBindingInfo {
    enum Fallback { None, MouseButton, InputAction };

    const char16_t* element;
    int32_t defaultKey;
    Fallback fallback;
    int32_t fallbackValue; // mouse button (0 left, 1 right) or input action
};

const int kKeyBindingCount = 37;
// Binding 12 ("zoombutton") is read but never written.
const int kUnwrittenBinding = 12;

// Null outside 0..36.
const KeyBindingInfo* GetKeyBindingInfo(int index);
// The order in which the bindings are written.
extern const int kKeyBindingWriteOrder[kKeyBindingCount - 1];
