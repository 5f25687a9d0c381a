#include "game/shell/menu/MenuSystem.h"

#include "engine/render/IInput.h"
#include "engine/render/IRenderer.h"
#include "game/shell/menu/IMenuHost.h"
#include "game/shell/menu/MenuButton.h"
#include "game/shell/menu/MenuDropdown.h"
#include "game/shell/menu/MenuEdit.h"
#include "platform/ui/Clipboard.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// Input actions of the editing keys and modifiers.
constexpr int kActionBackspace = 3;
constexpr int kActionDelete = 4;
constexpr int kActionLeft = 24;
constexpr int kActionRight = 25;
constexpr int kActionShiftRight = 55;
constexpr int kActionShiftLeft = 56;
constexpr int kActionCtrlRight = 57;
constexpr int kActionCtrlLeft = 58;

struct HeldKey {
    int action;
    int code;
};
constexpr HeldKey kHeldKeys[] = {
    {kActionBackspace, kMenuBackspace},
    {kActionDelete, kMenuDelete},
    {kActionLeft, kMenuLeft},
    {kActionRight, kMenuRight},
};

// End has no action of its own: it is read by its key.
constexpr int kKeyEnd = 279;

constexpr float kRepeatFirst = 0.15f;
constexpr float kRepeatNext = 0.02f;

} // namespace

MenuSystem::~MenuSystem()
{
    for (MenuControl* c : controls)
        delete c;
}

template <typename T> T* MenuSystem::Adopt(T* control)
{
    controls.push_back(control);
    return control;
}

MenuButton* MenuSystem::AddButton(int x, int y, int width, int height)
{
    return Adopt(new MenuButton(x, y, width, height));
}

MenuButton* MenuSystem::AddCheckBox(int x, int y)
{
    MenuButton* box = Adopt(new MenuButton(x, y, 14, 14));
    box->toggle = true;
    return box;
}

MenuEdit* MenuSystem::AddEdit(int x, int y, int width, int height) { return Adopt(new MenuEdit(x, y, width, height)); }

MenuDropdown* MenuSystem::AddDropdown(int x, int y) { return Adopt(new MenuDropdown(x, y)); }

int MenuSystem::FilterTyped(char16_t c, Loop loop) const
{
    IInput* in = host->GetMenuInput();
    const bool ctrl = in->IsActionDown(kActionCtrlRight) || in->IsActionDown(kActionCtrlLeft);
    const bool shift = in->IsActionDown(kActionShiftRight) || in->IsActionDown(kActionShiftLeft);
    // Backspace and Delete arrive as held keys; typed as well, they would
    // act twice.
    if (c == 8 || c == 127)
        return -1;
    if (ctrl && c == u'c')
        return kMenuCopy;
    if (ctrl && c == u'v')
        return kMenuPaste;
    if (shift && c >= u'a' && c <= u'z')
        return c - u'a' + u'A';
    if (c == kMenuEnter)
        return loop == Loop::InPlay ? kMenuEnter : -1;
    if (c < 32 || c > 255)
        return -1;
    return c;
}

void MenuSystem::Pass(Loop loop, bool mouse, float wheel, float dt)
{
    IRenderer* r = host->GetMenuRenderer();
    IInput* in = host->GetMenuInput();
    int mx = 0, my = 0;
    r->GetMousePosition(&mx, &my);
    const bool button = in->IsMouseButtonDown(0);
    const char16_t* typed = r->GetTypedChars();
    const int typedCount = typed ? r->GetTypedCharCount() : 0;
    const bool endDown = in->IsKeyDown(kKeyEnd);
    const bool endPressed = endDown && !endHeld;
    endHeld = endDown;
    for (MenuControl* c : controls) {
        if (endPressed)
            c->OnChar(kMenuEnd);
        if (mouse)
            c->OnMouse(r, mx, my, button, wheel);
        c->Update(dt);
        // A press shorter than a frame is seen only as pressed.
        if (repeatTimer <= 0.0f)
            for (const HeldKey& k : kHeldKeys)
                if (in->IsActionDown(k.action) || in->WasActionPressed(k.action))
                    c->OnChar(k.code);
        for (int i = 0; i < typedCount; ++i) {
            const int code = FilterTyped(typed[i], loop);
            if (code >= 0)
                c->OnChar(code);
        }
    }
    const bool anyHeld = std::any_of(std::begin(kHeldKeys), std::end(kHeldKeys),
                                     [in](const HeldKey& k) { return in->IsActionDown(k.action); });
    if (!anyHeld) {
        freshPress = true;
        repeatTimer = 0.0f;
    } else if (repeatTimer <= 0.0f) {
        repeatTimer = freshPress ? kRepeatFirst : kRepeatNext;
        freshPress = false;
    }
    r->ClearTypedChars();
    Ui::PumpClipboard();
}

void MenuSystem::Run(MenuSystem* menu)
{
    IMenuHost* host = menu->host;
    IRenderer* r = host->GetMenuRenderer();
    IInput* in = host->GetMenuInput();
    menu->Build();
    r->ClearTypedChars();
    host->UpdateMenuFrameTime();
    host->UpdateMenuFrameTime();
    while (menu->result == kRunning) {
        const float wheel = in->TakeWheelDelta();
        const float dt = host->GetMenuFrameTime();
        if (menu->repeatTimer > 0.0f)
            menu->repeatTimer = std::max(0.0f, menu->repeatTimer - dt);
        in->Update();
        menu->Pass(Loop::Full, true, wheel, dt);
        if (r->PrepareTextures()) {
            r->BeginScene();
            menu->Frame();
            r->DrawSmallText(944, 748, u"version 1.0.2");
            r->EndScene();
            // Closing the window does not end a menu screen.
            r->Present();
        }
        // Even while nothing can be drawn, so a hidden window does not spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        host->UpdateMenuFrameTime();
    }
    host->SetRunMode(menu->result);
}

void MenuSystem::Step(MenuSystem* menu, bool mouse)
{
    IMenuHost* host = menu->host;
    const float dt = host->GetMenuFrameTime();
    if (menu->repeatTimer > 0.0f)
        menu->repeatTimer = std::max(0.0f, menu->repeatTimer - dt);
    const float wheel = host->GetMenuInput()->TakeWheelDelta();
    menu->Pass(Loop::InPlay, mouse, wheel, dt);
    menu->Frame();
}
