#include "game/shell/menu/ChatMenu.h"

#include "game/shell/menu/IMenuHost.h"
#include "game/shell/menu/MenuEdit.h"

void ChatMenu::Create(int x, int y, int width) { edit = AddEdit(x, y, width, 20); }

void ChatMenu::Frame()
{
    if (!edit)
        return;
    // Typing reaches the field whether or not the mouse was ever over it.
    edit->hovered = true;
    edit->focused = true;
    edit->Draw(host->GetMenuRenderer());
}
