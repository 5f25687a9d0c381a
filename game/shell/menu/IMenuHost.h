#pragma once

class IRenderer;
class IInput;
class ITexture;

// What a menu screen needs of the game that made it: the renderer and input
// it draws and reads through, the menu frame clock, the run mode its result
// becomes, and the arrows picture of the shared media.
class IMenuHost {
public:
    virtual ~IMenuHost() {}
    // The engine's renderer.
    virtual IRenderer* GetMenuRenderer() = 0;
    // The renderer's input.
    virtual IInput* GetMenuInput() = 0;
    virtual float GetMenuFrameTime() = 0;
    virtual void UpdateMenuFrameTime() = 0;
    virtual void SetRunMode(int mode) = 0;
    // "gfx/arrows.png", the engine's texture; null draws no arrows.
    virtual ITexture* GetMenuArrows() = 0;
};
