#include "MenuFakes.h"

#include "game/shell/menu/IMenuListData.h"
#include "game/shell/menu/MenuButton.h"
#include "game/shell/menu/MenuDropdown.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/shell/menu/MenuList.h"
#include "game/shell/menu/MenuSystem.h"
#include "platform/ui/Clipboard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int kBackspaceAction = 3;
constexpr int kShiftAction = 55;
constexpr int kCtrlAction = 58;

struct Screen : MenuSystem {
    explicit Screen(MenuHost* h) : MenuSystem(h), h(h) {}
    // Moves the mouse, sets the button and runs one in-play frame.
    void Frame(int mx, int my, bool down)
    {
        h->renderer.mouseX = mx;
        h->renderer.mouseY = my;
        h->input.buttons = down ? std::set<int>{0} : std::set<int>{};
        MenuSystem::Step(this, true);
    }
    MenuHost* h;
};

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("VORNHAL_UI", "headless", 1); }
    MenuHost host;
    Screen screen{&host};
};

TEST_F(MenuTest, HeldBackspaceRepeatsAfterAPauseAndAFreshPressDeletesAtOnce)
{
    MenuEdit* edit = screen.AddEdit(0, 0, 200, 20);
    edit->focused = true;
    edit->SetText(u"abcdefghijklmnopqrstuvwxyz");
    host.dt = 1.0f / 64.0f;
    host.input.actions = {kBackspaceAction};
    std::vector<int> deletedAt;
    for (int frame = 0; frame < 15; ++frame) {
        const int before = edit->GetLength();
        screen.Frame(500, 500, false);
        if (edit->GetLength() < before)
            deletedAt.push_back(frame);
    }
    // Frames of 1/64 s: at once, after 0.15 s, then every 0.02 s.
    EXPECT_EQ(deletedAt, (std::vector<int>{0, 10, 12, 14}));
    host.input.actions.clear();
    screen.Frame(500, 500, false);
    host.input.actions = {kBackspaceAction};
    const int before = edit->GetLength();
    screen.Frame(500, 500, false);
    screen.Frame(500, 500, false);
    EXPECT_EQ(edit->GetLength(), before - 1);
}

TEST_F(MenuTest, ButtonsClickOnlyForAPressThatBeganOnThem)
{
    MenuButton* b = screen.AddButton(100, 100, 50, 20);
    // Pressed outside, dragged on, released there: no click.
    screen.Frame(10, 10, true);
    screen.Frame(110, 110, true);
    screen.Frame(110, 110, false);
    EXPECT_FALSE(b->clicked);
    // Pressed on it, dragged off, released outside: cancelled.
    screen.Frame(110, 110, true);
    screen.Frame(10, 10, true);
    screen.Frame(10, 10, false);
    EXPECT_FALSE(b->clicked);
    // Off and back on while held still clicks.
    screen.Frame(110, 110, false);
    screen.Frame(110, 110, true);
    screen.Frame(10, 10, true);
    screen.Frame(149, 119, true);
    screen.Frame(149, 119, false);
    EXPECT_TRUE(b->clicked);

    MenuButton* box = screen.AddCheckBox(300, 300);
    EXPECT_EQ(box->width, 14);
    screen.Frame(305, 305, false);
    screen.Frame(305, 305, true);
    screen.Frame(305, 305, false);
    EXPECT_TRUE(box->checked);
    EXPECT_FALSE(box->clicked);
}

TEST_F(MenuTest, TypedCharactersAreFilteredAndTheFieldStopsAt255)
{
    MenuEdit* edit = screen.AddEdit(0, 0, 200, 20);
    edit->focused = true;
    host.renderer.typed = u"a\x4E00\x08x";
    screen.Frame(500, 500, false);
    screen.Frame(500, 500, false); // each character is taken once
    host.input.actions = {kShiftAction};
    host.renderer.typed = u"a";
    screen.Frame(500, 500, false);
    host.input.actions = {kCtrlAction};
    host.renderer.typed = u"x";
    screen.Frame(500, 500, false);
    EXPECT_EQ(std::u16string(edit->GetText()), u"axAx");

    // Ctrl+C copies the selection and types nothing; Ctrl+V pastes it over
    // a new selection.
    edit->anchor = 1;
    edit->cursor = 3;
    host.renderer.typed = u"c";
    screen.Frame(500, 500, false);
    EXPECT_EQ(std::u16string(edit->GetText()), u"axAx");
    edit->anchor = 0;
    edit->cursor = 4;
    host.renderer.typed = u"v";
    screen.Frame(500, 500, false);
    EXPECT_EQ(std::u16string(edit->GetText()), u"xA");

    // Enter reaches the field inside play.
    host.input.actions.clear();
    host.renderer.typed = u"\r";
    screen.Frame(500, 500, false);
    EXPECT_TRUE(edit->submitted);

    // A text set past the limit takes no typing and no paste.
    edit->SetText(std::u16string(300, u'q').c_str());
    EXPECT_EQ(edit->GetLength(), 300);
    edit->OnChar('z');
    edit->OnChar(kMenuPaste);
    EXPECT_EQ(edit->GetLength(), 300);
    edit->SetText(std::u16string(250, u'q').c_str());
    Ui::SetClipboardBytes("0123456789");
    edit->OnChar(kMenuPaste);
    EXPECT_EQ(edit->GetLength(), 255);
    EXPECT_EQ(edit->GetText()[254], u'4');
    edit->OnChar('z');
    EXPECT_EQ(edit->GetLength(), 255);
}

// What was typed before the screen began is dropped; Enter never reaches a
// field of a full screen.
TEST_F(MenuTest, FullScreenLoopDropsEnterAndStoresItsResult)
{
    struct Counting : MenuSystem {
        Counting(MenuHost* h) : MenuSystem(h), h(h) {}
        MenuHost* h;
        MenuEdit* edit = nullptr;
        int frames = 0;
        void Build() override
        {
            edit = AddEdit(0, 0, 100, 20);
            edit->focused = true;
        }
        void Frame() override
        {
            if (++frames == 1)
                h->renderer.typed = u"\rk";
            if (frames == 3)
                result = 4;
        }
    } menu(&host);
    host.renderer.typed = u"z";
    MenuSystem::Run(&menu);
    EXPECT_EQ(host.runMode, 4);
    EXPECT_EQ(std::u16string(menu.edit->GetText()), u"k");
    EXPECT_FALSE(menu.edit->submitted);
}

TEST_F(MenuTest, MouseMovesTheCaretAndTheFocus)
{
    MenuEdit* edit = screen.AddEdit(100, 100, 200, 20);
    edit->SetText(u"hello");
    edit->cursor = 2;
    // At most 2 pixels right of the left edge: the cursor stays.
    screen.Frame(102, 110, true);
    screen.Frame(102, 110, false);
    EXPECT_TRUE(edit->focused);
    EXPECT_EQ(edit->cursor, 2);
    // Past the third character (8 pixels each, 2 of margin).
    screen.Frame(100 + 8 * 3 + 3, 110, true);
    screen.Frame(100 + 8 * 3 + 3, 110, false);
    EXPECT_EQ(edit->cursor, 3);
    // Right of the field in its rows: focus goes, cursor to the end.
    screen.Frame(400, 110, true);
    screen.Frame(400, 110, false);
    EXPECT_FALSE(edit->focused);
    EXPECT_EQ(edit->cursor, 5);
}

TEST_F(MenuTest, DropdownOpensChoosesScrollsAndCloses)
{
    MenuDropdown* d = screen.AddDropdown(100, 100);
    for (int i = 0; i < 12; ++i)
        d->AddItem(u"item", 100 + i);
    EXPECT_TRUE(d->bar.needed);
    EXPECT_EQ(d->bar.thumbLength, 190);
    const int arrowX = 100 + 250 - 10, arrowY = 108, top = 117;
    screen.Frame(arrowX, arrowY, true);
    screen.Frame(arrowX, arrowY, false);
    ASSERT_TRUE(d->open);
    // Pressed on an item, released outside the list: nothing chosen.
    screen.Frame(150, top + 20, true);
    screen.Frame(150, 600, false);
    EXPECT_TRUE(d->open);
    EXPECT_EQ(d->selected, -1);
    // Chosen by press and release on an item.
    screen.Frame(150, top + 40, true);
    screen.Frame(150, top + 40, false);
    EXPECT_FALSE(d->open);
    EXPECT_EQ(d->selected, 2);
    EXPECT_EQ(d->GetItem(d->selected)->value, 102);
    // A press outside closes an open list.
    screen.Frame(arrowX, arrowY, true);
    screen.Frame(arrowX, arrowY, false);
    ASSERT_TRUE(d->open);
    // A drag from just right of the thumb scrolls nothing, one from its
    // last column scrolls to the end.
    for (const auto& [thumbX, scroll] : {std::pair{350, 0}, {349, 16}}) {
        screen.Frame(thumbX, top + 50, true);
        screen.Frame(thumbX, top + 60, true);
        EXPECT_EQ(d->bar.scroll, scroll) << thumbX;
        screen.Frame(thumbX, top + 60, false);
    }
    screen.Frame(10, 10, true);
    EXPECT_FALSE(d->open);
}

TEST_F(MenuTest, DropdownEdgeScrollRunsAtTwiceTheDistanceUpTo60PixelsASecond)
{
    MenuDropdown* d = screen.AddDropdown(0, 0);
    for (int i = 0; i < 40; ++i)
        d->AddItem(u"x", i);
    d->open = true;
    screen.Frame(50, 30, true);
    ASSERT_EQ(d->hoveredItem, 0);
    for (int i = 0; i < 100; ++i)
        screen.Frame(50, 17 + 200 + 100, true);
    EXPECT_NEAR(d->bar.scroll, 60, 1);
}

// Rows of (name, players) with two ties on players.
struct Servers : IMenuListData {
    std::vector<std::pair<std::u16string, int>> rows{{u"b", 3}, {u"a", 8}, {u"c", 3}, {u"d", 8}};
    std::u16string cell;
    int selected = -1;
    const char16_t* GetCellText(int row, int column) override
    {
        cell = column == 0 ? rows[size_t(row)].first : std::u16string(1, char16_t('0' + rows[size_t(row)].second));
        return cell.c_str();
    }
    int GetRowCount() override { return int(rows.size()); }
    int CompareRows(int a, int b, int column) override
    {
        if (column == 0)
            return rows[size_t(a)].first.compare(rows[size_t(b)].first);
        return rows[size_t(a)].second - rows[size_t(b)].second;
    }
    void OnRowSelected(int row) override { selected = row; }
};

TEST_F(MenuTest, ListHeadersSortBothWaysWithThePreviousPrimaryBreakingTies)
{
    Servers data;
    MenuList* list = new MenuList(&data, 0, 0, 400, 300);
    screen.controls.push_back(list);
    list->AddColumn(u"Name", 150);
    list->AddColumn(u"Players", 100);
    list->Sort();
    auto order = [&] {
        std::u16string s;
        for (int i = 0; i < 4; ++i)
            s += data.rows[size_t(list->GetDataRow(i))].first;
        return s;
    };
    auto clickHeader = [&](int x) {
        screen.Frame(x, 10, false);
        screen.Frame(x, 10, true);
        screen.Frame(x, 10, false);
    };
    clickHeader(50);
    EXPECT_EQ(order(), u"abcd");
    clickHeader(50);
    EXPECT_EQ(order(), u"dcba");
    // Players ascending, then descending: names (descending) break the tie.
    clickHeader(200);
    EXPECT_EQ(order(), u"cbda");
    clickHeader(200);
    EXPECT_EQ(order(), u"dacb");

    // Select the second display row; it stays at that position on re-sort.
    screen.Frame(50, 26 + 5 + 18 + 2, true);
    screen.Frame(50, 26 + 5 + 18 + 2, false);
    EXPECT_EQ(list->selectedRow, 1);
    EXPECT_EQ(data.selected, 1);
    data.rows.resize(1);
    list->Sort();
    EXPECT_EQ(list->selectedRow, 0);
    data.rows.clear();
    list->Sort();
    EXPECT_EQ(list->selectedRow, -1);
    data.selected = -1;
    screen.Frame(50, 40, true);
    screen.Frame(50, 40, false);
    EXPECT_EQ(data.selected, -1);
    EXPECT_EQ(list->GetDataRow(0), -1);
}

} // namespace
