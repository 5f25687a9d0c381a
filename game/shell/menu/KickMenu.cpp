#include "game/shell/menu/KickMenu.h"

#include "engine/core/StringKit.h"
#include "engine/render/TextLayout.h"
#include "game/shell/menu/IMenuHost.h"
#include "game/shell/menu/MenuList.h"
#include "game/shell/protocol/MultiplayerHandler.h"

void KickMenu::Build()
{
    table = new MenuList(this, 50, 70, 420, 360);
    controls.push_back(table);
    table->AddColumn(u"Name", 300);
    table->AddColumn(u"Score", 80);
    table->columns.Get(0)->sort = 2;
    table->Sort();
}

void KickMenu::Frame()
{
    if (table)
        table->Draw(host->GetMenuRenderer(), host->GetMenuArrows());
}

MultiplayerHandler* KickMenu::Handler() const { return ActiveHandlerOf(game_); }

void KickMenu::Rebuild()
{
    MultiplayerHandler* handler = Handler();
    lastCount_ = handler ? handler->CountPlayers() : 0;
    if (table)
        table->Sort();
}

void KickMenu::Step()
{
    MultiplayerHandler* handler = Handler();
    // Rows of a handler that is gone are dropped, not drawn.
    if (!handler || handler->CountPlayers() != lastCount_)
        Rebuild();
    // Under the admin page's tabs, which grow with a taller font.
    if (table) {
        const int extra = TextLayout::Extra(host->GetMenuRenderer());
        table->y = 70 + extra;
        table->height = 360 - extra;
    }
    MenuSystem::Step(this, true);
}

void KickMenu::SetSelectedRow(int row)
{
    if (!table)
        return;
    const int rows = int(table->rowOrder.size());
    table->selectedRow = rows == 0 || row < 0 ? -1 : (row >= rows ? rows - 1 : row);
}

int KickMenu::GetSelectedRow() const { return table ? table->selectedRow : -1; }

int KickMenu::GetDataRow(int displayRow) const { return table ? table->GetDataRow(displayRow) : -1; }

int KickMenu::GetRowCount()
{
    MultiplayerHandler* handler = Handler();
    return handler ? handler->CountPlayers() : 0;
}

const char16_t* KickMenu::GetCellText(int row, int column)
{
    MultiplayerHandler* handler = Handler();
    if (!handler || row < 0 || row >= handler->CountPlayers())
        return u"";
    if (column == 0)
        return handler->GetPlayerNameAt(row);
    cell_ = Util::Format(u"%d", handler->GetPlayerFragsAt(row));
    return cell_.c_str();
}

int KickMenu::CompareRows(int a, int b, int column)
{
    MultiplayerHandler* handler = Handler();
    if (!handler)
        return 0;
    if (column != 0)
        return handler->GetPlayerFragsAt(a) - handler->GetPlayerFragsAt(b);
    const int order = std::u16string(handler->GetPlayerNameAt(a)).compare(handler->GetPlayerNameAt(b));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}
