#pragma once

#include "game/shell/menu/MenuControl.h"

// A push button, or a check box when toggle is set. A press counts only when
// it began on the button and is released on it.
class MenuButton : public MenuControl {
public:
    using MenuControl::MenuControl;
    void OnMouse(IRenderer* renderer, int mx, int my, bool down, float wheel) override;
    void DrawCheckBox(IRenderer* renderer) const;

    bool hovered = false;
    // Set by a completed click; the owning screen clears it after acting.
    bool clicked = false;
    bool pressed = false;
    bool toggle = false;
    bool checked = false;

private:
    // The button as the last frame saw it: a press that is new in this
    // frame began where the pointer is now, even when the pointer came in
    // the same frame.
    bool wasDown_ = false;
};
