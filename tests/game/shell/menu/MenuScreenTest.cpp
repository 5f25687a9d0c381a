#include "../ScreenGame.h"
#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "engine/png/PngImage.h"
#include "engine/render/Renderer_SDL.h"
#include "engine/render/TextLayout.h"
#include "engine/render/Texture_SDL.h"
#include "game/shell/menu/IMenuHost.h"
#include "game/shell/menu/IMenuListData.h"
#include "game/shell/menu/MenuButton.h"
#include "game/shell/menu/MenuDropdown.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/shell/menu/MenuList.h"
#include "game/shell/menu/MenuSystem.h"
#include "platform/ui/Clipboard.h"
#include "support/DisplayCheck.h"
#include "support/TestSupport.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void Push(Uint8 type, int x, int y, Uint8 button = SDL_BUTTON_LEFT)
{
    SDL_Event e = {};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
        e.motion.x = Uint16(x);
        e.motion.y = Uint16(y);
    } else {
        e.button.button = button;
    }
    SDL_PushEvent(&e);
}

void Key(SDLKey sym, Uint16 unicode)
{
    SDL_Event e = {};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = sym;
    e.key.keysym.unicode = unicode;
    SDL_PushEvent(&e);
    e.type = SDL_KEYUP;
    SDL_PushEvent(&e);
}

using Script = std::map<int, std::function<void()>>;

// Pointer to (x, y), then the button down and up, a frame each.
void Click(int x, int y, Script& script, int frame)
{
    script[frame] = [=] { Push(SDL_MOUSEMOTION, x, y); };
    script[frame + 1] = [] { Push(SDL_MOUSEBUTTONDOWN, 0, 0); };
    script[frame + 2] = [] { Push(SDL_MOUSEBUTTONUP, 0, 0); };
}

// The button pressed at (x0, y0), moved to (x1, y1) over a few frames and
// let go there.
void Drag(int x0, int y0, int x1, int y1, Script& script, int frame)
{
    script[frame] = [=] { Push(SDL_MOUSEMOTION, x0, y0); };
    script[frame + 1] = [] { Push(SDL_MOUSEBUTTONDOWN, 0, 0); };
    for (int i = 1; i <= 3; ++i)
        script[frame + 1 + i] = [=] { Push(SDL_MOUSEMOTION, x0 + (x1 - x0) * i / 3, y0 + (y1 - y0) * i / 3); };
    script[frame + 5] = [] { Push(SDL_MOUSEBUTTONUP, 0, 0); };
}

// A steady frame time: the caret blinks and the lists scroll alike on any
// machine.
struct Host : IMenuHost {
    Renderer_SDL* r = nullptr;
    ITexture* arrows = nullptr;
    int runMode = -1;
    IRenderer* GetMenuRenderer() override { return r; }
    IInput* GetMenuInput() override { return r; }
    float GetMenuFrameTime() override { return 0.05f; }
    void UpdateMenuFrameTime() override {}
    void SetRunMode(int mode) override { runMode = mode; }
    ITexture* GetMenuArrows() override { return arrows; }
};

// Thirty rows of a team, an order number and a wide column.
struct Teams : IMenuListData {
    const char16_t* names[3] = {u"Russia", u"Finland", u"Spectators"};
    std::u16string cell;
    int selected = -1;
    const char16_t* GetCellText(int row, int column) override
    {
        cell = column == 0 ? names[row % 3] : (column == 1 ? Util::IntToString16(row) : u"wide");
        return cell.c_str();
    }
    int GetRowCount() override { return 30; }
    int CompareRows(int a, int b, int column) override
    {
        return column == 0 ? std::u16string(names[a % 3]).compare(names[b % 3]) : (column == 1 ? a - b : 0);
    }
    void OnRowSelected(int row) override { selected = row; }
};

struct Screen : MenuSystem {
    using MenuSystem::MenuSystem;
    MenuButton* button = nullptr;
    MenuButton* box = nullptr;
    MenuEdit* edit = nullptr;
    MenuEdit* grey = nullptr;
    MenuDropdown* drop = nullptr;
    MenuList* list = nullptr;
    Teams teams;
    Script script;
    int frame = 0;

    void Build() override
    {
        button = AddButton(100, 100, 120, 30);
        box = AddCheckBox(100, 150);
        edit = AddEdit(100, 200, 150, 22);
        grey = AddEdit(100, 240, 150, 22);
        grey->SetText(u"greyed");
        grey->enabled = false;
        drop = AddDropdown(100, 300);
        for (int i = 1; i <= 15; ++i)
            drop->AddItem(Util::Format(u"Item %d", i).c_str(), 100 + i);
        list = new MenuList(&teams, 450, 100, 500, 300);
        controls.push_back(list);
        list->AddColumn(u"Team", 200);
        list->AddColumn(u"Order", 100);
        list->AddColumn(u"Wide", 300);
        list->Sort();
    }
    void Frame() override
    {
        IRenderer* r = host->GetMenuRenderer();
        r->DrawRect(button->x, button->y, button->x + button->width, button->y + button->height, 190, 139, 66);
        box->DrawCheckBox(r);
        edit->Draw(r);
        grey->Draw(r);
        drop->Draw(r, host->GetMenuArrows());
        list->Draw(r, host->GetMenuArrows());
        drop->DrawList(r);
        auto step = script.find(frame);
        if (step != script.end())
            step->second();
        ++frame;
    }
};

// Every control of the toolkit in a real window, worked by the window's
// own events: the pictures at two moments against golden ones, and what
// each control holds at the end.
TEST(MenuScreen, SynthesisedEventsDriveARealScreenAndItsPicture)
{
    // A display of its own: no other window comes under its pointer.
    ScreenGame display;
    if (!display.StartDisplay())
        GTEST_SKIP() << "no Xvfb";
    TestSupport::TempDir dir;
    std::filesystem::create_directories(dir.File("gfx"));
    {
        // Two 9 x 8 arrows: white, and grey with a white tip.
        std::vector<uint32_t> pixels(18 * 8, 0xFFFFFFFFu);
        for (int y = 0; y < 8; ++y)
            for (int x = 9; x < 17; ++x)
                pixels[size_t(y) * 18 + size_t(x)] = 0xFF808080u;
        FileManager files;
        std::unique_ptr<IFile> f(files.Open(Util::FromOs(dir.File("gfx/arrows.png")).c_str(), 1, 1));
        ASSERT_NE(f, nullptr);
        PngImage png(f.get());
        png.SetPixels(18, 8, pixels.data());
        ASSERT_TRUE(png.Write());
    }
    TestSupport::ScopedChdir in(dir.Path());
    FileManager files;
    Renderer_SDL r(GetEngine(), &files);
    r.SetUseFonts(true);
    ASSERT_TRUE(r.Init(1024, 768, 32, false, false));
    // The drop-down's items and the list's rows grow with a taller font.
    const int extra = TextLayout::Extra(&r), item = 18 + extra, top = 317 + extra;
    Texture_SDL* arrows = r.NewTexture();
    arrows->SetImagePath(u"gfx/arrows.png");
    arrows->SetSize(18, 8);
    Host host;
    host.r = &r;
    host.arrows = arrows;

    Screen screen(&host);
    Script& script = screen.script;
    Click(105, 155, script, 1); // the check box
    Click(110, 210, script, 4); // focus the field
    script[7] = [] {
        for (char c : std::string("hi there"))
            Key(SDLKey(c), Uint16(c));
    };
    script[8] = [] {
        SDL_Event e = {};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = SDLK_BACKSPACE;
        SDL_PushEvent(&e);
    };
    script[9] = [] {
        SDL_Event e = {};
        e.type = SDL_KEYUP;
        e.key.keysym.sym = SDLK_BACKSPACE;
        SDL_PushEvent(&e);
        Key(SDLK_o, 'o');
        Key(SDLK_k, 'k');
        // Closing the window does not end a menu screen.
        SDL_Event quit = {};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    };
    Drag(114, 210, 130, 210, script, 11);   // select a few letters
    Click(100 + 250 - 10, 308, script, 17); // open the drop-down
    // The pointer leaves and comes back with the button up: still open.
    script[20] = [] { Push(SDL_MOUSEMOTION, 700, 600); };
    script[21] = [] { Push(SDL_MOUSEBUTTONDOWN, 0, 0, 5); };              // the wheel down a step
    Drag(100 + 250 - 10, top + 60, 100 + 250 - 10, top + 80, script, 22); // the thumb down
    // Held on the second item shown, then below the list: it scrolls.
    script[28] = [=] { Push(SDL_MOUSEMOTION, 150, top + item + 9); };
    script[29] = [] { Push(SDL_MOUSEBUTTONDOWN, 0, 0); };
    script[30] = [=] { Push(SDL_MOUSEMOTION, 150, top + 200 + 20); };
    std::vector<Picture> shots;
    const std::string kept = (std::filesystem::path(VORNHAL_BUILD_DIR) / "screenshots" / "menu").string();
    auto shoot = [&](int at) {
        script[at] = [&] {
            std::filesystem::remove_all(kept + "/.taking-menu");
            std::filesystem::create_directories(kept + "/.taking-menu");
            r.SaveScreenshot(Util::FromOs(kept + "/.taking-menu").c_str());
        };
        script[at + 1] = [&] {
            for (const auto& entry : std::filesystem::directory_iterator(kept + "/.taking-menu")) {
                shots.emplace_back();
                EXPECT_TRUE(shots.back().Read(&files, Util::FromOs(entry.path().string()), 1 | 2));
            }
        };
    };
    shoot(34);
    script[36] = [=] { Push(SDL_MOUSEMOTION, 150, top + 100); };
    script[37] = [] { Push(SDL_MOUSEBUTTONUP, 0, 0); }; // chooses the item under it
    Click(460 + 200, 110, script, 39);                  // sort by order
    Click(460 + 200, 110, script, 42);                  // and the other way
    // The vertical thumb down, the horizontal one right.
    Drag(450 + 500 - 10, 126 + 20, 450 + 500 - 10, 126 + 80, script, 45);
    Drag(450 + 40, 126 + 254 + 10, 450 + 90, 126 + 254 + 10, script, 51);
    Click(600, 126 + extra + 5 + item + 4, script, 57);   // the second row shown
    Click(100 + 250 - 10, 308, script, 60);               // the drop-down again: its choice lit
    script[63] = [] { Push(SDL_MOUSEMOTION, 500, 110); }; // over a header
    shoot(65);
    // The pointer on the drop-down's thumb lights it.
    script[67] = [&] {
        Push(SDL_MOUSEMOTION, 340, top + 10 + screen.drop->bar.ThumbPosition(screen.drop->listHeight));
    };
    shoot(69);
    // A text far wider than its field, the caret at its start; End shows its end.
    std::u16string typed;
    int typedAnchor = 0, typedCursor = 0;
    script[71] = [&] {
        typed = screen.edit->GetText();
        typedAnchor = screen.edit->anchor;
        typedCursor = screen.edit->cursor;
        screen.edit->SetText(std::u16string(8 * 10, u'8').c_str());
        screen.edit->cursor = 0;
        screen.edit->focused = true;
    };
    script[72] = [] { Key(SDLK_END, 0); };
    shoot(74);
    script[77] = [&] { screen.result = 5; };
    MenuSystem::Run(&screen);

    EXPECT_EQ(host.runMode, 5);
    EXPECT_TRUE(screen.box->checked);
    EXPECT_FALSE(screen.button->clicked);
    EXPECT_EQ(typed, u"hi therok");
    EXPECT_NE(typedAnchor, typedCursor);
    EXPECT_EQ(screen.edit->cursor, 80) << "End";
    EXPECT_TRUE(screen.drop->open);
    // Item heights other than the built-in font's scroll by other steps.
    if (extra == 0)
        EXPECT_EQ(screen.drop->selected, 7) << "scrolled by the wheel, the thumb and the held button";
    else
        EXPECT_GT(screen.drop->selected, 1) << "scrolled by the wheel, the thumb and the held button";
    EXPECT_EQ(screen.list->columns.Get(1)->sort, 1);
    EXPECT_GT(screen.list->vbar.scroll, 0);
    EXPECT_GT(screen.list->hbar.scroll, 0);
    // The row under the click, the rows scrolled up.
    EXPECT_EQ(screen.list->selectedRow, (item + 4 + screen.list->vbar.scroll) / item);
    EXPECT_EQ(screen.teams.selected, screen.list->GetDataRow(screen.list->selectedRow));
    ASSERT_EQ(shots.size(), 4u);
    int inked = 0;
    for (int y = 203; y < 220; ++y)
        for (int x = 175; x < 245; ++x)
            inked += !Near(shots[3].At(x, y), shots[3].At(102, 202), 60);
    EXPECT_GT(inked, 60) << "the text's end beside the caret";
    // The drop-down's colours exactly: the arrow box's frame, the lit thumb.
    EXPECT_TRUE(NearAround(shots[1], 330, 308, 0x412E16, 0));
    EXPECT_TRUE(
        NearAround(shots[2], 340, top + 10 + screen.drop->bar.ThumbPosition(screen.drop->listHeight), 0x704723, 0));
    // A picture of text holds only on the font it was taken with.
    if (r.GetTextHeight() == TextLayout::kDesignHeight) {
        Sheet sheet;
        for (const Picture& shot : {shots[0], shots[1]})
            sheet.Add(shot, 0, 0, 1024, 768);
        sheet.ExpectGolden("game/shell/menu/golden", "controls");
    }
    r.Shutdown();
}

// The clipboard through the X server: another process owns it, this one
// pastes; then this one owns it and the other pastes.
TEST(MenuClipboard, TextCrossesProcessesThroughTheXServer)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no X display";
    unsetenv("VORNHAL_UI");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        Ui::SetClipboardBytes("gr\xFC\xDF"
                              "e 1");
        (void)!write(ready[1], "x", 1);
        for (int i = 0; i < 1500; ++i) {
            Ui::PumpClipboard();
            usleep(2000);
        }
        _exit(0);
    }
    close(ready[1]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    std::string got;
    EXPECT_TRUE(Ui::GetClipboardBytes(&got));
    EXPECT_EQ(got, "gr\xFC\xDF"
                   "e 1");
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    // Owning it ourselves, we read our own copy.
    ASSERT_TRUE(Ui::SetClipboardBytes("mine"));
    EXPECT_TRUE(Ui::GetClipboardBytes(&got));
    EXPECT_EQ(got, "mine");
}

} // namespace
