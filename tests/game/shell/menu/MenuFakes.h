#pragma once

#include "game/shell/menu/IMenuHost.h"
#include "game/world/resources/RecordingRenderer.h"
#include "support/EngineFakes.h"

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

// A fixed frame time and the run mode a screen leaves.
class MenuHost : public IMenuHost {
public:
    MenuRenderer renderer;
    FakeInput input;
    float dt = 0.01f;
    int runMode = -1;

    IRenderer* GetMenuRenderer() override { return &renderer; }
    IInput* GetMenuInput() override { return &input; }
    float GetMenuFrameTime() override { return dt; }
    void UpdateMenuFrameTime() override {}
    void SetRunMode(int mode) override { runMode = mode; }
    ITexture* GetMenuArrows() override { return nullptr; }
};
