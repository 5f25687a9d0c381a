#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "engine/png/PngImage.h"
#include "engine/render/Renderer_SDL.h"
#include "engine/render/Texture_SDL.h"
#include "game/shell/menu/IMenuHost.h"
#include "game/shell/menu/IMenuListData.h"
#include "game/shell/menu/MenuButton.h"
#include "game/shell/menu/MenuDropdown.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/shell/menu/MenuList.h"
#include "game/shell/menu/MenuSystem.h"
#include "platform/ui/Clipboard.h"
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

bool HaveDisplay()
{
    const char* d = std::getenv("DISPLAY");
    return d && *d;
}

void Push(Uint8 type, int x, int y)
{
    SDL_Event e = {};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
        e.motion.x = Uint16(x);
        e.motion.y = Uint16(y);
    } else {
        e.button.button = SDL_BUTTON_LEFT;
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

void Click(int x, int y, std::map<int, std::function<void()>>& script, int frame)
{
    script[frame] = [=] { Push(SDL_MOUSEMOTION, x, y); };
    script[frame + 1] = [] { Push(SDL_MOUSEBUTTONDOWN, 0, 0); };
    script[frame + 2] = [] { Push(SDL_MOUSEBUTTONUP, 0, 0); };
}

struct Host : IMenuHost {
    Renderer_SDL* r = nullptr;
    ITexture* arrows = nullptr;
    int runMode = -1;
    IRenderer* GetMenuRenderer() override { return r; }
    IInput* GetMenuInput() override { return r; }
    float GetMenuFrameTime() override { return GetEngine()->GetFrameTime2(); }
    void UpdateMenuFrameTime() override { GetEngine()->UpdateFrameTime2(); }
    void SetRunMode(int mode) override { runMode = mode; }
    ITexture* GetMenuArrows() override { return arrows; }
};

struct Teams : IMenuListData {
    const char16_t* names[3] = {u"Russia", u"Finland", u"Spectators"};
    std::u16string cell;
    const char16_t* GetCellText(int row, int column) override
    {
        cell = column == 0 ? names[row] : std::u16string(1, char16_t(u'1' + row));
        return cell.c_str();
    }
    int GetRowCount() override { return 3; }
    int CompareRows(int a, int b, int column) override
    {
        return column == 0 ? std::u16string(names[a]).compare(names[b]) : a - b;
    }
    void OnRowSelected(int) override {}
};

struct Screen : MenuSystem {
    using MenuSystem::MenuSystem;
    MenuButton* button = nullptr;
    MenuButton* box = nullptr;
    MenuEdit* edit = nullptr;
    MenuDropdown* drop = nullptr;
    MenuList* list = nullptr;
    Teams teams;
    std::map<int, std::function<void()>> script;
    int frame = 0;

    void Build() override
    {
        button = AddButton(100, 100, 120, 30);
        box = AddCheckBox(100, 150);
        edit = AddEdit(100, 200, 300, 22);
        drop = AddDropdown(100, 250);
        drop->AddItem(u"Team deathmatch", 0);
        drop->AddItem(u"Capture the flag", 1);
        drop->AddItem(u"King of the hill", 2);
        list = new MenuList(&teams, 450, 100, 500, 300);
        controls.push_back(list);
        list->AddColumn(u"Team", 200);
        list->AddColumn(u"Order", 100);
        list->Sort();
    }
    void Frame() override
    {
        IRenderer* r = host->GetMenuRenderer();
        r->DrawRect(button->x, button->y, button->x + button->width, button->y + button->height, 190, 139, 66);
        box->DrawCheckBox(r);
        edit->Draw(r);
        drop->Draw(r, host->GetMenuArrows());
        list->Draw(r, host->GetMenuArrows());
        drop->DrawList(r);
        auto step = script.find(frame);
        if (step != script.end())
            step->second();
        ++frame;
    }
};

// 0xRRGGBB of a picture read top row first.
uint32_t PixelAt(const std::vector<uint32_t>& px, int w, int x, int y)
{
    return px[size_t(y) * size_t(w) + size_t(x)] & 0xFFFFFFu;
}

TEST(MenuScreen, SynthesisedEventsDriveARealScreenAndItsPicture)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no X display";
    TestSupport::TempDir dir;
    std::filesystem::create_directories(dir.File("gfx"));
    {
        // Two 9 x 8 arrows, white.
        std::vector<uint32_t> pixels(18 * 8, 0xFFFFFFFFu);
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
    Texture_SDL* arrows = r.NewTexture();
    arrows->SetImagePath(u"gfx/arrows.png");
    arrows->SetSize(18, 8);
    Host host;
    host.r = &r;
    host.arrows = arrows;

    Screen screen(&host);
    Click(105, 155, screen.script, 1); // the check box
    Click(110, 210, screen.script, 4); // focus the field
    screen.script[7] = [] {
        Key(SDLK_h, 'h');
        Key(SDLK_i, 'i');
    };
    screen.script[8] = [] {
        SDL_Event e = {};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = SDLK_BACKSPACE;
        SDL_PushEvent(&e);
    };
    screen.script[9] = [] {
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
    Click(100 + 250 - 10, 258, screen.script, 11); // open the drop-down
    Click(150, 267 + 18 + 5, screen.script, 14);  // its second item
    Click(460, 110, screen.script, 17);           // sort by team
    Click(460, 126 + 5 + 18 + 4, screen.script, 20); // select the second row
    // Taken into a folder of its own: other tests keep theirs beside it.
    const std::string kept = (std::filesystem::path(VORNHAL_BUILD_DIR) / "screenshots" / "menu").string();
    const std::string shots = kept + "/.taking-menu";
    std::filesystem::remove_all(shots);
    std::filesystem::create_directories(shots);
    screen.script[24] = [&] { r.SaveScreenshot(Util::FromOs(shots).c_str()); };
    screen.script[25] = [&] { screen.result = 5; };
    MenuSystem::Run(&screen);

    EXPECT_EQ(host.runMode, 5);
    EXPECT_TRUE(screen.box->checked);
    EXPECT_FALSE(screen.button->clicked);
    EXPECT_EQ(std::u16string(screen.edit->GetText()), u"hok");
    EXPECT_FALSE(screen.drop->open);
    EXPECT_EQ(screen.drop->selected, 1);
    EXPECT_EQ(screen.list->columns.Get(0)->sort, 2);
    EXPECT_EQ(screen.list->selectedRow, 1);
    EXPECT_EQ(screen.list->GetDataRow(1), 0); // Russia after Finland

    // The renderer numbers its screenshots; the kept one has a plain name.
    std::filesystem::path taken;
    for (const auto& entry : std::filesystem::directory_iterator(shots))
        taken = entry.path();
    ASSERT_FALSE(taken.empty());
    std::filesystem::rename(taken, kept + "/menu.png");
    std::filesystem::remove_all(shots);
    FileManager shotFiles;
    std::unique_ptr<IFile> shot(shotFiles.Open(Util::FromOs(kept + "/menu.png").c_str(), 0, 1 | 2));
    ASSERT_NE(shot, nullptr);
    PngImage png(shot.get());
    ASSERT_TRUE(png.Read(true));
    std::vector<uint32_t> px(png.GetPixels(), png.GetPixels() + size_t(png.GetWidth()) * size_t(png.GetHeight()));
    const int w = png.GetWidth();
    // The drop-down's arrow box, idle, and the list's selected row band at
    // half alpha over the black screen.
    EXPECT_EQ(PixelAt(px, w, 100 + 250 - 18, 252), 0x5F533Fu);
    const uint32_t band = PixelAt(px, w, 600, 126 + 5 + 18 + 2);
    EXPECT_NEAR(int((band >> 16) & 0xFF), 39, 2);
    EXPECT_NEAR(int((band >> 8) & 0xFF), 28, 2);
    EXPECT_NEAR(int(band & 0xFF), 11, 2);
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
        Ui::SetClipboardBytes("gr\xFC\xDF" "e 1");
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
    EXPECT_EQ(got, "gr\xFC\xDF" "e 1");
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    // Owning it ourselves, we read our own copy.
    ASSERT_TRUE(Ui::SetClipboardBytes("mine"));
    EXPECT_TRUE(Ui::GetClipboardBytes(&got));
    EXPECT_EQ(got, "mine");
}

} // namespace
