// The Editor program on a display: real keys and mouse through XTEST on its
// menus and its view, and the faults a level designer would lose work to.
#include "HostedLevel.h"
#include "support/ChildProcess.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"
#include "support/XDriver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>

namespace {

const std::string kBuild = VORNHAL_BUILD_DIR;

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

Rect Where(const std::string& output, const std::string& name)
{
    Rect r;
    const size_t at = output.find("where " + name + " ");
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
    auto editor = Start("where LevelView\nwhere Floors\ntab Objects\nstay\n", {"levels/tdm_riotcity.lvl"});
    ASSERT_TRUE(editor->WaitFor("script: staying", 60000)) << editor->Output();
    const Rect view = Where(editor->Output(), "LevelView"), floors = Where(editor->Output(), "Floors"),
               objectsTab = Where(editor->Output(), "Objects tab");
    ASSERT_GT(view.w, 300);
    ASSERT_GT(floors.w, 60);

    XDriver x;
    ASSERT_TRUE(x.Ok());
    const XWindow main = x.WaitForWindow("tdm_riotcity.lvl - Editor");
    ASSERT_NE(main, 0u);
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
    EXPECT_EQ(now.objects.size(), old.objects.size());
    EXPECT_EQ(now.header.name, old.header.name);
}

TEST_F(EditorWindow, AnOpenedLevelShowsItsMinimapAndEveryPaletteItemAndTheClipboardAreReached)
{
    unsetenv("VORNHAL_UI");
    auto editor = Start("pick Objects \"metal barrel\"\nmenu \"Tools/Pan Tool\"\nwhere MiniMap\nwhere Objects\n"
                        "where LevelView\nstay\n",
                        {"levels/tdm_riotcity.lvl"});
    ASSERT_TRUE(editor->WaitFor("script: staying", 60000)) << editor->Output();
    const Rect map = Where(editor->Output(), "MiniMap"), objects = Where(editor->Output(), "Objects"),
               view = Where(editor->Output(), "LevelView");
    XDriver x;
    ASSERT_TRUE(x.Ok());
    const XWindow main = x.WaitForWindow("tdm_riotcity.lvl - Editor");
    ASSERT_NE(main, 0u);
    x.Focus(main);
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
    // Ctrl+B in the view shows the Clipboard; the pan click there changed
    // nothing, so leaving asks nothing.
    x.Click(x.Screen(), view.x + 300, view.y + 300);
    x.Chord("Control_L", "b");
    EXPECT_NE(x.WaitForWindow("Clipboard"), 0u);
    x.Focus(main);
    x.Chord("Alt_L", "f");
    x.Key("x");
    EXPECT_EQ(editor->WaitExit(30000), 0) << editor->Output();
}

TEST_F(EditorWindow, NewLevelLinesAtTheEdgeLightAreaColoursAndTheManual)
{
    setenv("VORNHAL_UI", "headless", 1);
    const std::string shots = kBuild + "/screenshots/editor";
    auto editor = Start(R"(# an empty level asks nothing whatever its new size
dialog "Map Properties" Width=10 Height=10 press=OK
menu File/New
menu "Tools/Move Tool"
click 50 50
expect modified 0
# a line begun at the view's edge stays where it began
pick Walls "brick wall"
keydown Shift_L
drag 100 5 200 5
keyup Shift_L
menu "Tools/Light Area Tool"
drag 32 64 160 160
dialog "Light Area Properties" R=0 G=51 press=OK
context Properties
where frame
where LevelView
shot )" + shots + R"(/new_level.png
file levels/new.lvl
menu "File/Save As..."
menu Help/Manual
exit
)",
                        {});
    ASSERT_EQ(editor->WaitExit(90000), 0) << editor->Output();
    const std::string& out = editor->Output();
    LevelContents made;
    ASSERT_TRUE(TestGame::ReadLevelFile(Level("new.lvl"), &made));
    ASSERT_EQ(made.world.width, 10);
    for (int x = 3; x <= 6; ++x)
        EXPECT_TRUE(made.world.cells[size_t(x)] & World::kWall) << x;
    ASSERT_EQ(made.world.boxes.size(), 1u);
    EXPECT_EQ(made.world.boxes[0].red, 0.0f);
    EXPECT_EQ(made.world.boxes[0].green, 51 / 255.0f);
    // The level's right edge, 320 pixels into the view.
    const Rect frame = Where(out, "frame"), view = Where(out, "LevelView");
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(LoadPng(shots + "/new_level.png", &width, &height, &pixels));
    int edge = 0;
    for (int x = view.x - frame.x + 318; x <= view.x - frame.x + 322 && x < width; ++x)
        edge += ((pixels[size_t((view.y - frame.y + 250) * width + x)] >> 16) & 0xff) > 120;
    EXPECT_GT(edge, 0);
    const size_t page = out.find("open page: file://");
    ASSERT_NE(page, std::string::npos) << out;
    const std::string path = out.substr(page + 18, out.find('\n', page) - page - 18);
    EXPECT_NE(TestSupport::ReadText(path).find("Fill Tool"), std::string::npos) << path;
}

TEST_F(EditorWindow, FailuresAreReportedAndNoEditIsLostOrMisrouted)
{
    setenv("VORNHAL_UI", "headless", 1);
    TestSupport::WriteAll(Level("broken.lvl"), std::vector<uint8_t>(40, 7));
    const std::vector<uint8_t> level = TestSupport::ReadAll(Level("tdm_riotcity.lvl"));
    const std::vector<uint8_t> data = TestSupport::ReadAll(folder_ + "/game.data");
    const std::string longName(70, 'x');
    auto editor = Start(R"(# a level that does not load: said, and nothing taken for it
file levels/broken.lvl
menu File/Open...
expect title "Untitled - Editor"
file levels/tdm_riotcity.lvl
menu File/Open...
expect modified 0
# keys typed into a text field stay there; the level gets them from the view
pick Floors grass
expect tool 2
key v in Scatter
expect tool 2
key v
expect tool 4
# a key that edits marks the level changed
menu "Tools/Block Brush"
move 200 200
key 1
expect modified 1
# a save that cannot be written is said, and the changes stay unsaved
file /nonexistent/folder/x.lvl
menu "File/Save As..."
expect modified 1
expect title "tdm_riotcity.lvl - Editor"
# names the script could not hold are refused
rename Objects "metal barrel" )" + longName + R"(
rename Objects "metal barrel" "steel barrel"
# the environment dialog and the game map twice: each leaves nothing behind
dialog "Environment Properties" "Size=500" press=Defaults press=Test press=OK
command 32804
dialog "Game Map" press=Render press=Close
menu "Map/Game Map"
dialog "Game Map" press=Close
menu "Map/Game Map"
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
    EXPECT_NE(out.find("box: Error!: Cannot write /nonexistent/folder/x.lvl"), std::string::npos) << out;
    EXPECT_NE(out.find("rename: refused\n"), std::string::npos) << out;
    EXPECT_NE(out.find("rename: taken\n"), std::string::npos) << out;
    EXPECT_NE(out.find("box: Editor: Save changes to tdm_riotcity.lvl?"), std::string::npos) << out;
    EXPECT_NE(out.find("box: Error!: Enter a version between 0 and 1000000."), std::string::npos) << out;
    EXPECT_NE(out.find("box: Error!: The editor reads its data from this game.data"), std::string::npos) << out;
    EXPECT_EQ(TestSupport::ReadAll(folder_ + "/game.data"), data);
    // Nothing was saved over the level; the script holds the new name.
    EXPECT_EQ(TestSupport::ReadAll(Level("tdm_riotcity.lvl")), level);
    const std::string objects = TestSupport::ReadText(folder_ + "/objects.cfg");
    EXPECT_NE(objects.find("\"steel barrel\""), std::string::npos);
    EXPECT_EQ(objects.find(longName), std::string::npos);
}

TEST_F(EditorWindow, StopSignalsEndItAtOnce)
{
    unsetenv("VORNHAL_UI");
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        auto editor = Start("stay\n", {"levels/tdm_riotcity.lvl"});
        ASSERT_TRUE(editor->WaitFor("script: staying", 60000)) << editor->Output();
        editor->Signal(signal);
        EXPECT_EQ(editor->WaitExit(30000), 128 + signal) << editor->Output();
    }
}

} // namespace
