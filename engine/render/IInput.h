#pragma once

// Keyboard and mouse as the renderer's frame pump left them. Key codes are
// SDL 1.2 key symbols; actions are the engine's fixed key table.
class IInput {
public:
    virtual ~IInput() {}
    virtual bool InitKeyboard() = 0;
    virtual bool InitKeyboardForWindow(int window) = 0;
    virtual bool InitMouse() = 0;
    virtual bool InitMouseForWindow(int window) = 0;
    virtual void ReleaseKeyboard() = 0;
    virtual void ReleaseMouse() = 0;
    virtual bool Update() = 0;
    virtual bool IsActionDown(int action) = 0;
    // Whether the action's key went down in the last batch of events, however
    // soon it came up again: a press shorter than a frame still counts.
    virtual bool WasActionPressed(int) { return false; }
    virtual float TakeMouseDeltaX() = 0;
    virtual float TakeMouseDeltaY() = 0;
    virtual float TakeWheelDelta() = 0;
    // 0 left, 1 right, 2 middle.
    virtual bool IsMouseButtonDown(int button) = 0;
    // Key codes 0..499; 1000 left, 1001 middle, 1002 right button.
    virtual bool IsKeyDown(int key) = 0;
    virtual int GetKeyOfAction(int action) = 0;
};
