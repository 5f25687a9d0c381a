// The Editor program on a display: real keys and mouse through XTEST on its
// menus and its view, and the faults a level designer would lose work to.
#include "HostedLevel.h"
#include "support/ChildProcess.h"
#include "support/GameFolder.h"
#include "support/Golden.h"
#include "support/TestSupport.h"
#include "support/XDriver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kBuild = VORNHAL_BUILD_DIR;

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Where the script last said the window was.
Rect Where(const std::string& output, const std::string& name)
{
    Rect r;
    const size_t at = output.rfind("where " + name + " ");
    if (at != std::string::npos)
        std::sscanf(output.c_str() + at + 7 + name.size(), "%d %d %d %d", &r.x, &r.y, &r.w, &r.h);
    return r;
}

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "the editor needs an X display";
        folder_ = dir_.File("game");
        TestSupport::LayOutEditorFolder(folder_);
        setenv("XDG_CONFIG_HOME", dir_.Path().c_str(), 1);
        setenv("ALSOFT_DRIVERS", "null", 1);
        // Pictures of the windows: no blinking caret, no fading focus.
        std::filesystem::create_directories(dir_.File("gtk-3.0"));
        std::ofstream(dir_.File("gtk-3.0/settings.ini"))
            << "[Settings]\ngtk-cursor-blink = false\ngtk-enable-animations = false\n";
    }

    std::unique_ptr<TestSupport::ChildProcess> Start(const std::string& script, std::vector<std::string> args)
    {
        std::ofstream(dir_.File("run.script")) << script;
        args.push_back("--script");
        args.push_back(dir_.File("run.script"));
        return std::make_unique<TestSupport::ChildProcess>(kBuild + "/Editor", args, folder_);
    }

    std::string Level(const std::string& name) const { return folder_ + "/levels/" + name; }

    TestSupport::TempDir dir_;
    std::string folder_;
};

TEST_F(EditorWindow, RealKeysAndMouseDriveTheMenusAndTheView)
{
    unsetenv("VORNHAL_UI");
    const std::vector<uint8_t> before = TestSupport::ReadAll(Level("tdm_riotcity.lvl"));
    ASSERT_EQ(chmod(Level("tdm_riotcity.lvl").c_str(), 0751), 0);
    auto editor = Start("where LevelView\nwhere Floors\ntab Objects\nmenu \"Tools/Light Tool\"\nclick 200 250\n"
                        "menu \"Tools/Move Tool\"\nclick 200 248\nrpress 200 248\nrrelease 200 248\nstay\n",
                        {"levels/tdm_riotcity.lvl"});
    ASSERT_TRUE(editor->WaitFor("script: staying", 60000)) << editor->Output();
    const Rect view = Where(editor->Output(), "LevelView"), floors = Where(editor->Output(), "Floors"),
               objectsTab = Where(editor->Output(), "Objects tab");
    ASSERT_GT(view.w, 300);
    ASSERT_GT(floors.w, 60);

    XDriver x;
    ASSERT_TRUE(x.Ok());
    const XWindow main = x.WaitForWindow("tdm_riotcity.lvl - Editor");
    ASSERT_NE(main, 0u);
    // A right click on the light placed and picked brought its menu (white
    // below its top edge), where C clones it.
    EXPECT_TRUE(x.WaitUntil(
        x.Screen(), [&](const XShot& s) { return s.CountOther(0xffffff, view.x + 204, view.y + 252, 100, 1) == 0; }));
    x.Key("c");
    x.Focus(main);
    // The first floor of the palette, then a stroke across the view.
    x.MoveTo(x.Screen(), floors.x + 40, floors.y + 40);
    x.Button(true);
    x.Button(false);
    x.MoveTo(x.Screen(), view.x + 60, view.y + 80);
    x.Button(true);
    for (int i = 1; i <= 10; ++i) {
        x.MoveTo(x.Screen(), view.x + 60 + i * 24, view.y + 80);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    x.Button(false);
    // All tabs show at the side bar's first width: the Objects tab brings its page.
    XShot palette;
    ASSERT_TRUE(x.Capture(x.Screen(), &palette));
    x.Click(x.Screen(), objectsTab.x + objectsTab.w / 2, objectsTab.y + objectsTab.h / 2);
    EXPECT_TRUE(x.WaitForChange(x.Screen(), palette, floors.x, floors.y, floors.w, floors.h));
    // View > Clipboard through the menu's keys.
    x.Chord("Alt_L", "v");
    x.Key("c");
    const XWindow clipboard = x.WaitForWindow("Clipboard");
    EXPECT_NE(clipboard, 0u);
    // The Clipboard has the keyboard: B hides it, and picks no tool.
    if (clipboard) {
        x.Focus(clipboard);
        x.Key("b");
        EXPECT_TRUE(x.WaitGone(clipboard));
    }
    // File > Save by its accelerator, then File > Exit, which asks nothing
    // once the level is saved.
    x.Focus(main);
    x.Chord("Control_L", "s");
    for (int i = 0; i < 300 && TestSupport::ReadAll(Level("tdm_riotcity.lvl")) == before; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    x.Chord("Alt_L", "f");
    x.Key("x");
    EXPECT_EQ(editor->WaitExit(30000), 0) << editor->Output();

    LevelContents old, now;
    TestSupport::WriteAll(dir_.File("old.lvl"), before);
    ASSERT_TRUE(TestGame::ReadLevelFile(dir_.File("old.lvl"), &old));
    ASSERT_TRUE(TestGame::ReadLevelFile(Level("tdm_riotcity.lvl"), &now));
    EXPECT_NE(now.world.cells, old.world.cells);
    struct stat st = {};
    ASSERT_EQ(stat(Level("tdm_riotcity.lvl").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u) << "a saved level keeps its file's mode";
    EXPECT_EQ(now.objects.size(), old.objects.size());
    EXPECT_EQ(now.lights.size(), old.lights.size() + 2);
    EXPECT_EQ(now.header.name, old.header.name);
}

TEST_F(EditorWindow, AnOpenedLevelShowsItsMinimapAndEveryPaletteItemAndTheClipboardAreReached)
{
    unsetenv("VORNHAL_UI");
    const std::vector<uint8_t> before = TestSupport::ReadAll(Level("tdm_riotcity.lvl"));
    auto editor = Start("pick Objects \"metal barrel\"\nwhere MiniMap\nwhere Objects\nwhere LevelView\n"
                        "menu \"Tools/Light Area Tool\"\ndrag 40 40 200 200\nrpress 100 100\nrrelease 100 100\n"
                        "where OK\nwhere R\nstay\n",
                        {"levels/tdm_riotcity.lvl"});
    ASSERT_TRUE(editor->WaitFor("script: menu \"Tools/Light Area Tool\"", 60000)) << editor->Output();
    const Rect map = Where(editor->Output(), "MiniMap"), objects = Where(editor->Output(), "Objects"),
               view = Where(editor->Output(), "LevelView");
    XDriver x;
    ASSERT_TRUE(x.Ok());
    const XWindow main = x.WaitForWindow("tdm_riotcity.lvl - Editor");
    ASSERT_NE(main, 0u);
    // A light area's colour typed, each field left by Tab, OK clicked.
    EXPECT_TRUE(x.WaitUntil(
        x.Screen(), [&](const XShot& s) { return s.CountOther(0xffffff, view.x + 104, view.y + 104, 20, 1) == 0; }));
    x.Key("p");
    ASSERT_TRUE(editor->WaitFor("script: staying", 30000)) << editor->Output();
    const XWindow dialog = x.WaitForWindow("Light Area Properties");
    ASSERT_NE(dialog, 0u);
    const Rect ok = Where(editor->Output(), "OK"), red = Where(editor->Output(), "R");
    x.Focus(dialog);
    x.Click(x.Screen(), red.x + red.w / 2, red.y + red.h / 2);
    x.Chord("Control_L", "a");
    for (const char* channel : {"0", "0", "255"})
        x.Type(channel), x.Key("Tab");
    x.Click(x.Screen(), ok.x + ok.w / 2, ok.y + ok.h / 2);
    EXPECT_TRUE(x.WaitGone(dialog));
    // Drawn in its colour, under the level's lights: blue inside it.
    EXPECT_TRUE(x.WaitUntil(x.Screen(), [&](const XShot& s) {
        int blue = 0;
        for (int i = 0; i < 80 * 80; ++i) {
            const uint32_t p = s.At(view.x + 72 + i % 80, view.y + 72 + i / 80);
            blue += int(p & 0xff) >= int(std::max(p >> 16, p >> 8 & 0xff)) + 8;
        }
        return blue > 80 * 80 / 2;
    }));
    x.Focus(main);
    x.MoveTo(x.Screen(), view.x + 300, view.y + 300);
    x.Key("p");
    x.MoveTo(x.Screen(), view.x + 300, view.y + 300);
    // The level's picture comes while the designer keeps typing: it does not
    // wait for the editor to go quiet.
    EXPECT_TRUE(x.WaitUntil(x.Screen(), [&](const XShot& s) {
        x.Key("Control_L");
        return s.CountOther(0x000000, map.x, map.y, map.w, map.h) > 5000;
    }));
    XShot shot;
    ASSERT_TRUE(x.Capture(main, &shot));
    SavePng(kBuild + "/screenshots/editor/opened_level.png", shot);
    // The palette's scroll bar shows at rest across the list, and scrolls it.
    ASSERT_TRUE(x.Capture(x.Screen(), &shot));
    const int barY = objects.y + objects.h - 7;
    EXPECT_EQ(shot.CountOther(0xffffff, objects.x + 4, barY, objects.w - 8, 1), objects.w - 8);
    x.Click(x.Screen(), objects.x + objects.w - 12, barY);
    EXPECT_TRUE(x.WaitForChange(x.Screen(), shot, objects.x, objects.y, objects.w, objects.h - 20));
    // A pan drag in the view moves the minimap's frame with it; Ctrl+B there
    // shows the Clipboard; the pan changed nothing, so leaving asks nothing.
    ASSERT_TRUE(x.Capture(x.Screen(), &shot));
    x.MoveTo(x.Screen(), view.x + 300, view.y + 300);
    x.Button(true);
    int step = 0;
    EXPECT_TRUE(x.WaitUntil(x.Screen(), [&](const XShot& s) {
        x.MoveTo(x.Screen(), view.x + 300 - ++step % 2 * 40, view.y + 300);
        return !s.SameIn(shot, map.x, map.y, map.w, map.h);
    }));
    x.Button(false);
    x.Chord("Control_L", "b");
    const XWindow clipboard = x.WaitForWindow("Clipboard");
    ASSERT_NE(clipboard, 0u);
    // Its close box hides it.
    x.Close(clipboard);
    EXPECT_TRUE(x.WaitGone(clipboard));
    // Saved, a level file dropped on the window opens.
    x.Focus(main);
    x.Chord("Control_L", "s");
    for (int i = 0; i < 300 && TestSupport::ReadAll(Level("tdm_riotcity.lvl")) == before; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(x.DropFile(main, 400, 300, Level("ctf_harbour.lvl")));
    EXPECT_NE(x.WaitForWindow("ctf_harbour.lvl - Editor"), 0u);
    x.Focus(main);
    x.Chord("Alt_L", "f");
    x.Key("x");
    EXPECT_EQ(editor->WaitExit(30000), 0) << editor->Output();
}

// Parts of pictures (0x00RRGGBB) one below the other, against a golden picture.
struct Stack {
    std::vector<std::vector<uint32_t>> rows;
    size_t across = 0;
    void Add(const std::vector<uint32_t>& picture, int w, const Rect& r)
    {
        for (int y = r.y; y < r.y + r.h; ++y) {
            const auto from = picture.begin() + ptrdiff_t(y * w + r.x);
            rows.emplace_back(from, from + r.w);
            across = std::max(across, size_t(r.w));
        }
    }
    void ExpectGolden(const std::string& name) const
    {
        std::vector<uint32_t> out;
        for (const auto& row : rows)
            for (size_t x = 0; x < across; ++x) {
                const uint32_t p = x < row.size() ? row[x] : 0;
                out.push_back(0xFF000000u | (p & 0xFF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16));
            }
        TestSupport::ExpectMatchesGolden("editor/app/golden", name, out, int(across), int(rows.size()));
    }
};

// The mean of one colour channel over the view's middle in a picture of the
// main window; -1 when the picture does not read.
double ViewMean(const std::string& png, const Rect& frame, const Rect& view, int shift)
{
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    if (!LoadPng(png, &w, &h, &pixels))
        return -1;
    double sum = 0;
    int n = 0;
    for (int y = view.y - frame.y + 20; y < view.y - frame.y + 300 && y < h; ++y)
        for (int x = view.x - frame.x + 20; x < view.x - frame.x + 360 && x < w; ++x, ++n)
            sum += (pixels[size_t(y * w + x)] >> shift) & 0xff;
    return n ? sum / n : -1;
}

TEST_F(EditorWindow, EveryCommandDoesWhatItSaysToTheLevel)
{
    setenv("VORNHAL_UI", "headless", 1);
    const std::string shots = kBuild + "/screenshots/editor";
    std::string tools;
    const std::pair<const char*, int> entries[] = {
        {"Pan Tool", 1},    {"Move Tool", 4},       {"Fill Tool", 9},   {"Light Tool", 10},
        {"Object Tool", 3}, {"Light Area Tool", 7}, {"Block Brush", 2}, {"Object Scatter Brush", 8}};
    for (const auto& [entry, number] : entries)
        tools += std::string("menu \"Tools/") + entry + "\"\nexpect tool " + std::to_string(number) +
                 "\nexpect checked \"Tools/" + entry + "\" 1\nexpect checked \"Tools/Pan Tool\" " +
                 (number == 1 ? "1" : "0") + (number == 10 ? "\n" : "\nclick 50 50\n");
    auto editor = Start(
        R"(# New: the dialog's fields reach the empty level, which asks nothing
dialog "Map Properties" Width=12 Height=10 "Name=Made Here" "Game mode=King of the Hill" "Compress block data=1" press=OK
menu File/New
expect drawn
expect title "Untitled - Editor"
# every tool by its entry, ticked there alone; its click on nothing is no edit
)" + tools + R"(expect modified 0
move 300 200
status 4
# a line begun at the view's edge stays where it began; the fill tool grasses the rest
pick Walls "brick wall"
keydown Shift_L
drag 100 5 200 5
keyup Shift_L
expect modified 1
pick Floors grass
menu "Tools/Fill Tool"
move 200 200
click 200 200
expect drawn
# the lighting entries, each ticked alone, light the view as they say
menu "View/Lighting/Night"
expect drawn
expect checked "View/Lighting/Night" 1
expect checked "View/Lighting/Noon" 0
where frame
where LevelView
shot )" + shots +
            R"(/night.png
menu "View/Lighting/Evening"
expect checked "View/Lighting/Evening" 1
expect checked "View/Lighting/Night" 0
shot )" + shots +
            R"(/evening.png
menu "View/Lighting/Noon"
expect checked "View/Lighting/Noon" 1
expect checked "View/Lighting/Evening" 0
shot )" + shots +
            R"(/noon.png
file levels/new.lvl
menu "File/Save As..."
expect modified 0
expect title "new.lvl - Editor"
# a light area and its dialog
menu "Tools/Light Area Tool"
drag 32 64 160 160
dialog "Light Area Properties" Light=150 R=0 G=51 press=OK
context Properties
rpress 100 100
rrelease 100 100
expect modified 1
dialog "Light Area Properties" shot=)" +
            shots + R"(/dialog0.png ?Light=150 ?R=0 ?G=51 ?B=255 press=Cancel
context Properties
# a light placed, picked (no edit), set through its dialog, cloned; the clone deleted
menu "Tools/Light Tool"
click 200 250
menu "Tools/Move Tool"
menu File/Save
click 200 248
expect modified 0
rpress 200 248
rrelease 200 248
dialog "Light Properties" Size=2000 ?Size=1024 Size=1 ?Size=32 Type=Spot Size=500 Angle=90 Power=50 R=300 G=-5 B=128 press=OK
context Properties
expect modified 1
dialog "Light Properties" shot=)" +
            shots + R"(/dialog1.png ?Type=Spot ?Size=500 ?Angle=90 ?Power=50 ?R=255 ?G=0 ?B=128 press=Cancel
context Properties
menu File/Save
context Clone
expect drawn
expect modified 1
menu File/Save
click 250 248
expect modified 0
context Delete
expect drawn
expect modified 1
# two barrels: one turned, one deleted by its key
pick Objects "metal barrel"
move 288 96
click 288 96
move 96 192
click 96 192
menu "Tools/Move Tool"
menu File/Save
move 296 104
click 296 104
key Right
expect modified 1
move 104 200
click 104 200
menu File/Save
key Delete
expect modified 1
key Delete
# the Clipboard's settings reach the scatter brush: no spread, no turn
drop Objects pine
clipboard Scatter 0
clipboard Count 2
clipboard "Angle jitter" 0
menu "Tools/Object Scatter Brush"
move 300 260
click 300 260
# a barrel in the pine's place, and the count spun down to none and back to one
drop Objects "metal barrel"
clipboard key pine Delete
clipboard spin Count -1
clipboard spin Count -1
clipboard spin Count -1
menu "Tools/Object Scatter Brush"
move 100 280
click 100 280
clipboard spin Count 1
move 160 200
key r
click 160 200
# many at once, spread: all barrels, the pine being out
clipboard Count 6
clipboard Scatter 60
move 300 150
key r
click 300 150
menu "Tools/Move Tool"
# a bigger map with the level centred in it, by the shortcut's dialog
dialog "Map Properties" shot=)" +
            shots +
            R"(/dialog2.png "?Name=Made Here" "?Game mode=King of the Hill" "?Compress block data=1" "?Border Right=11" "?Border Bottom=9" Width=3 "press=Calculate Size" ?Width=12 ?Height=10 Width=14 Height=12 Alignment=Center ?Left=2 ?Top=2 press=OK
menu Map/Properties
expect drawn
# the bars, the Clipboard, the greyed Release, the Play entries that do nothing
menu View/Toolbar
expect checked View/Toolbar 0
menu View/Toolbar
expect checked View/Toolbar 1
menu "View/Status Bar"
where LevelView
expect checked "View/Status Bar" 0
menu "View/Status Bar"
menu View/Clipboard
expect checked View/Clipboard 1
shot )" + shots +
            R"(/clipboard.png Clipboard
expect enabled Map/Release 0
menu File/Save
menu "Tools/Pan Tool"
menu "Map/Play on server"
menu "Map/Play on client"
menu "Map/Play Standalone"
expect modified 0
expect tool 1
dialog "Game Map" press=Render shot=)" +
            shots + R"(/dialog3.png press=Export press=Close
file )" + shots +
            R"(/exported.png
menu "Map/Game Map"
expect modified 1
dialog "About Editor" shot=)" +
            shots + R"(/dialog4.png press=OK
menu "Help/About Editor..."
dialog "Environment Properties" shot=)" +
            shots +
            R"(/dialog5.png "?Environment=Generic" Size=500 Environment=Room "?Size=100.00" "?Environment size=1000" "Environment size=300" "?Size=30.00" press=Defaults "?Size=7.50" "?Environment size=75" "?Environment=Generic" press=Test press=OK
command 32804
menu Help/Manual
menu View/Clipboard
expect checked View/Clipboard 0
minimap 20 30 100 100
move 400 400
status 4
where LevelView
where MiniMap
where Toolbar
where Objects
where StatusBar
shot )" + shots +
            R"(/final.png
menu File/Save
# the game map's picture taken from a file; one that is none is said
dialog "Game Map" press=Import press=Import press=Close
file objects.cfg
file )" + shots +
            R"(/exported.png
menu "Map/Game Map"
expect modified 1
menu File/Save
# a new level asks nothing and starts empty; the recent file brings the
# saved one back
dialog "Map Properties" press=Cancel
menu File/New
expect title "Untitled - Editor"
file levels/empty.lvl
menu "File/Save As..."
menu "File/Recent File/2 new.lvl"
expect title "new.lvl - Editor"
# a second light, kept by the answer when leaving
menu "Tools/Light Tool"
move 40 300
click 40 300
answer Yes
exit
)",
        {});
    ASSERT_EQ(editor->WaitExit(90000), 0) << editor->Output();
    const std::string& out = editor->Output();
    EXPECT_NE(out.find("box: Vornhal Editor: File can't be loaded.\n"), std::string::npos);
    LevelContents empty;
    ASSERT_TRUE(TestGame::ReadLevelFile(Level("empty.lvl"), &empty));
    EXPECT_TRUE(empty.objects.empty() && empty.lights.empty() && empty.world.boxes.empty());
    EXPECT_EQ(std::count_if(empty.world.cells.begin(), empty.world.cells.end(),
                            [](uint32_t cell) { return (cell & World::kWall) != 0; }),
              0);
    LevelContents made;
    ASSERT_TRUE(TestGame::ReadLevelFile(Level("new.lvl"), &made));
    EXPECT_EQ(made.header.name, u"Made Here");
    EXPECT_EQ(made.header.gameMode, 2);
    EXPECT_TRUE(made.world.compressed);
    ASSERT_EQ(std::make_pair(made.world.width, made.world.height), std::make_pair(14, 12));
    // The level moved by (2, 2) tiles: the wall line of row 0, tiles 3 to 6.
    for (int x = 0; x < 14; ++x)
        EXPECT_EQ(bool(made.world.cells[size_t(2 * 14 + x)] & World::kWall), x >= 5 && x <= 8) << x;
    ASSERT_EQ(made.world.boxes.size(), 1u);
    EXPECT_EQ(made.world.boxes[0].intensity, 0.5f);
    EXPECT_EQ(made.world.boxes[0].red, 0.0f);
    EXPECT_EQ(made.world.boxes[0].green, 51 / 255.0f);
    ASSERT_EQ(made.lights.size(), 2u);
    const LevelLight& light = made.lights[0];
    EXPECT_EQ(light.type, 1);
    EXPECT_EQ(std::vector<float>({light.x, light.y, light.size, light.angle, light.power}),
              std::vector<float>({200, 248, 500, 90, 5}));
    EXPECT_EQ(std::vector<float>({light.red, light.green, light.blue}), std::vector<float>({1, 0, 128 / 255.0f}));
    ASSERT_GE(made.objects.size(), 4u);
    for (const LevelObject& o : made.objects)
        EXPECT_EQ(o.definitionId == made.objects[1].definitionId, &o == &made.objects[1]) << "one pine";
    EXPECT_EQ(std::vector<float>({made.objects[0].x, made.objects[0].y, made.objects[0].angle}),
              std::vector<float>({352, 160, 45}));
    EXPECT_EQ(std::vector<float>({made.objects[1].x, made.objects[1].y, made.objects[1].angle}),
              std::vector<float>({360, 320, 0}));
    EXPECT_EQ(made.objects[2].definitionId, made.objects[0].definitionId) << "a barrel";
    EXPECT_EQ(std::vector<float>({made.objects[2].x, made.objects[2].y, made.objects[2].angle}),
              std::vector<float>({224, 264, 0}));
    int w = 0, h = 0;
    std::vector<uint32_t> exported;
    ASSERT_TRUE(LoadPng(shots + "/exported.png", &w, &h, &exported));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(512, 512));
    // Noon is brighter than evening; night is darker still, and blue.
    const Rect frame = Where(out, "frame"), view = Where(out, "LevelView");
    const double noon = ViewMean(shots + "/noon.png", frame, view, 8),
                 evening = ViewMean(shots + "/evening.png", frame, view, 8),
                 night = ViewMean(shots + "/night.png", frame, view, 8);
    EXPECT_GT(noon, evening + 10);
    EXPECT_GT(evening, night + 10);
    EXPECT_GT(ViewMean(shots + "/night.png", frame, view, 0), ViewMean(shots + "/night.png", frame, view, 16));
    const size_t page = out.find("open page: file://");
    ASSERT_NE(page, std::string::npos) << out;
    const std::string path = out.substr(page + 18, out.find('\n', page) - page - 18);
    EXPECT_NE(TestSupport::ReadText(path).find("Fill Tool"), std::string::npos) << path;
    // The status bar's tile under the pointer, before and after the minimap
    // was dragged to centre the 14 x 12 level's point (224, 224) in the view;
    // the move after the button went up moved nothing.
    EXPECT_NE(out.find("status 4: X: 9, Y: 6\n"), std::string::npos);
    const Rect last = Where(out, "LevelView");
    // Without the status bar the view had its room.
    const size_t bare = out.find("script: menu \"View/Status Bar\"");
    EXPECT_GT(
        Where(out.substr(bare, out.find("script: expect checked \"View/Status Bar\"", bare) - bare), "LevelView").h,
        last.h);
    const std::string tile = "status 4: X: " + std::to_string((624 - last.w / 2) / 32) +
                             ", Y: " + std::to_string((624 - last.h / 2) / 32) + "\n";
    EXPECT_NE(out.find(tile), std::string::npos) << tile;
    EXPECT_NE(out.find("view: light area menu at 100 100\n"), std::string::npos);
    EXPECT_NE(out.find("view: object menu at 200 248\n"), std::string::npos);
    // A new file takes the usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    struct stat st = {};
    ASSERT_EQ(stat(Level("new.lvl").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);
    // The minimap, its view's frame where the view is; the toolbar, the
    // Move Tool's button pressed; the palette's page with the barrel picked;
    // the status bar; the dialogs as they opened and the Clipboard: against
    // one golden picture.
    std::vector<uint32_t> shot;
    ASSERT_TRUE(LoadPng(shots + "/final.png", &w, &h, &shot));
    const Rect map = Where(out, "MiniMap");
    ASSERT_EQ(std::make_pair(map.w, map.h), std::make_pair(200, 200));
    Stack parts;
    for (const char* name : {"MiniMap", "Toolbar", "Objects", "StatusBar"}) {
        Rect r = Where(out, name);
        r.x -= frame.x, r.y -= frame.y;
        parts.Add(shot, w, r);
    }
    for (const std::string name : {"dialog0", "dialog1", "dialog2", "dialog3", "dialog4", "dialog5", "clipboard"}) {
        std::vector<uint32_t> window;
        ASSERT_TRUE(LoadPng(shots + "/" + name + ".png", &w, &h, &window));
        parts.Add(window, w, {0, 0, w, h});
    }
    parts.ExpectGolden("windows");
}

TEST_F(EditorWindow, FailuresAreReportedAndNoEditIsLostOrMisrouted)
{
    setenv("VORNHAL_UI", "headless", 1);
    TestSupport::WriteAll(Level("broken.lvl"), std::vector<uint8_t>(40, 7));
    const std::vector<uint8_t> level = TestSupport::ReadAll(Level("tdm_riotcity.lvl"));
    const std::vector<uint8_t> data = TestSupport::ReadAll(folder_ + "/game.data");
    const std::string longName(70, 'x');
    // A script that cannot be read ends the program, and so does a level
    // named on the command line that does not open.
    TestSupport::ChildProcess unread(kBuild + "/Editor", {"--script", dir_.File("none.script")}, folder_);
    EXPECT_NE(unread.WaitExit(30000), 0);
    EXPECT_NE(unread.Output().find("Editor: "), std::string::npos);
    // So does a renderer without its GL drivers, said first.
    setenv("LIBGL_DRIVERS_PATH", "/nonexistent", 1);
    auto noGl = Start("exit\n", {});
    unsetenv("LIBGL_DRIVERS_PATH");
    EXPECT_NE(noGl->WaitExit(30000), 0);
    EXPECT_NE(noGl->Output().find("box: Error!: Failed to initialize renderer\n"), std::string::npos);
    auto refused = Start("stay\n", {"levels/missing.lvl"});
    EXPECT_NE(refused->WaitExit(30000), 0);
    EXPECT_NE(refused->Output().find("box: Error!: Cannot open levels/missing.lvl"), std::string::npos);
    // A question or a file chooser the script did not answer fails the run,
    // and so does a menu entry other than the script expects.
    for (const auto& [script, said] :
         {std::pair{"menu \"Tools/Light Tool\"\nclick 10 10\nexit\n", "script: no "},
          {"menu File/Open...\nexit\n", "script: no "},
          {"expect checked View/Toolbar 0\nexit\n", "script: line 1: View/Toolbar is not checked 0\n"},
          // The package's list, the scripts first, one name a line.
          {"dialog \"Make Package\" \"?Following files will be packed:=\" press=Cancel\nmenu \"Map/Make "
           "Package\"\nexit\n",
           "packed:=blocks.cfg\nobjects.cfg\nitems.cfg\nweapons_fin_vs_rus.cfg\ngfx/"}}) {
        auto unanswered = Start(script, {});
        EXPECT_EQ(unanswered->WaitExit(30000), 1) << script;
        EXPECT_NE(unanswered->Output().find(said), std::string::npos) << unanswered->Output();
    }
    // So does a dialog that shows other than the script looks for.
    auto differs = Start("dialog \"Map Properties\" ?Width=999 press=Cancel\nmenu Map/Properties\nexit\n", {});
    EXPECT_EQ(differs->WaitExit(30000), 1);
    EXPECT_NE(differs->Output().find("shows Width="), std::string::npos) << differs->Output();
    // Said after the line that showed it, as the lines are said when they run.
    EXPECT_LT(differs->Output().find("script: menu Map/Properties\n"), differs->Output().find("shows Width="));
    // A level whose path, 4090 characters long, leaves no room for the name
    // of the file a save writes first.
    std::string deep = "deep";
    for (int i = 0; i < 16; ++i)
        deep += "/" + std::string(250, 'd');
    deep += "/" + std::string(4090 - 17 - deep.size() - 1, 'e');
    const std::string far = deep + "/tdm_riotcity.lvl";
    ASSERT_EQ(far.size(), 4090u);
    // Made and read relative to the game folder: the whole path is too long.
    const int top = ::open(folder_.c_str(), O_DIRECTORY | O_RDONLY);
    for (size_t slash = deep.find('/'); slash != std::string::npos; slash = deep.find('/', slash + 1))
        ::mkdirat(top, deep.substr(0, slash).c_str(), 0755);
    ::mkdirat(top, deep.c_str(), 0755);
    auto farBytes = [&](const std::vector<uint8_t>* write) {
        const int fd = ::openat(top, far.c_str(), write ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY, 0644);
        std::vector<uint8_t> bytes(1 << 20);
        const ssize_t n = write ? ::write(fd, write->data(), write->size()) : ::read(fd, bytes.data(), bytes.size());
        ::close(fd);
        bytes.resize(size_t(std::max<ssize_t>(n, 0)));
        return bytes;
    };
    farBytes(&level);
    auto editor = Start(R"(# a level that does not load: said, and nothing taken for it
file levels/broken.lvl
menu File/Open...
expect title "Untitled - Editor"
file )" + far + R"(
menu File/Open...
expect modified 0
# keys typed into a text field stay there; the level gets them from the view
pick Floors grass
expect tool 2
key v in Scatter
expect tool 2
key v in Floors
expect tool 4
key p
expect tool 1
# a modifier held by its own lines holds for the keys between; one pressed
# and let go holds nothing
keydown Control_L
key b
keyup Control_L
expect tool 1
key Control_L
key b
expect tool 2
# a key that edits marks the level changed
menu "Tools/Block Brush"
move 200 200
key 1
expect modified 1
# a save that cannot be written is said, and the changes stay unsaved
menu File/Save
expect modified 1
file /nonexistent/folder/x.lvl
menu "File/Save As..."
expect modified 1
expect title "tdm_riotcity.lvl - Editor"
# names the script could not hold are refused
rename Objects "metal barrel" )" +
                            longName + R"(
rename Objects "metal barrel" "steel barrel"
# the game map twice: each leaves nothing behind; an export that cannot be
# written is said
dialog "Game Map" press=Render press=Export press=Close
file /nonexistent/folder/map.png
menu "Map/Game Map"
dialog "Game Map" press=Close
menu "Map/Game Map"
# sides out of range are refused, the dialog kept open
dialog "Map Properties" Width=0 press=OK Width=12 Height=4097 press=OK press=Cancel
menu Map/Properties
# the package: the version is checked before anything is asked or written,
# and the game.data the editor reads is never the target
dialog "Make Package" Version=2000000 press=OK press=Cancel
menu "Map/Make Package"
dialog "Make Package" Version=3 press=OK press=Cancel
file game.data
menu "Map/Make Package"
# leaving asks first
answer No
exit
)",
                        {});
    ASSERT_EQ(editor->WaitExit(90000), 0) << editor->Output();
    const std::string& out = editor->Output();
    EXPECT_NE(out.find("box: Error!: Failed to load level levels/broken.lvl"), std::string::npos) << out;
    EXPECT_NE(out.find("box: Error!: Cannot write deep/"), std::string::npos) << out;
    EXPECT_NE(out.find("box: Error!: Cannot write /nonexistent/folder/x.lvl"), std::string::npos) << out;
    EXPECT_NE(out.find("rename: refused\n"), std::string::npos) << out;
    EXPECT_NE(out.find("rename: taken\n"), std::string::npos) << out;
    EXPECT_NE(out.find("box: Editor: Save changes to tdm_riotcity.lvl?"), std::string::npos) << out;
    EXPECT_NE(out.find("box: Vornhal Editor: File can't be saved."), std::string::npos) << out;
    const size_t side = out.find("box: Error!: Width and height must be between 1 and 4096.");
    EXPECT_NE(out.find("box: Error!: Width and height must be between 1 and 4096.", side + 1), std::string::npos)
        << out;
    EXPECT_NE(out.find("box: Error!: Enter a version between 0 and 1000000."), std::string::npos) << out;
    EXPECT_NE(out.find("box: Error!: The editor reads its data from this game.data"), std::string::npos) << out;
    EXPECT_EQ(TestSupport::ReadAll(folder_ + "/game.data"), data);
    // Nothing was saved over the level; the script holds the new name.
    EXPECT_EQ(farBytes(nullptr), level);
    ::close(top);
    const std::string objects = TestSupport::ReadText(folder_ + "/objects.cfg");
    EXPECT_NE(objects.find("\"steel barrel\""), std::string::npos);
    EXPECT_EQ(objects.find(longName), std::string::npos);
}

TEST_F(EditorWindow, StopSignalsEndItAtOnce)
{
    unsetenv("VORNHAL_UI");
    // Without XDG_CONFIG_HOME the settings go to the home folder's .config.
    unsetenv("XDG_CONFIG_HOME");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", dir_.Path().c_str(), 1);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        auto editor = Start("stay\n", {"levels/tdm_riotcity.lvl"});
        ASSERT_TRUE(editor->WaitFor("script: staying", 60000)) << editor->Output();
        editor->Signal(signal);
        EXPECT_EQ(editor->WaitExit(30000), 128 + signal) << editor->Output();
    }
    setenv("HOME", home.c_str(), 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir_.File(".config/vornhal")));
}

} // namespace

TEST_F(EditorWindow, ADoorShadowsWhereItStandsAndAnEdgeDragStopsAtTheLevelsEdge)
{
    setenv("VORNHAL_UI", "headless", 1); // the script answers the dialog
    auto editor = Start("dialog \"Map Properties\" Width=40 Height=30 press=OK\nmenu File/New\npick Floors grass\n"
                        "menu \"Tools/Fill Tool\"\nclick 200 200\nmenu \"View/Lighting/Noon\"\n"
                        "pick Objects \"wooden door\"\nmenu \"Tools/Object Tool\"\nwhere LevelView\nstay\n",
                        {});
    ASSERT_TRUE(editor->WaitFor("script: staying", 60000)) << editor->Output();
    const Rect v = Where(editor->Output(), "LevelView");
    XDriver x;
    ASSERT_TRUE(x.Ok() && v.w > 400 && v.h > 400);
    x.Focus(x.WaitForWindow("Untitled - Editor"));
    auto pastLevel = [&](const XShot& s) { return s.CountOther(0, v.x + v.w - 40, v.y + v.h - 40, 30, 30) < 900; };
    XShot before, placed, last;
    const int doorX = v.x + v.w - 200, doorY = v.y + v.h - 200;
    ASSERT_TRUE(x.Capture(x.Screen(), &before));
    x.Click(x.Screen(), doorX, doorY);
    // Its shadow falls below it; the rest of the view keeps its grass.
    ASSERT_TRUE(x.WaitUntil(
        x.Screen(), [&](const XShot& s) { return !(placed = s).SameIn(before, doorX + 20, doorY + 40, 30, 30); }));
    SavePng(kBuild + "/screenshots/editor/door_at_noon.png", placed);
    EXPECT_TRUE(placed.SameIn(before, v.x + 10, v.y + 10, 300, 300)) << "the door's shadow lies beside it";
    // A rectangle drag between the middle and the corner: it scrolls at the
    // corner once it has left the edges.
    x.Key(0xffe3 /* Control_L */, true);
    x.MoveTo(x.Screen(), v.x + v.w / 2, v.y + v.h / 2);
    x.Button(true);
    int still = 0, step = 0;
    last = placed;
    EXPECT_TRUE(x.WaitUntil(
        x.Screen(),
        [&](const XShot& s) {
            still = s.SameIn(last, v.x, v.y, v.w, v.h) ? still + 1 : 0;
            last = s;
            const bool corner = ++step % 2 != 0;
            x.MoveTo(x.Screen(), corner ? v.x + v.w - 3 : v.x + v.w / 2 + step % 4,
                     corner ? v.y + v.h - 3 : v.y + v.h / 2);
            return pastLevel(s) || (still >= 40 && !s.SameIn(placed, v.x, v.y, v.w / 3, v.h / 3));
        },
        60000));
    x.Button(false);
    x.Key(0xffe3, false);
    SavePng(kBuild + "/screenshots/editor/edge_drag.png", last);
    EXPECT_FALSE(pastLevel(last)) << "the view scrolled past the level";
    editor->Signal(SIGTERM);
    EXPECT_NE(editor->WaitExit(30000), -1);
}
