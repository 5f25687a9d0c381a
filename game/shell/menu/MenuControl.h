#pragma once

class IRenderer;

// Editing codes handed to OnChar beside plain characters.
enum MenuCode {
    kMenuCopy = 1,
    kMenuPaste = 2,
    kMenuLeft = 3,
    kMenuRight = 4,
    kMenuEnd = 5,
    kMenuBackspace = 8,
    kMenuEnter = 13,
    kMenuDelete = 127,
};

// A control of a menu screen. Drawing is not virtual: each screen draws its
// controls in the order it chooses.
class MenuControl {
public:
    MenuControl(int x, int y, int width, int height) : x(x), y(y), width(width), height(height) {}
    virtual ~MenuControl() {}
    virtual void OnChar(int) {}
    virtual void OnMouse(IRenderer*, int, int, bool, float) {}
    virtual void Update(float) {}

    int x, y, width, height;
};
