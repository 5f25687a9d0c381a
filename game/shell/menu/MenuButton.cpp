#include "game/shell/menu/MenuButton.h"

#include "engine/render/IRenderer.h"

void MenuButton::OnMouse(IRenderer*, int mx, int my, bool down, float)
{
    const bool fresh = down && !wasDown_;
    wasDown_ = down;
    const bool inside = mx >= x && mx < x + width && my >= y && my < y + height;
    if (!inside) {
        hovered = false;
        if (!down)
            pressed = false;
        return;
    }
    if (down) {
        // A press that began outside never arms the button.
        if (hovered || fresh)
            pressed = true;
        hovered = pressed;
        return;
    }
    hovered = true;
    if (pressed) {
        if (toggle)
            checked = !checked;
        else
            clicked = true;
    }
    pressed = false;
}

void MenuButton::DrawCheckBox(IRenderer* r) const
{
    if (checked) {
        const float l = float(x), t = float(y), rt = float(x + width), b = float(y + height);
        for (int dx = 0; dx < 2; ++dx) {
            r->DrawLine(l + 4 + dx, t + 4, rt - 4 + dx, b - 4, 200, 200, 200);
            r->DrawLine(rt - 4 + dx, t + 4, l + 4 + dx, b - 4, 200, 200, 200);
        }
        r->DrawLine(l + 5, t + 5, rt - 3, b - 3, 200, 200, 200);
        r->DrawLine(rt - 3, t + 3, l + 5, b - 5, 200, 200, 200);
    }
    r->DrawRect(x, y, x + width, y + height, 65, 46, 22);
}
