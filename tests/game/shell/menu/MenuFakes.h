#pragma once

#include "engine/render/IInput.h"
#include "game/shell/menu/IMenuHost.h"
#include "game/world/resources/RecordingRenderer.h"

#include <set>
#include <string>

// A renderer with an 8-pixel fixed-width font whose mouse and typed text the
// test sets.
class MenuRenderer : public RecordingRenderer {
public:
    int mouseX = 0, mouseY = 0;
    std::u16string typed;

    void GetMousePosition(int* x, int* y) override { *x = mouseX, *y = mouseY; }
    const char16_t* GetTypedChars() override { return typed.c_str(); }
    int GetTypedCharCount() override { return int(typed.size()); }
    void ClearTypedChars() override { typed.clear(); }
    bool PrepareTextures() override { return true; }
    int GetTextWidth(const char16_t* text) override { return 8 * int(std::u16string(text).size()); }
};

class MenuInput : public IInput {
public:
    std::set<int> actions;
    bool button = false;
    float wheel = 0.0f;

    bool InitKeyboard() override { return true; }
    bool InitKeyboardForWindow(int) override { return true; }
    bool InitMouse() override { return true; }
    bool InitMouseForWindow(int) override { return true; }
    void ReleaseKeyboard() override {}
    void ReleaseMouse() override {}
    bool Update() override { return true; }
    bool IsActionDown(int action) override { return actions.count(action) > 0; }
    float TakeMouseDeltaX() override { return 0.0f; }
    float TakeMouseDeltaY() override { return 0.0f; }
    float TakeWheelDelta() override
    {
        float w = wheel;
        wheel = 0.0f;
        return w;
    }
    bool IsMouseButtonDown(int b) override { return b == 0 && button; }
    bool IsKeyDown(int) override { return false; }
    int GetKeyOfAction(int) override { return -1; }
};

// A fixed frame time and the run mode a screen leaves.
class MenuHost : public IMenuHost {
public:
    MenuRenderer renderer;
    MenuInput input;
    float dt = 0.01f;
    int runMode = -1;

    IRenderer* GetMenuRenderer() override { return &renderer; }
    IInput* GetMenuInput() override { return &input; }
    float GetMenuFrameTime() override { return dt; }
    void UpdateMenuFrameTime() override {}
    void SetRunMode(int mode) override { runMode = mode; }
    ITexture* GetMenuArrows() override { return nullptr; }
};
