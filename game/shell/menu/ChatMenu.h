#pragma once

#include "game/shell/menu/MenuSystem.h"

// A one-line text input shown inside another screen: the in-game chat line
// and the password prompt. Its owner decides whether the field takes typing
// (its enabled flag) and reads the line when Enter set the submitted flag.
class ChatMenu : public MenuSystem {
public:
    using MenuSystem::MenuSystem;

    // The field at (x, y), width wide and 20 high.
    void Create(int x, int y, int width);
    // Gives the field every typed character and shows its caret.
    void Frame() override;

    MenuEdit* edit = nullptr;
};
