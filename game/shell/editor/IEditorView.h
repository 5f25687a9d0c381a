#pragma once

// One window of the level editor as the editing logic drives it: mouse
// capture, the cursor, the status bar's coordinates and the context menus.
// Positions are view pixels.
class IEditorView {
public:
    virtual ~IEditorView() {}
    // The window's X11 id.
    virtual unsigned long GetWindowHandle() = 0;
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    virtual void ShowCursor(bool show) = 0;
    virtual void SetCursorPosition(int x, int y) = 0;
    // 0 arrow, 1 hand.
    virtual void SetCursorShape(int shape) = 0;
    virtual void ShowCoordinates(int tileX, int tileY) = 0;
    virtual void ShowLightAreaMenu(int x, int y) = 0;
    // Properties, Clone, Delete of the selected object or light.
    virtual void ShowObjectMenu(int x, int y) = 0;
};
