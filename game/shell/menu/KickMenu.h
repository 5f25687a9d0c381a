#pragma once

#include "game/shell/menu/IMenuListData.h"
#include "game/shell/menu/MenuSystem.h"

#include <string>

class GameSystem;
class MenuList;
class MultiplayerHandler;

// The host's table of players to kick: the used player slots of the game
// state's active handler, sorted by name.
class KickMenu : public MenuSystem, public IMenuListData {
public:
    KickMenu(IMenuHost* host, GameSystem* game) : MenuSystem(host), game_(game) {}

    void Build() override;
    void Frame() override;
    // Rebuilds the rows when the player count changed, then one in-play
    // frame with the mouse.
    void Step();
    // Counts and sorts the rows anew.
    void Rebuild();
    // -1 without rows, else at most the last row.
    void SetSelectedRow(int row);
    int GetSelectedRow() const;
    // The player slot (n-th used one) shown at a display position, or -1.
    int GetDataRow(int displayRow) const;
    int GetLastCount() const { return lastCount_; }

    // Rows are the used slots in slot order. Without a handler there are
    // none, and rows a table still shows from before read as empty.
    const char16_t* GetCellText(int row, int column) override;
    int GetRowCount() override;
    int CompareRows(int a, int b, int column) override;
    void OnRowSelected(int) override {}

    MenuList* table = nullptr;

private:
    MultiplayerHandler* Handler() const;

    GameSystem* game_;
    int lastCount_ = -1;
    std::u16string cell_;
};
