#pragma once

#include <list>

class IMenuHost;
class MenuControl;
class MenuButton;
class MenuEdit;
class MenuDropdown;

// A menu screen: owns its controls and drives them frame by frame, either
// as a full screen (Run) or one frame inside play (Step).
class MenuSystem {
public:
    // Result of a screen that is still running.
    static constexpr int kRunning = 2;

    explicit MenuSystem(IMenuHost* host) : host(host) {}
    // Screens are deleted through this base.
    virtual ~MenuSystem();
    MenuSystem(const MenuSystem&) = delete;
    MenuSystem& operator=(const MenuSystem&) = delete;

    virtual void Build() {}
    virtual void Frame() {}

    MenuButton* AddButton(int x, int y, int width, int height);
    MenuButton* AddCheckBox(int x, int y);
    MenuEdit* AddEdit(int x, int y, int width, int height);
    MenuDropdown* AddDropdown(int x, int y);

    static void Run(MenuSystem* menu);
    static void Step(MenuSystem* menu, bool mouse);

    IMenuHost* host;
    std::list<MenuControl*> controls;
    int result = kRunning;
    float repeatTimer = 0.0f;
    bool freshPress = true;
    bool endHeld = false;

private:
    enum class Loop { Full, InPlay };
    void Pass(Loop loop, bool mouse, float wheel, float dt);
    // The typed character as a control gets it, or -1 when dropped.
    int FilterTyped(char16_t c, Loop loop) const;
    template <typename T> T* Adopt(T* control);
};
